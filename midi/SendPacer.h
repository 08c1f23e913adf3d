#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "midi/DeliverySettings.h"
#include "platform/Clock.h"

namespace tessaline {

// Spaces out the messages of one output at its send speed. An instrument behind a cable takes
// 3,125 bytes a second; what comes faster fills its buffers and is lost. Used only by the
// thread that sends.
class SendPacer {
  public:
    // 31,250 baud, ten bits a byte.
    static constexpr std::int64_t kCableUsPerByte = 320;

    explicit SendPacer(Clock& clock) : clock_(clock) {}

    void setSpeed(const SendSpeed& speed) { speed_ = speed; }
    const SendSpeed& speed() const { return speed_; }

    // Waits until a message of `bytes` may start and notes that it starts now.
    void beforeSend(std::size_t bytes);
    // Notes that the message has been handed over: a fixed pause counts from here.
    void afterSend();

  private:
    Clock& clock_;
    SendSpeed speed_ = SendSpeed::cable();
    std::optional<std::int64_t> earliestUs_;  // when the next message may start
};

}  // namespace tessaline
