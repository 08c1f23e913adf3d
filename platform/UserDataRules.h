#pragma once

#include <filesystem>
#include <optional>

#include "platform/UserDataFolder.h"

namespace tessaline {

// The value of an environment variable as a folder: only an absolute path of sensible length.
std::optional<std::filesystem::path> absoluteFolderIn(const EnvironmentReader& environment,
                                                      const char* name);

}  // namespace tessaline
