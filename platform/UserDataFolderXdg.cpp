// The program's data folder by the freedesktop base directory rules.
#include "platform/UserDataFolder.h"
#include "platform/UserDataRules.h"

namespace tessaline {

std::optional<std::filesystem::path> programDataFolder(const EnvironmentReader& environment) {
    if (auto xdg = absoluteFolderIn(environment, "XDG_DATA_HOME")) {
        return *xdg / "tessaline";
    }
    if (auto home = absoluteFolderIn(environment, "HOME")) {
        return *home / ".local" / "share" / "tessaline";
    }
    return std::nullopt;
}

std::string programDataFolderMissing() {
    return "HOME is not set";
}

}  // namespace tessaline
