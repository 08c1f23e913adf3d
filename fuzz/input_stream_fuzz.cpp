// The received byte stream as the device layer handles it: pieces of arbitrary size go into the
// ring as a MIDI system's thread writes them, the pump reads them back, joins them into System
// Exclusive messages and hands those to the input delivery, which returns them in the port's
// buffers. The ring may be too small, the assembler's limit short and the delivery's queue
// full, so that every dropping path is taken.
//
// The input starts with six bytes of set-up: flags (bit 0 a short assembler limit, bit 1
// buffers of the port's size rather than small ones, bit 2 two buffers, bits 3 to 7 the
// delivery's queue length), the limit (two bytes), the ring's capacity (two bytes) and the small
// buffers' size. Then come operations: F0..FF pumps what the ring holds; E0..EF writes a piece
// whose length follows in two bytes; anything lower writes a piece of that many bytes.
//
// Checked: the ring returns what it accepted, in order, and flags the first record after a
// refused one; every message handed on is a real-time byte or F0, data bytes, F7, no longer
// than the limit, and exactly the messages the stream holds, in order; every message broken off
// is counted; the buffers returned carry each accepted message whole, in order, split only at
// the buffer's size.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "midi/MidiPort.h"
#include "platform/InputDelivery.h"
#include "platform/SysExAssembler.h"
#include "platform/rtmidi/ByteRing.h"

namespace {

using namespace tessaline;
using fuzz::check;
using Bytes = std::vector<unsigned char>;

constexpr int kGap = -1;  // in the stream the assembler sees: bytes were lost here

struct Written {
    Bytes bytes;
    bool afterGap;
};

struct Returned {
    InputDelivery* delivery = nullptr;
    std::vector<Bytes> pieces;
};

void onBuffer(MidiInHandle, unsigned message, std::uintptr_t instance, std::uintptr_t param1,
              std::uintptr_t) {
    auto* returned = reinterpret_cast<Returned*>(instance);
    auto* header = reinterpret_cast<MidiHeader*>(param1);
    if (message != MIM_LONGDATA || header->bytesRecorded == 0) {
        return;
    }
    check(header->bytesRecorded <= header->bufferLength);
    returned->pieces.emplace_back(header->data, header->data + header->bytesRecorded);
    // Queued again at once, as the port does.
    check(returned->delivery->addBuffer(header) == midiresult::Ok);
}

// What a stream holds: its real-time bytes, where they stand, and the messages from an F0 to
// the next byte that is not a data byte, when that is F7 and the whole is within the limit.
// Another status byte, a new F0 or a gap breaks a message off: it is counted as damaged.
struct Expected {
    std::vector<Bytes> messages;
    unsigned damaged = 0;
};

Expected expectedIn(const std::vector<int>& stream, std::size_t limit) {
    Expected expected;
    std::optional<Bytes> current;
    for (int item : stream) {
        if (item >= 0xF8) {
            expected.messages.push_back({static_cast<unsigned char>(item)});
            continue;
        }
        if (current && item != 0xF7 && (item < 0 || item >= 0x80)) {
            ++expected.damaged;
            current.reset();
        }
        if (item == 0xF0) {
            current = Bytes{0xF0};
            continue;
        }
        if (!current) {
            continue;
        }
        if (item != 0xF7) {
            // Room is kept for the F7: a message that cannot end within the limit is dropped.
            if (current->size() + 1 >= limit) {
                current.reset();
            } else {
                current->push_back(static_cast<unsigned char>(item));
            }
            continue;
        }
        current->push_back(0xF7);
        expected.messages.push_back(*current);
        current.reset();
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    constexpr std::size_t kSetupBytes = 6;
    if (size < kSetupBytes) {
        return 0;
    }
    const unsigned flags = input[0];
    // Two bytes at least: no shorter limit holds even F0 F7.
    const std::size_t limit =
        (flags & 0x01) != 0 ? 2 + ((std::size_t{input[1]} << 8) | input[2]) % 4199 : 1u << 20;
    const std::size_t ringCapacity = 1 + ((std::size_t{input[3]} << 8) | input[4]) % 8192;
    const unsigned bufferSize = (flags & 0x02) != 0 ? kInputBufferSize : 1 + input[5] % 64u;
    const std::size_t bufferCount = (flags & 0x04) != 0 ? 2 : 1;
    const std::size_t maxPending = 1 + (flags >> 3);

    // Declared before the delivery, so that they outlive its thread.
    std::vector<std::unique_ptr<unsigned char[]>> storage;
    std::vector<MidiHeader> headers(bufferCount);
    Returned returned;
    InputDelivery delivery(MidiInHandle{1}, &onBuffer, reinterpret_cast<std::uintptr_t>(&returned),
                           maxPending);
    returned.delivery = &delivery;
    for (MidiHeader& header : headers) {
        storage.push_back(std::make_unique<unsigned char[]>(bufferSize));
        header.data = storage.back().get();
        header.bufferLength = bufferSize;
        check(delivery.prepare(&header) == midiresult::Ok);
        check(delivery.addBuffer(&header) == midiresult::Ok);
    }
    check(delivery.start() == midiresult::Ok);

    ByteRing ring(ringCapacity);
    SysExAssembler assembler(limit);
    std::deque<Written> inRing;
    bool refused = false;
    std::vector<int> stream;
    std::vector<Bytes> assembled;
    unsigned damaged = 0;
    std::vector<Bytes> accepted;
    Bytes record;

    auto pump = [&] {
        bool afterGap = false;
        while (ring.read(record, afterGap)) {
            check(!inRing.empty() && record == inRing.front().bytes &&
                  afterGap == inRing.front().afterGap);
            inRing.pop_front();
            if (afterGap) {
                assembler.breakOff();
                stream.push_back(kGap);
            }
            stream.insert(stream.end(), record.begin(), record.end());
            assembler.feed(record.data(), record.size(),
                           [&](const unsigned char* data, std::size_t length) {
                               const std::span<const unsigned char> message(data, length);
                               assembled.emplace_back(message.begin(), message.end());
                               if (length == 1 && data[0] >= 0xF8) {
                                   return;  // a real-time byte: the port takes none
                               }
                               check(fuzz::isWholeSysEx(message) && length <= limit);
                               if (delivery.receive(data, length)) {
                                   accepted.push_back(assembled.back());
                               }
                           });
            damaged += assembler.takeDamaged();
        }
        check(inRing.empty());
    };

    std::size_t offset = kSetupBytes;
    while (offset < size) {
        const unsigned char op = input[offset++];
        if (op >= 0xF0) {
            pump();
            continue;
        }
        // A piece as a MIDI system hands it over: often a whole message, sometimes less.
        std::size_t length = op;
        if (op >= 0xE0) {
            if (offset + 2 > size) {
                break;
            }
            length = (std::size_t{input[offset]} << 8) | input[offset + 1];
            offset += 2;
        }
        length = std::min(length, size - offset);
        const Bytes piece(input + offset, input + offset + length);
        offset += length;
        if (ring.write(piece.data(), piece.size())) {
            if (!piece.empty()) {
                inRing.push_back({piece, refused});
                refused = false;
            }
        } else {
            refused = true;
        }
    }
    pump();
    const Expected expected = expectedIn(stream, limit);
    check(assembled == expected.messages && damaged == expected.damaged);

    // A hang here is reported by libFuzzer's own time-out.
    check(delivery.waitIdle(3'600'000));
    std::vector<Bytes> pieces;
    for (const Bytes& message : accepted) {
        for (std::size_t at = 0; at < message.size(); at += bufferSize) {
            const std::size_t count = std::min<std::size_t>(bufferSize, message.size() - at);
            pieces.emplace_back(message.begin() + static_cast<std::ptrdiff_t>(at),
                                message.begin() + static_cast<std::ptrdiff_t>(at + count));
        }
    }
    check(returned.pieces == pieces);
    return 0;
}
