#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace tessaline {

void SystemClock::sleepMs(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

void SystemClock::sleepUs(std::int64_t microseconds) {
    if (microseconds > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    }
}

std::int64_t SystemClock::nowUs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(since).count();
}

}  // namespace tessaline
