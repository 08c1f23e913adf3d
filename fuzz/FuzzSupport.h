#pragma once

// What the fuzz targets share: a failed check, the shape of a System Exclusive message, and a
// MIDI service whose one input the harness feeds as a driver would.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/NullServices.h"
#include "synth/SynthDevice.h"

namespace tessaline::fuzz {

// A broken invariant stops the run like a sanitizer report, so that libFuzzer keeps the input.
inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// F0, nothing but data bytes, F7.
inline bool isWholeSysEx(std::span<const unsigned char> message) {
    return message.size() >= 2 && message.front() == 0xF0 && message.back() == 0xF7 &&
           std::all_of(message.begin() + 1, message.end() - 1,
                       [](unsigned char byte) { return byte < 0x80; });
}

// The 7-bit sum from byte 4 through the checksum is zero.
inline bool hasValidBulkChecksum(std::span<const unsigned char> block) {
    unsigned sum = 0;
    for (std::size_t i = 4; i + 1 < block.size(); ++i) {
        sum += block[i];
    }
    return (sum & 0x7F) == 0;
}

// The checksum byte for a block whose bytes from index 4 up to (not including) `end` are summed.
inline unsigned char bulkChecksumOf(std::span<const unsigned char> block, std::size_t end) {
    unsigned sum = 0;
    for (std::size_t i = 4; i < end && i < block.size(); ++i) {
        sum += block[i];
    }
    return static_cast<unsigned char>((0x80 - (sum & 0x7F)) & 0x7F);
}

// The null service with the harness as its driver: it fills the queued input buffer and returns
// it through the port's callback on its own thread, a message longer than the buffer in several
// buffers, as the delivery thread does. Long messages sent are kept.
class HarnessMidi final : public NullMidiService {
  public:
    MidiResult inOpen(MidiInHandle* handle, int device, MidiInCallback callback,
                      std::uintptr_t instance) override {
        const MidiResult result = NullMidiService::inOpen(handle, device, callback, instance);
        if (result == midiresult::Ok) {
            callback_ = callback;
            instance_ = instance;
        }
        return result;
    }
    MidiResult inAddBuffer(MidiInHandle handle, MidiHeader* header) override {
        if (handle != kIn || header == nullptr) {
            return midiresult::InvalidHandle;
        }
        if ((header->flags & MHDR_PREPARED) == 0) {
            return midiresult::Unprepared;
        }
        header->flags = (header->flags | MHDR_INQUEUE) & ~MHDR_DONE;
        header->bytesRecorded = 0;
        queued_ = header;
        return midiresult::Ok;
    }
    MidiResult inStart(MidiInHandle handle) override {
        started_ = handle == kIn;
        return started_ ? midiresult::Ok : midiresult::InvalidHandle;
    }
    MidiResult inStop(MidiInHandle) override {
        started_ = false;
        return midiresult::Ok;
    }
    MidiResult inReset(MidiInHandle) override {
        started_ = false;
        queued_ = nullptr;
        return midiresult::Ok;
    }
    MidiResult inClose(MidiInHandle) override {
        callback_ = nullptr;
        return midiresult::Ok;
    }

    MidiResult outLongMsg(MidiOutHandle handle, MidiHeader* header) override {
        const MidiResult result = NullMidiService::outLongMsg(handle, header);
        if (result == midiresult::Ok) {
            sent_.emplace_back(header->data, header->data + header->bufferLength);
        }
        return result;
    }
    // Nothing to pace for: no cable, no clock that moves.
    bool outIsVirtual(unsigned) override { return true; }

    // One received message, in pieces of the queued buffer's size. Without a started input and
    // a queued buffer the rest is lost, as it would be at a driver.
    void receive(const unsigned char* data, std::size_t length) {
        std::size_t offset = 0;
        while (offset < length && started_ && queued_ != nullptr && callback_ != nullptr) {
            MidiHeader* header = queued_;
            queued_ = nullptr;
            const std::size_t count = std::min<std::size_t>(length - offset, header->bufferLength);
            std::memcpy(header->data, data + offset, count);
            header->bytesRecorded = static_cast<unsigned>(count);
            header->flags = (header->flags | MHDR_DONE) & ~MHDR_INQUEUE;
            callback_(kIn, MIM_LONGDATA, instance_, reinterpret_cast<std::uintptr_t>(header), 0);
            offset += count;
        }
    }
    void receive(std::span<const unsigned char> message) {
        receive(message.data(), message.size());
    }

    const std::vector<std::vector<unsigned char>>& sent() const { return sent_; }
    void clearSent() { sent_.clear(); }

  private:
    MidiInCallback callback_ = nullptr;
    std::uintptr_t instance_ = 0;
    MidiHeader* queued_ = nullptr;
    bool started_ = false;
    std::vector<std::vector<unsigned char>> sent_;
};

// A device on `Midi` whose other services keep nothing; its notices go to `Poster`.
template <typename Midi = HarnessMidi, typename Poster = NullPoster>
struct DeviceRig {
    Midi midi;
    NullProfile profile;
    NullBoxes boxes;
    Poster poster;
    NullClock clock;
    SynthDevice device{PortServices{midi, profile, boxes, poster, clock}};
};

}  // namespace tessaline::fuzz
