#include "synth/ByteBlock.h"

#include <algorithm>
#include <cstring>

namespace tessaline {

namespace {

constexpr int kNameLength = 10;

}  // namespace

ByteBlock::ByteBlock(const ByteBlock& other) {
    if (other.size > 0 && other.data != nullptr) {
        allocate(other.size);
        std::memcpy(data, other.data, static_cast<std::size_t>(size));
    }
}

ByteBlock& ByteBlock::operator=(const ByteBlock& other) {
    if (this != &other) {
        ByteBlock copy(other);
        std::swap(data, copy.data);
        std::swap(size, copy.size);
    }
    return *this;
}

ByteBlock::~ByteBlock() {
    release();
}

void ByteBlock::allocate(int newSize) {
    release();
    if (newSize <= 0) {
        return;
    }
    // Cleared, so that a block read before its first dump holds zeros rather than garbage.
    data = new unsigned char[static_cast<std::size_t>(newSize)]();
    size = newSize;
}

void ByteBlock::release() {
    delete[] data;
    data = nullptr;
    size = 0;
}

std::string ByteBlock::name() const {
    if (data == nullptr || size <= 0) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(data),
                       static_cast<std::size_t>(std::min(size, kNameLength)));
}

}  // namespace tessaline
