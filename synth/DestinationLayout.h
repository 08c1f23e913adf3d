#pragma once

#include <vector>

#include "synth/ModelFamily.h"

namespace tessaline {

// A run of consecutive addresses that one bulk block carries.
struct BlockSpan {
    int address = 0;
    int size = 0;
    bool holds(int a) const { return a >= address && a < address + size; }
    bool operator==(const BlockSpan&) const = default;
};

// The data blocks a performance (mode 1) or song mix (mode 3) dump of the family must contain:
// the common block, the two system-effect blocks, the fixed block and every part. None for a
// destination the family lacks.
std::vector<BlockSpan> destinationBlocks(ModelFamily family, int mode);

}  // namespace tessaline
