#pragma once

#include <cstddef>
#include <vector>

#include "platform/rtmidi/ByteRing.h"
#include "platform/rtmidi/SysExAssembler.h"

namespace tessaline {

// The two ends of one input's raw bytes. The backend's thread, a real-time one perhaps, only
// writes what it received into a preallocated ring; the port's worker pumps the ring, joining
// System Exclusive from its pieces (and dropping what a lost record belonged to), and hands on
// each whole message.
class InputPump {
  public:
    enum class ShortMessages {
        Drop,  // only System Exclusive comes out
        Pass,  // a record that opens with another status byte comes out whole too
    };

    InputPump(std::size_t queueBytes, ShortMessages shortMessages)
        : ring_(queueBytes), shortMessages_(shortMessages) {}

    // Backend thread: copies, never blocks, never allocates. False when the record was lost.
    bool write(const unsigned char* data, std::size_t length) noexcept {
        return ring_.write(data, length);
    }

    // Worker thread. Calls message(const unsigned char*, std::size_t) for each whole message and
    // overlong() for each record in which a message outgrew its limit. Handles a bounded
    // amount at a time, so that under a flood of input the worker still gets to its jobs (a
    // close among them) between two rounds; true when more may be waiting.
    template <typename Message, typename Overlong>
    bool pump(Message&& message, Overlong&& overlong) {
        bool afterGap = false;
        for (int records = 0; records < kRecordsPerRound; ++records) {
            if (!ring_.read(record_, afterGap)) {
                return false;
            }
            if (afterGap) {
                assembler_.reset();
            }
            if (record_.empty()) {
                continue;
            }
            if (shortMessages_ == ShortMessages::Drop || record_[0] == 0xF0 ||
                assembler_.inMessage()) {
                assembler_.feed(record_.data(), record_.size(), message);
                if (assembler_.takeOverlong() > 0) {
                    overlong();
                }
            } else if (record_[0] >= 0x80 && record_[0] < 0xF8) {
                message(static_cast<const unsigned char*>(record_.data()), record_.size());
            }
        }
        return true;
    }

  private:
    static constexpr int kRecordsPerRound = 256;

    ByteRing ring_;
    const ShortMessages shortMessages_;
    SysExAssembler assembler_;           // worker only
    std::vector<unsigned char> record_;  // worker only
};

}  // namespace tessaline
