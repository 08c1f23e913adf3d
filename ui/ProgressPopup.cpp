#include "ui/ProgressPopup.h"

#include <qdrawutil.h>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "ui/DialogBuilder.h"

namespace tessaline {

ProgressPopup::ProgressPopup(const QString& text, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), text_(text) {
    BuiltDialog built = buildDialog(*this, progressPopupTemplate());
    label_ = built.find<QLabel>(IDC_PROGRESS_TEXT);
    setText(text_);

    QScreen* screen = owner != nullptr && owner->screen() != nullptr
                          ? owner->screen()
                          : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void ProgressPopup::setText(const QString& text) {
    text_ = text;
    if (label_ != nullptr) {
        label_->setText(text);
    }
}

QString ProgressPopup::text() const {
    return label_ != nullptr ? label_->text() : text_;
}

void ProgressPopup::paintEvent(QPaintEvent*) {
    // The raised border a dialog frame would give; the window has no frame of its own.
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

}  // namespace tessaline
