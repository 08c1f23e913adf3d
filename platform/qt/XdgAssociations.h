#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaline {

// Where the freedesktop association files live, most preferred first.
struct XdgDirs {
    std::vector<std::filesystem::path> configDirs;  // config home, then the config dirs
    std::vector<std::filesystem::path> dataDirs;    // data home, then the data dirs
    std::vector<std::string> desktops;              // current desktop names, lower case

    // From XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS, XDG_CURRENT_DESKTOP
    // and HOME, with the standard defaults for those not set.
    static XdgDirs fromEnvironment();
};

// The desktop entry id of the default application for a MIME type: the first installed entry
// named under [Default Applications] in the mimeapps.list files, in order of preference;
// failing that, the first installed entry the MIME cache associates with the type.
std::optional<std::string> defaultApplication(const XdgDirs& dirs, const std::string& mimeType);

// The file of an installed desktop entry, by id ("org.example.App.desktop"; a "-" in the id
// may stand for a sub-folder of applications/).
std::optional<std::filesystem::path> findDesktopEntry(const XdgDirs& dirs, const std::string& id);

// The association store as the link code reads it: ".htm" (or ".html") gives the id of the
// default application for text/html; "<id>\shell\open\command" gives that entry's open
// command, its Exec value as written (see execArguments). Returns 0 and sets `value`, or 2 with
// `value` unchanged.
int readXdgAssociation(const XdgDirs& dirs, const std::string& key, std::string& value);

}  // namespace tessaline
