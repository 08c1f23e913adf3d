#include "sim/ReplyFaults.h"

#include "sim/BulkBlock.h"

namespace tessaline {

namespace {

// Another maker's message, cut off before its F7, with stray status bytes inside: something a
// receiver must drop without harm.
const std::vector<unsigned char> kDefaultGarbage = {0xF0, 0x7D, 0x00, 0x7F, 0x40,
                                                    0xF0, 0x43, 0xFF, 0x00, 0xF8};

}  // namespace

void ReplyFaults::sendGarbageBeforeNextReplies(std::vector<unsigned char> bytes) {
    garbage_ = bytes.empty() ? kDefaultGarbage : std::move(bytes);
    garbagePending_ = true;
}

void ReplyFaults::clear() {
    *this = ReplyFaults();
}

std::vector<std::vector<unsigned char>> ReplyFaults::apply(std::vector<OutgoingMessage> replies,
                                                           std::size_t modelIdLength) {
    std::vector<std::vector<unsigned char>> out;
    if (silent_ || replies.empty()) {
        return out;
    }
    if (garbagePending_) {
        out.push_back(std::move(garbage_));
        garbage_.clear();
        garbagePending_ = false;
    }
    for (OutgoingMessage& reply : replies) {
        if (reply.dataBlock && truncate_ > 0) {
            truncateBlock(reply.bytes, modelIdLength);
            --truncate_;
        }
        if (reply.dataBlock && corrupt_ > 0) {
            corruptChecksum(reply.bytes);
            --corrupt_;
        }
        out.push_back(std::move(reply.bytes));
    }
    return out;
}

}  // namespace tessaline
