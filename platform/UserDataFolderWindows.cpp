// The program's data folder on Windows: the user's local application data, which stays on
// this machine (backups of an instrument on this machine's cable have no business roaming).
#include "platform/UserDataFolder.h"
#include "platform/UserDataRules.h"

namespace tessaline {

std::optional<std::filesystem::path> programDataFolder(const EnvironmentReader& environment) {
    if (auto local = absoluteFolderIn(environment, "LOCALAPPDATA")) {
        return *local / "Tessaline";
    }
    return std::nullopt;
}

std::string programDataFolderMissing() {
    return "LOCALAPPDATA is not set";
}

}  // namespace tessaline
