#pragma once

#include <cstddef>

namespace tessaline {

// Time on a 31250-baud cable: ten bits a byte, 3125 bytes per second, 320 us each. Waits go
// out in whole milliseconds (the clock's unit); what is left below a millisecond is carried
// into the next message, so that a long run of short messages still takes its full time.
class WirePacer {
  public:
    static constexpr int kBytesPerSecond = 3125;
    static constexpr long long kMicrosecondsPerByte = 1000000 / kBytesPerSecond;

    // Milliseconds to wait now for `bytes` more on the wire.
    int waitFor(std::size_t bytes) {
        owedMicroseconds_ += static_cast<long long>(bytes) * kMicrosecondsPerByte;
        const long long ms = owedMicroseconds_ / 1000;
        owedMicroseconds_ -= ms * 1000;
        return static_cast<int>(ms);
    }

  private:
    long long owedMicroseconds_ = 0;
};

}  // namespace tessaline
