#pragma once

#include <set>
#include <string>

#include "sim/SimRandom.h"

namespace tessaline {

inline constexpr int kNameLength = 10;
inline constexpr int kCategoryCount = 17;  // category bytes 0..16

// Makes plausible ten-character names ("Warm Pad 2", "Grand Pno ") that fit a category: letters,
// digits and blanks only, padded with blanks, each one different from every name this maker
// made before.
class NameMaker {
  public:
    explicit NameMaker(SimRandom& random) : random_(random) {}

    std::string make(int category);

  private:
    std::string candidate(int category);

    SimRandom& random_;
    std::set<std::string> used_;
    int serial_ = 0;
};

}  // namespace tessaline
