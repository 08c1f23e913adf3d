#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/Clock.h"

namespace tessaline {

// A real clock whose sleeps end at once when it is cancelled, so that a service shutting down
// never waits out a paced reply or an injected delay.
class InterruptibleClock final : public Clock {
  public:
    void sleepMs(int milliseconds) override;
    void sleepUs(std::int64_t microseconds) override;
    std::int64_t nowUs() override;
    // Ends every sleep now and every later one at once.
    void cancel();

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelled_ = false;
};

}  // namespace tessaline
