#include "synth/DumpCollector.h"

#include <algorithm>

namespace tessaline {

namespace {

constexpr int kHeaderHigh = 0x0E;
constexpr int kFooterHigh = 0x0F;

int areaOf(int address) {
    return (address >> 8) & 0xFF;
}

bool isDestination(int area) {
    return area == kPerformanceDumpArea || area == kMixDumpArea;
}

}  // namespace

std::optional<CompletedDump> DumpCollector::take(int address, std::span<const unsigned char> data,
                                                 std::span<const unsigned char> message) {
    const int high = address >> 16;
    if (high == kHeaderHigh) {
        // Any header ends the dump under way, which then never closes.
        collecting_ = CompletedDump{areaOf(address), {}, {}, false};
        bytes_ = 0;
        open_ = true;
        keep(message);
        return std::nullopt;
    }
    if (high == kFooterHigh) {
        return close(areaOf(address), message);
    }
    if (!open_) {
        return std::nullopt;  // a block outside any dump: a single block sent on its own
    }
    if (collecting_.blocks.size() >= kMaxBlocks) {
        collecting_.damaged = true;
        return std::nullopt;
    }
    keep(message);
    collecting_.blocks.push_back({address, {data.begin(), data.end()}});
    return std::nullopt;
}

std::optional<CompletedDump> DumpCollector::close(int area,
                                                  std::span<const unsigned char> message) {
    CompletedDump done;
    const bool headed = open_ && collecting_.area == area;
    if (headed) {
        done = std::move(collecting_);
    } else {
        // A footer without its header: the answer came, but not whole.
        done.area = area;
        done.damaged = true;
    }
    open_ = false;
    collecting_ = {};
    if (done.messages.size() < kMaxBlocks + 2 && bytes_ + message.size() <= kMaxBytes) {
        done.messages.emplace_back(message.begin(), message.end());
    } else {
        done.damaged = true;
    }
    bytes_ = 0;
    if (isDestination(area) && headed) {
        last_ = done.blocks;
        ++completed_;
    }
    return done;
}

void DumpCollector::keep(std::span<const unsigned char> message) {
    if (bytes_ + message.size() > kMaxBytes) {
        collecting_.damaged = true;
        return;
    }
    bytes_ += message.size();
    collecting_.messages.emplace_back(message.begin(), message.end());
}

void DumpCollector::damaged() {
    if (open_) {
        collecting_.damaged = true;
    }
}

void DumpCollector::reset() {
    *this = DumpCollector();
}

}  // namespace tessaline
