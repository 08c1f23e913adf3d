#include "synth/ByteBlock.h"

#include <algorithm>

namespace tessaline {

namespace {

constexpr std::size_t kNameLength = 10;

}  // namespace

void ByteBlock::allocate(int newSize) {
    // Cleared, so that a block read before its first dump holds zeros rather than garbage.
    bytes_.assign(newSize > 0 ? static_cast<std::size_t>(newSize) : 0, 0);
}

std::string ByteBlock::name() const {
    return std::string(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(bytes_.size(), kNameLength)));
}

}  // namespace tessaline
