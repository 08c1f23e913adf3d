#include "platform/UserDataFolder.h"

#include <cstdlib>

#include "platform/UserDataRules.h"

namespace tessaline {

std::optional<std::string> processEnvironment(const char* name) {
    // getenv is only unsafe beside a concurrent setenv, which this program never calls.
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<std::filesystem::path> absoluteFolderIn(const EnvironmentReader& environment,
                                                      const char* name) {
    // Longer values are not paths anyone set on purpose.
    constexpr std::size_t kMaxPathText = 4096;
    const std::optional<std::string> value = environment(name);
    if (!value || value->empty() || value->size() > kMaxPathText) {
        return std::nullopt;
    }
    std::filesystem::path path(*value);
    if (!path.is_absolute()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace tessaline
