#include "platform/qt/QtPoster.h"

#include <QCoreApplication>
#include <QObject>

#include "platform/qt/NoticeEvent.h"

namespace tessaline {

QtPoster::~QtPoster() {
    QObject::disconnect(destroyedConnection_);
}

void QtPoster::post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                    WindowTarget target) {
    if (!NoticeEvent::carries(message)) {
        return;
    }
    // The lock keeps the main window from being forgotten (and destroyed) between the check and
    // the post; events already queued for a destroyed window are discarded by Qt.
    std::lock_guard guard(mutex_);
    QObject* receiver = target != nullptr ? static_cast<QObject*>(target) : mainWindow_;
    if (receiver == nullptr || QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::postEvent(receiver, new NoticeEvent(message, wParam, lParam));
}

void QtPoster::setMainWindow(QObject* window) {
    QObject::disconnect(destroyedConnection_);
    {
        std::lock_guard guard(mutex_);
        mainWindow_ = window;
    }
    if (window != nullptr) {
        destroyedConnection_ = QObject::connect(window, &QObject::destroyed, [this, window] {
            std::lock_guard guard(mutex_);
            if (mainWindow_ == window) {
                mainWindow_ = nullptr;
            }
        });
    }
}

QObject* QtPoster::mainWindow() const {
    std::lock_guard guard(mutex_);
    return mainWindow_;
}

}  // namespace tessaline
