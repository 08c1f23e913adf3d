#pragma once

#include <cstdint>

namespace tessaline {

// Small seeded generator (splitmix64) for the virtual instrument's memory contents. Written out
// here rather than taken from <random> so that a seed gives the same contents on every
// standard library.
class SimRandom {
  public:
    explicit SimRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform enough in 0..bound-1 for content generation; bound must be positive.
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }

    unsigned char sevenBit() { return static_cast<unsigned char>(next() & 0x7F); }

  private:
    std::uint64_t state_;
};

}  // namespace tessaline
