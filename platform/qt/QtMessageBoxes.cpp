#include "platform/qt/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include "platform/qt/DialogOwner.h"

namespace tessaline {

namespace {

bool haveGuiApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

bool onGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

QMessageBox::Icon toQtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Exclamation:
            return QMessageBox::Warning;
        case BoxIcon::Error:
            return QMessageBox::Critical;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void showModalMessageBox(const QString& text, const QString& caption, BoxIcon icon) {
    // Whatever becomes of its owner while it is open, the box is deleted once, here or there.
    QPointer<QMessageBox> box =
        new QMessageBox(toQtIcon(icon), caption, text, QMessageBox::Ok, dialogOwner());
    box->exec();
    delete box;
}

QtMessageBoxes::QtMessageBoxes(Presenter presenter) : state_(std::make_shared<State>()) {
    state_->presenter = presenter ? std::move(presenter) : Presenter(showModalMessageBox);
}

void QtMessageBoxes::present(const std::shared_ptr<State>& state, const std::string& text,
                             const std::string& caption, BoxIcon icon) {
    QString shownCaption =
        caption.empty() ? QCoreApplication::applicationName() : QString::fromStdString(caption);
    state->presenter(QString::fromStdString(text), shownCaption, icon);
    std::lock_guard guard(state->mutex);
    auto it = state->open.find(text);
    if (it != state->open.end() && --it->second <= 0) {
        state->open.erase(it);
    }
}

void QtMessageBoxes::show(const std::string& text, const std::string& caption, BoxIcon icon) {
    if (!haveGuiApplication()) {
        return;
    }
    if (!onGuiThread()) {
        // A modal box on another thread would be a widget off the GUI thread.
        showLater(text, caption, icon);
        return;
    }
    {
        std::lock_guard guard(state_->mutex);
        ++state_->open[text];
    }
    present(state_, text, caption, icon);
}

void QtMessageBoxes::showLater(const std::string& text, const std::string& caption, BoxIcon icon) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || !haveGuiApplication()) {
        return;
    }
    {
        std::lock_guard guard(state_->mutex);
        if (state_->open.count(text) != 0) {
            return;
        }
        state_->open[text] = 1;
    }
    // The call owns a share of the state, so it stays valid whatever becomes of this object.
    std::shared_ptr<State> state = state_;
    QMetaObject::invokeMethod(
        app, [state, text, caption, icon] { present(state, text, caption, icon); },
        Qt::QueuedConnection);
}

std::size_t QtMessageBoxes::openCount() const {
    std::lock_guard guard(state_->mutex);
    return state_->open.size();
}

}  // namespace tessaline
