#pragma once

#include <string>

namespace tessaline {

// An owned byte buffer. Copies are deep, so a snapshot never aliases the live block.
class ByteBlock {
  public:
    ByteBlock() = default;
    ByteBlock(const ByteBlock& other);
    ByteBlock& operator=(const ByteBlock& other);
    virtual ~ByteBlock();

    // Frees any old bytes and allocates size bytes, cleared to zero.
    void allocate(int size);
    void release();
    // The first ten bytes as characters; empty when there are no bytes.
    std::string name() const;

    unsigned char* data = nullptr;
    int size = 0;
};

// The four blocks of the last received voice, by bulk address 40 70 00, 40 00 00, 40 01 00 and
// 40 02 00.
struct VoiceRecord {
    ByteBlock blocks[4];
};

}  // namespace tessaline
