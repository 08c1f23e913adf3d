#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/NoticeQueue.h"
#include "synth/SynthDevice.h"
#include "tests/support/Fakes.h"
#include "tests/support/ScriptedMidiService.h"

namespace tessaline::test {

using Bytes = std::vector<unsigned char>;

// A device wired to the fakes: one scripted input and output, boxes recorded, waits recorded.
struct SynthRig {
    SynthRig() : device(PortServices{midi, profile, boxes, notices, clock}) {}

    // Hands one message to the device as the input callback would, on this thread. The bytes
    // lie in a buffer of exactly their size, so that AddressSanitizer sees any read past them.
    void deliver(const Bytes& message) {
        auto exact = std::make_unique<unsigned char[]>(message.size());
        std::copy(message.begin(), message.end(), exact.get());
        const MidiPort::ScopedLock held(device);
        device.onLongMessage(exact.get(), static_cast<int>(message.size()));
    }

    std::vector<unsigned> noticeMessages() {
        std::vector<unsigned> messages;
        for (const Notice& notice : notices.drain()) {
            messages.push_back(notice.message);
        }
        return messages;
    }

    ScriptedMidiService midi;
    InMemoryProfile profile;
    BoxRecorder boxes;
    NoticeQueue notices;
    RecordingClock clock;
    SynthDevice device;
};

// The reply a model of the family gives to the Identity Request.
inline Bytes identityReply(unsigned char byte8, unsigned char byte9) {
    return {0xF0,  0x7E,  0x7F, 0x06, 0x02, 0x43, 0x00, 0x41,
            byte8, byte9, 0x00, 0x00, 0x00, 0x01, 0xF7};
}

// A bulk block as the instrument sends it, with its byte count and a correct checksum.
inline Bytes bulkBlock(const Bytes& modelId, int address, const Bytes& data) {
    Bytes block{0xF0, 0x43, 0x00};
    block.insert(block.end(), modelId.begin(), modelId.end());
    const std::size_t countAt = block.size();
    block.push_back(static_cast<unsigned char>((data.size() >> 7) & 0x7F));
    block.push_back(static_cast<unsigned char>(data.size() & 0x7F));
    block.push_back(static_cast<unsigned char>((address >> 16) & 0x7F));
    block.push_back(static_cast<unsigned char>((address >> 8) & 0x7F));
    block.push_back(static_cast<unsigned char>(address & 0x7F));
    block.insert(block.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::size_t i = countAt; i < block.size(); ++i) {
        sum += block[i];
    }
    block.push_back(static_cast<unsigned char>((128 - (sum & 0x7F)) & 0x7F));
    block.push_back(0xF7);
    return block;
}

// size bytes counting up from first, kept 7-bit.
inline Bytes pattern(int size, int first = 1) {
    Bytes bytes;
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<unsigned char>((first + i) & 0x7F));
    }
    return bytes;
}

inline Bytes blockBytes(const ByteBlock& block) {
    return Bytes(block.bytes().begin(), block.bytes().end());
}

}  // namespace tessaline::test
