#pragma once

#include <cstddef>
#include <string>

namespace tessaline {

// Every program of the suite keeps its settings under this organisation.
inline constexpr const char* kSettingsOrganisation = "Quorvath";

// A stored text longer than this reads as missing: nothing in the store is that long by right.
inline constexpr std::size_t kMaxProfileText = 1024;

// The per-user settings store: integers by section and key. A missing value, or one that is
// not an integer, reads as the default. A failed write is not reported.
class Profile {
  public:
    virtual ~Profile() = default;
    virtual int readInt(const std::string& section, const std::string& key, int defaultValue) = 0;
    virtual void writeInt(const std::string& section, const std::string& key, int value) = 0;

    // Texts (the names of the chosen devices). A store that keeps none reads every one as
    // missing.
    virtual std::string readText(const std::string& /*section*/, const std::string& /*key*/,
                                 const std::string& defaultValue) {
        return defaultValue;
    }
    virtual void writeText(const std::string& /*section*/, const std::string& /*key*/,
                           const std::string& /*value*/) {}
};

}  // namespace tessaline
