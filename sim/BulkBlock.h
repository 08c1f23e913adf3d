#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace tessaline {

// Offset of the first data byte of a bulk block: F0 43 00, the model ID, the byte count (2)
// and the address (3).
inline std::size_t bulkDataOffset(std::size_t modelIdLength) {
    return 3 + modelIdLength + 5;
}

// The checksum byte that makes the 7-bit sum of `summed` and itself zero.
unsigned char bulkChecksum(std::span<const unsigned char> summed);

// One bulk block as the instrument sends it:
// F0 43 00 <model ID> BH BL AH AM AL <data> CS F7, where BH BL is the data byte count in two
// 7-bit bytes and CS makes the 7-bit sum of everything from byte 4 through CS zero.
std::vector<unsigned char> makeBulkBlock(std::span<const unsigned char> modelId, unsigned address,
                                         std::span<const unsigned char> data);

// Replaces the checksum of a block (the byte before F7) by a wrong one, still a 7-bit value.
void corruptChecksum(std::vector<unsigned char>& block);

// Cuts a block to its header and the first half of its data, with a checksum that fits what is
// left, so that only a length check can tell it from a whole block; the byte count still
// claims the whole data.
void truncateBlock(std::vector<unsigned char>& block, std::size_t modelIdLength);

}  // namespace tessaline
