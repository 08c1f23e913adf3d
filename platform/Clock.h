#pragma once

namespace tessaline {

// The one seam for blocking waits, so that tests never really sleep.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleepMs(int milliseconds) = 0;
};

// Production clock: really sleeps.
class SystemClock final : public Clock {
  public:
    void sleepMs(int milliseconds) override;
};

}  // namespace tessaline
