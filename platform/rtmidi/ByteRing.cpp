#include "platform/rtmidi/ByteRing.h"

#include <algorithm>
#include <cstring>

namespace tessaline {

namespace {
std::size_t roundUpToPowerOfTwo(std::size_t value) {
    std::size_t result = 64;
    while (result < value) {
        result <<= 1;
    }
    return result;
}
}  // namespace

ByteRing::ByteRing(std::size_t capacity)
    : buffer_(roundUpToPowerOfTwo(capacity)), mask_(buffer_.size() - 1) {}

void ByteRing::copyIn(std::size_t position, const unsigned char* data,
                      std::size_t length) noexcept {
    const std::size_t start = position & mask_;
    const std::size_t first = std::min(length, buffer_.size() - start);
    std::memcpy(buffer_.data() + start, data, first);
    std::memcpy(buffer_.data(), data + first, length - first);
}

void ByteRing::copyOut(std::size_t position, unsigned char* data,
                       std::size_t length) const noexcept {
    const std::size_t start = position & mask_;
    const std::size_t first = std::min(length, buffer_.size() - start);
    std::memcpy(data, buffer_.data() + start, first);
    std::memcpy(data + first, buffer_.data(), length - first);
}

bool ByteRing::write(const unsigned char* data, std::size_t length) noexcept {
    if (length == 0) {
        return true;
    }
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    const std::size_t free = buffer_.size() - (head - tail);
    if (length >= kGapFlag || kHeaderSize + length > free) {
        gapPending_ = true;
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    std::uint32_t header = static_cast<std::uint32_t>(length);
    if (gapPending_) {
        header |= kGapFlag;
        gapPending_ = false;
    }
    unsigned char headerBytes[kHeaderSize];
    std::memcpy(headerBytes, &header, kHeaderSize);
    copyIn(head, headerBytes, kHeaderSize);
    copyIn(head + kHeaderSize, data, length);
    head_.store(head + kHeaderSize + length, std::memory_order_release);
    return true;
}

bool ByteRing::read(std::vector<unsigned char>& record, bool& afterGap) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    const std::size_t head = head_.load(std::memory_order_acquire);
    if (head == tail) {
        return false;
    }
    unsigned char headerBytes[kHeaderSize];
    copyOut(tail, headerBytes, kHeaderSize);
    std::uint32_t header = 0;
    std::memcpy(&header, headerBytes, kHeaderSize);
    afterGap = (header & kGapFlag) != 0;
    const std::size_t length = header & ~kGapFlag;
    record.resize(length);
    copyOut(tail + kHeaderSize, record.data(), length);
    tail_.store(tail + kHeaderSize + length, std::memory_order_release);
    return true;
}

}  // namespace tessaline
