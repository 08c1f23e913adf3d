// Hands arbitrary messages to a virtual instrument, as the program or any other MIDI program
// on its port might send them.
//
// The first input byte picks the model (low three bits) and the faults armed on the replies:
// bit 3 wire pacing (on a clock that never moves), bits 4 to 6 how many data blocks go out
// truncated. Then come records: a length byte and that many bytes, one whole message each.
//
// Every reply must be one System Exclusive message: the Identity Reply, or a bulk block of the
// instrument's model ID with a valid checksum whose byte count matches its data (unless it was
// truncated on purpose), a dump running from its header block to its footer. Whatever arrives,
// the memory keeps its blocks' sizes and holds nothing but data bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "fuzz/SharedInstruments.h"

namespace {

using namespace tessaline;
using fuzz::check;
using Bytes = std::vector<unsigned char>;

constexpr std::size_t kMaxRecords = 256;

std::size_t blockSizesTotal(const BlockMap& memory) {
    std::size_t total = 0;
    for (const auto& [address, bytes] : memory) {
        total += bytes.size();
    }
    return total;
}

void checkMemory(const VirtualInstrument& instrument, const BlockMap& initial) {
    const BlockMap memory = instrument.snapshot();
    check(memory.size() == initial.size() && blockSizesTotal(memory) == blockSizesTotal(initial));
    for (const auto& [address, bytes] : memory) {
        check(initial.count(address) == 1 && initial.at(address).size() == bytes.size());
        for (unsigned char byte : bytes) {
            check(byte < 0x80);
        }
    }
}

// One batch of replies to one message.
void checkReplies(const VirtualInstrument& instrument, const std::vector<Bytes>& replies,
                  bool truncating) {
    const Bytes& id = instrument.modelId();
    const std::size_t countAt = 3 + id.size();
    const std::size_t dataAt = countAt + 5;
    int open = -1;  // the middle address byte of the dump under way
    for (const Bytes& reply : replies) {
        check(fuzz::isWholeSysEx(reply));
        if (reply.size() > 1 && reply[1] == 0x7E) {
            check(reply == instrument.identityReply() && open < 0);
            continue;
        }
        check(reply.size() >= dataAt + 2 && reply[1] == 0x43 && reply[2] == 0x00);
        check(std::equal(id.begin(), id.end(), reply.begin() + 3));
        check(fuzz::hasValidBulkChecksum(reply));
        const std::size_t declared = (std::size_t{reply[countAt]} << 7) | reply[countAt + 1];
        const std::size_t present = reply.size() - dataAt - 2;
        check(truncating ? present <= declared : present == declared);
        const unsigned char high = reply[countAt + 2];
        const unsigned char mid = reply[countAt + 3];
        if (high == 0x0E) {
            check(open < 0 && present == 0);
            open = mid;
        } else if (high == 0x0F) {
            check(open == mid && present == 0);
            open = -2;  // closed; nothing follows in this batch
        } else {
            check(open >= 0);
        }
    }
    check(open == -1 || open == -2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const unsigned char setup = input[0];
    VirtualInstrument& instrument = fuzz::SharedInstruments::fresh(setup & 0x07);
    const BlockMap& initial = fuzz::SharedInstruments::built(setup & 0x07);
    check(instrument.snapshot() == initial);
    instrument.setWirePacing((setup & 0x08) != 0);
    const int truncations = (setup >> 4) & 0x07;
    instrument.truncateNextBlocks(truncations);
    const int receivedBefore = instrument.receivedCount();
    const int ignoredBefore = instrument.ignored().total();

    std::vector<Bytes> replies;
    instrument.setReplySink([&replies](const Bytes& reply) { replies.push_back(reply); });

    std::size_t offset = 1;
    for (std::size_t record = 0; record < kMaxRecords && offset < size; ++record) {
        const std::size_t declared = input[offset++];
        const std::size_t length = std::min(declared, size - offset);
        // An exact copy, so that a read past the message is caught.
        auto message = std::make_unique<unsigned char[]>(length);
        std::copy(input + offset, input + offset + length, message.get());
        offset += length;

        replies.clear();
        instrument.receive(message.get(), length);
        checkReplies(instrument, replies, truncations > 0);
    }
    checkMemory(instrument, initial);
    // Each message is ignored for one reason at most.
    const int received = instrument.receivedCount() - receivedBefore;
    check(received <= static_cast<int>(kMaxRecords));
    check(instrument.ignored().total() - ignoredBefore <= received);
    instrument.setReplySink(nullptr);
    return 0;
}
