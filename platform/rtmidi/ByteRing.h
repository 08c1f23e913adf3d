#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaline {

// A single-producer, single-consumer queue of byte records in one preallocated buffer. The
// producer side never blocks, never allocates and takes no lock, so it may run on a real-time
// audio thread; a record that does not fit is refused whole, and the next record that does is
// marked as following a gap so that the reader can drop what the lost bytes belonged to.
class ByteRing {
  public:
    // capacity is rounded up to a power of two.
    explicit ByteRing(std::size_t capacity);
    ByteRing(const ByteRing&) = delete;
    ByteRing& operator=(const ByteRing&) = delete;

    // Producer only.
    bool write(const unsigned char* data, std::size_t length) noexcept;
    std::uint64_t droppedRecords() const noexcept {
        return dropped_.load(std::memory_order_relaxed);
    }

    // Consumer only: the next record, replacing `record`; false when there is none.
    bool read(std::vector<unsigned char>& record, bool& afterGap);

  private:
    static constexpr std::size_t kHeaderSize = 4;
    static constexpr std::uint32_t kGapFlag = 0x80000000u;

    void copyIn(std::size_t position, const unsigned char* data, std::size_t length) noexcept;
    void copyOut(std::size_t position, unsigned char* data, std::size_t length) const noexcept;

    std::vector<unsigned char> buffer_;
    std::size_t mask_ = 0;
    alignas(64) std::atomic<std::size_t> head_{0};  // written by the producer
    alignas(64) std::atomic<std::size_t> tail_{0};  // written by the consumer
    std::atomic<std::uint64_t> dropped_{0};
    bool gapPending_ = false;  // producer's own state
};

}  // namespace tessaline
