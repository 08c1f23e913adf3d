#include "sim/InterruptibleClock.h"

#include <chrono>

namespace tessaline {

void InterruptibleClock::sleepMs(int milliseconds) {
    sleepUs(std::int64_t{milliseconds} * 1000);
}

void InterruptibleClock::sleepUs(std::int64_t microseconds) {
    if (microseconds <= 0) {
        return;
    }
    std::unique_lock guard(mutex_);
    wake_.wait_for(guard, std::chrono::microseconds(microseconds), [this] { return cancelled_; });
}

std::int64_t InterruptibleClock::nowUs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(since).count();
}

void InterruptibleClock::cancel() {
    std::lock_guard guard(mutex_);
    cancelled_ = true;
    wake_.notify_all();
}

}  // namespace tessaline
