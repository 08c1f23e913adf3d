#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tessaline {

// Reads one environment variable; nothing when it is not set. Tests pass their own.
using EnvironmentReader = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment.
std::optional<std::string> processEnvironment(const char* name);

// Where the user's data lives: $XDG_DATA_HOME when it is set and absolute, else
// $HOME/.local/share when HOME is absolute. A relative value is ignored, as the base directory
// rules ask, since it would depend on whatever folder the program was started in. Nothing when
// neither gives an absolute path.
std::optional<std::filesystem::path> userDataHome(
    const EnvironmentReader& environment = processEnvironment);

}  // namespace tessaline
