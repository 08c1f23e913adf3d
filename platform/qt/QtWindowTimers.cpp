#include "platform/qt/QtWindowTimers.h"

#include <QTimer>

namespace tessaline {

QtWindowTimers::QtWindowTimers() = default;
QtWindowTimers::~QtWindowTimers() = default;

void QtWindowTimers::setHandler(Handler handler) {
    handler_ = std::move(handler);
}

void QtWindowTimers::start(int id, int milliseconds) {
    std::unique_ptr<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
            if (handler_) {
                handler_(id);
            }
        });
    }
    timer->start(milliseconds < 0 ? 0 : milliseconds);
}

void QtWindowTimers::stop(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) {
        it->second->stop();
    }
}

bool QtWindowTimers::isActive(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

}  // namespace tessaline
