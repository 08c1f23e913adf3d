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

// The folder of the program's own data for this user (its backups live under it), from the
// environment as the system's conventions have it. Relative values are ignored, since they
// would depend on whatever folder the program was started in. Nothing when the environment
// names no absolute folder.
//  - Linux and the like: $XDG_DATA_HOME/tessaline, else $HOME/.local/share/tessaline.
//  - Windows: %LOCALAPPDATA%\Tessaline.
std::optional<std::filesystem::path> programDataFolder(
    const EnvironmentReader& environment = processEnvironment);

// Why programDataFolder() found none, in words for the user: "HOME is not set".
std::string programDataFolderMissing();

}  // namespace tessaline
