#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/Clock.h"

namespace tessaline {

// Waits on `changed` until done() holds or the clock reaches deadlineUs; true when done() held.
// The clock says when time is up, so that a test's clock can let a bound pass at once, and a
// notify ends the wait as soon as there is news.
template <typename Done>
bool waitOnClock(std::condition_variable& changed, std::unique_lock<std::mutex>& guard,
                 Clock& clock, std::int64_t deadlineUs, Done&& done) {
    while (!done()) {
        const std::int64_t leftUs = deadlineUs - clock.nowUs();
        if (leftUs <= 0) {
            return false;
        }
        changed.wait_for(guard, std::chrono::microseconds(leftUs));
    }
    return true;
}

}  // namespace tessaline
