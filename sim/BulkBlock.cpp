#include "sim/BulkBlock.h"

namespace tessaline {

namespace {

constexpr unsigned char kSysExStart = 0xF0;
constexpr unsigned char kSysExEnd = 0xF7;
constexpr unsigned char kManufacturer = 0x43;
constexpr unsigned char kBulkDump = 0x00;
constexpr std::size_t kFirstSummedByte = 4;

// Sum from byte 4 up to the end of `block` as it stands (no checksum, no F7 yet).
unsigned char checksumFor(const std::vector<unsigned char>& block) {
    if (block.size() <= kFirstSummedByte) {
        return bulkChecksum({});
    }
    return bulkChecksum(std::span<const unsigned char>(block).subspan(kFirstSummedByte));
}

}  // namespace

unsigned char bulkChecksum(std::span<const unsigned char> summed) {
    unsigned sum = 0;
    for (unsigned char byte : summed) {
        sum += byte;
    }
    return static_cast<unsigned char>((0x80 - (sum & 0x7F)) & 0x7F);
}

std::vector<unsigned char> makeBulkBlock(std::span<const unsigned char> modelId, unsigned address,
                                         std::span<const unsigned char> data) {
    std::vector<unsigned char> block{kSysExStart, kManufacturer, kBulkDump};
    block.insert(block.end(), modelId.begin(), modelId.end());
    block.push_back(static_cast<unsigned char>((data.size() >> 7) & 0x7F));
    block.push_back(static_cast<unsigned char>(data.size() & 0x7F));
    block.push_back(static_cast<unsigned char>((address >> 16) & 0x7F));
    block.push_back(static_cast<unsigned char>((address >> 8) & 0x7F));
    block.push_back(static_cast<unsigned char>(address & 0x7F));
    block.insert(block.end(), data.begin(), data.end());
    block.push_back(checksumFor(block));
    block.push_back(kSysExEnd);
    return block;
}

void corruptChecksum(std::vector<unsigned char>& block) {
    if (block.size() >= 2) {
        unsigned char& checksum = block[block.size() - 2];
        checksum = static_cast<unsigned char>((checksum + 1) & 0x7F);
    }
}

void truncateBlock(std::vector<unsigned char>& block, std::size_t modelIdLength) {
    const std::size_t dataStart = bulkDataOffset(modelIdLength);
    if (block.size() < dataStart + 2) {
        return;
    }
    const std::size_t dataSize = block.size() - dataStart - 2;
    block.resize(dataStart + dataSize / 2);
    block.push_back(checksumFor(block));
    block.push_back(kSysExEnd);
}

}  // namespace tessaline
