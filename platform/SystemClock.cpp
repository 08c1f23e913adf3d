#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace tessaline {

void SystemClock::sleepMs(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

}  // namespace tessaline
