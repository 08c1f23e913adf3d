#include "synth/DumpCollector.h"

#include <algorithm>

namespace tessaline {

namespace {

constexpr int kHeaderHigh = 0x0E;
constexpr int kFooterHigh = 0x0F;
constexpr int kDestinationMids[] = {0x4F, 0x5F};  // performance, song mix

bool isDestinationMarker(int address, int high) {
    const int mid = (address >> 8) & 0xFF;
    return (address >> 16) == high && (address & 0xFF) == 0 &&
           std::find(std::begin(kDestinationMids), std::end(kDestinationMids), mid) !=
               std::end(kDestinationMids);
}

}  // namespace

bool DumpCollector::take(int address, std::span<const unsigned char> data) {
    const int high = address >> 16;
    if (high == kHeaderHigh) {
        // Any header ends the dump under way; only a destination's starts a new one.
        collecting_.clear();
        open_ = isDestinationMarker(address, kHeaderHigh) ? address : 0;
        return false;
    }
    if (high == kFooterHigh) {
        const bool closes = open_ != 0 && address == open_ + (1 << 16);
        open_ = 0;
        if (!closes) {
            collecting_.clear();
            return false;
        }
        last_ = std::move(collecting_);
        collecting_.clear();
        ++completed_;
        return true;
    }
    if (open_ == 0) {
        return false;
    }
    ReceivedBlock block{address, {data.begin(), data.end()}};
    auto same = std::find_if(collecting_.begin(), collecting_.end(),
                             [address](const ReceivedBlock& b) { return b.address == address; });
    if (same != collecting_.end()) {
        *same = std::move(block);
    } else if (collecting_.size() < kMaxBlocks) {
        collecting_.push_back(std::move(block));
    }
    return false;
}

void DumpCollector::reset() {
    *this = DumpCollector();
}

}  // namespace tessaline
