#include "sim/InterruptibleClock.h"

#include <chrono>

namespace tessaline {

void InterruptibleClock::sleepMs(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    std::unique_lock guard(mutex_);
    wake_.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return cancelled_; });
}

void InterruptibleClock::cancel() {
    std::lock_guard guard(mutex_);
    cancelled_ = true;
    wake_.notify_all();
}

}  // namespace tessaline
