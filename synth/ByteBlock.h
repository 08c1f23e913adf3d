#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessaline {

// An owned byte buffer, copied and moved as a value, so a snapshot never aliases the live block.
class ByteBlock {
  public:
    // Drops any old bytes and holds `size` bytes, cleared to zero (none for a size below 1).
    void allocate(int size);
    void release() { bytes_.clear(); }

    // The byte count; 0 when there are no bytes.
    int size() const { return static_cast<int>(bytes_.size()); }
    bool empty() const { return bytes_.empty(); }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

    // The first ten bytes as characters; empty when there are no bytes.
    std::string name() const;

  private:
    std::vector<std::uint8_t> bytes_;
};

// The four blocks of the last received voice, by bulk address 40 70 00, 40 00 00, 40 01 00 and
// 40 02 00.
struct VoiceRecord {
    ByteBlock blocks[4];
};

}  // namespace tessaline
