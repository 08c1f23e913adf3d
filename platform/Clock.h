#pragma once

#include <cstdint>

namespace tessaline {

// The one seam for time: blocking waits and a monotonic reading, so that tests never really
// sleep.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleepMs(int milliseconds) = 0;
    // Pacing needs finer steps than whole milliseconds: a byte on a cable takes 320 us.
    virtual void sleepUs(std::int64_t microseconds) = 0;
    // Monotonic time in microseconds from an arbitrary origin.
    virtual std::int64_t nowUs() = 0;
};

// Production clock: really sleeps.
class SystemClock final : public Clock {
  public:
    void sleepMs(int milliseconds) override;
    void sleepUs(std::int64_t microseconds) override;
    std::int64_t nowUs() override;
};

}  // namespace tessaline
