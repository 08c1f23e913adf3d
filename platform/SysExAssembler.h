#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace tessaline {

// Joins the raw input of one MIDI input into whole System Exclusive messages, F0 first and F7
// last, however the bytes were cut into pieces on their way. Real-time bytes (timing clock,
// active sensing and the rest of F8..FF) may stand anywhere, also inside a message: each is
// taken out and handed on by itself, where it stood, and the message goes on around it. Other
// bytes outside a message are dropped: the assembler only makes long messages. A message that
// any other status byte breaks off (a new F0 among them), or that grows beyond the limit, is
// dropped whole rather than handed on damaged, and counted.
class SysExAssembler {
  public:
    explicit SysExAssembler(std::size_t maxLength = 1u << 20) : maxLength_(maxLength) {}

    // Calls message(const unsigned char* data, std::size_t length) for each whole System
    // Exclusive message and for each real-time byte, in the order they arrived.
    template <typename Message>
    void feed(const unsigned char* data, std::size_t length, Message&& message) {
        for (std::size_t i = 0; i < length; ++i) {
            const unsigned char byte = data[i];
            if (byte >= 0xF8) {
                message(data + i, std::size_t{1});
                continue;
            }
            if (byte == 0xF0) {
                breakOff();
                message_.assign(1, byte);
                inMessage_ = true;
                continue;
            }
            if (!inMessage_) {
                continue;
            }
            if (byte == 0xF7) {
                message_.push_back(byte);
                inMessage_ = false;
                message(static_cast<const unsigned char*>(message_.data()), message_.size());
                message_.clear();
                continue;
            }
            if (byte >= 0x80) {
                breakOff();
                continue;
            }
            if (message_.size() + 1 >= maxLength_) {
                forget();
                ++overlong_;
                continue;
            }
            message_.push_back(byte);
        }
    }

    // Drops a message in progress, which counts as damaged: input was lost in its middle.
    void breakOff() {
        if (inMessage_) {
            ++damaged_;
        }
        forget();
    }

    bool inMessage() const { return inMessage_; }
    // Messages dropped for growing beyond the limit since the last call.
    unsigned takeOverlong() { return std::exchange(overlong_, 0u); }
    // Messages dropped for being broken off since the last call.
    unsigned takeDamaged() { return std::exchange(damaged_, 0u); }

  private:
    void forget() {
        inMessage_ = false;
        message_.clear();
    }

    std::size_t maxLength_;
    unsigned overlong_ = 0;
    unsigned damaged_ = 0;
    bool inMessage_ = false;
    std::vector<unsigned char> message_;
};

}  // namespace tessaline
