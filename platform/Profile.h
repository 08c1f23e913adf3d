#pragma once

#include <string>

namespace tessaline {

// The per-user settings store: integers by section and key. A missing value, or one that is
// not an integer, reads as the default. A failed write is not reported.
class Profile {
  public:
    virtual ~Profile() = default;
    virtual int readInt(const std::string& section, const std::string& key, int defaultValue) = 0;
    virtual void writeInt(const std::string& section, const std::string& key, int value) = 0;
};

}  // namespace tessaline
