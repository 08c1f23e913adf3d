#pragma once

#include <cstddef>
#include <vector>

#include "platform/MidiService.h"
#include "platform/SysExAssembler.h"
#include "platform/rtmidi/ByteRing.h"

namespace tessaline {

// The two ends of one input's raw bytes. The backend's thread, a real-time one perhaps, only
// writes what it received into a preallocated ring; the port's worker pumps the ring, joining
// System Exclusive from its pieces (and dropping what a lost record belonged to), and hands on
// each whole message.
class InputPump {
  public:
    enum class ShortMessages {
        Drop,  // only System Exclusive comes out
        Pass,  // a record that opens with another status byte comes out whole too, and so do
               // real-time bytes
    };

    InputPump(std::size_t queueBytes, ShortMessages shortMessages)
        : ring_(queueBytes), shortMessages_(shortMessages) {}

    // Backend thread: copies, never blocks, never allocates. False when the record was lost.
    bool write(const unsigned char* data, std::size_t length) noexcept {
        return ring_.write(data, length);
    }

    // Worker thread. Calls message(const unsigned char*, std::size_t) for each whole message,
    // and fault(MidiResult) for each record in which a System Exclusive message was dropped:
    // MessageTooLong when it outgrew its limit, MessageDamaged when something broke it off.
    // Handles a bounded amount at a time, so that under a flood of input the worker still gets
    // to its jobs (a close among them) between two rounds; true when more may be waiting.
    template <typename Message, typename Fault>
    bool pump(Message&& message, Fault&& fault) {
        // Real-time bytes come out of a System Exclusive message by themselves; they are short
        // messages like any other.
        const auto handOn = [&](const unsigned char* data, std::size_t length) {
            if (data[0] == 0xF0 || shortMessages_ == ShortMessages::Pass) {
                message(data, length);
            }
        };
        bool afterGap = false;
        for (int records = 0; records < kRecordsPerRound; ++records) {
            if (!ring_.read(record_, afterGap)) {
                return false;
            }
            if (afterGap) {
                assembler_.breakOff();
            }
            if (shortMessages_ == ShortMessages::Pass && opensShortMessage(record_)) {
                // Another message, of another source perhaps, ends one under way as damaged,
                // and is a message all the same.
                assembler_.breakOff();
                message(static_cast<const unsigned char*>(record_.data()), record_.size());
            } else {
                assembler_.feed(record_.data(), record_.size(), handOn);
            }
            if (assembler_.takeOverlong() > 0) {
                fault(midiresult::MessageTooLong);
            }
            if (assembler_.takeDamaged() > 0) {
                fault(midiresult::MessageDamaged);
            }
        }
        return true;
    }

  private:
    static constexpr int kRecordsPerRound = 256;

    static bool opensShortMessage(const std::vector<unsigned char>& record) {
        return !record.empty() && record[0] >= 0x80 && record[0] < 0xF8 && record[0] != 0xF0 &&
               record[0] != 0xF7;
    }

    ByteRing ring_;
    const ShortMessages shortMessages_;
    SysExAssembler assembler_;           // worker only
    std::vector<unsigned char> record_;  // worker only
};

}  // namespace tessaline
