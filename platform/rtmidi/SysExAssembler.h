#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace tessaline {

// Joins the raw input of one MIDI input into whole System Exclusive messages, F0 first and F7
// last, however the bytes were cut into pieces on their way. Real-time bytes (timing clock,
// active sensing and the rest of F8..FF) may stand anywhere, also inside a message, and are
// dropped. Everything that is not System Exclusive is dropped too: the port only takes long
// messages. A message cut short by another status byte, or one that grows beyond the limit, is
// dropped whole rather than handed on damaged.
class SysExAssembler {
  public:
    explicit SysExAssembler(std::size_t maxLength = 1u << 20) : maxLength_(maxLength) {}

    // Calls complete(const unsigned char* data, std::size_t length) for each whole message.
    template <typename Complete>
    void feed(const unsigned char* data, std::size_t length, Complete&& complete) {
        for (std::size_t i = 0; i < length; ++i) {
            const unsigned char byte = data[i];
            if (byte >= 0xF8) {
                continue;
            }
            if (byte == 0xF0) {
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
                complete(static_cast<const unsigned char*>(message_.data()), message_.size());
                message_.clear();
                continue;
            }
            if (byte >= 0x80) {
                reset();
                continue;
            }
            if (message_.size() + 1 >= maxLength_) {
                reset();
                ++overlong_;
                continue;
            }
            message_.push_back(byte);
        }
    }

    // Forgets a message in progress, e.g. after input was lost.
    void reset() {
        inMessage_ = false;
        message_.clear();
    }

    bool inMessage() const { return inMessage_; }
    // Messages dropped for growing beyond the limit since the last call.
    unsigned takeOverlong() { return std::exchange(overlong_, 0u); }

  private:
    std::size_t maxLength_;
    unsigned overlong_ = 0;
    bool inMessage_ = false;
    std::vector<unsigned char> message_;
};

}  // namespace tessaline
