#include "platform/qt/XdgAssociations.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

#include "platform/Shell.h"

namespace tessaline {

namespace fs = std::filesystem;

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Paths of a colon-separated list, or of the fallback when the list is unset or empty.
std::vector<fs::path> pathList(const std::string& list, const std::string& fallback) {
    std::vector<fs::path> paths;
    for (const std::string& part : split(list.empty() ? fallback : list, ':')) {
        if (!part.empty()) {
            paths.emplace_back(part);
        }
    }
    return paths;
}

// The value of a key in a group of a desktop-style key file (no locale variants).
std::optional<std::string> keyFileValue(const fs::path& file, const std::string& group,
                                        const std::string& key) {
    std::ifstream in(file);
    if (!in) {
        return std::nullopt;
    }
    bool inGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = trim(line);
        if (text.empty() || text[0] == '#') {
            continue;
        }
        if (text[0] == '[') {
            inGroup = text == "[" + group + "]";
            continue;
        }
        if (!inGroup) {
            continue;
        }
        const auto equals = text.find('=');
        if (equals != std::string::npos && trim(text.substr(0, equals)) == key) {
            return trim(text.substr(equals + 1));
        }
    }
    return std::nullopt;
}

// The first installed entry of a semicolon-separated list of desktop entry ids.
std::optional<std::string> firstInstalled(const XdgDirs& dirs, const std::string& list) {
    for (const std::string& id : split(list, ';')) {
        const std::string name = trim(id);
        if (!name.empty() && findDesktopEntry(dirs, name)) {
            return name;
        }
    }
    return std::nullopt;
}

// The mimeapps.list files in order of preference: per folder, the desktop-specific ones first.
std::vector<fs::path> mimeappsFiles(const XdgDirs& dirs) {
    std::vector<fs::path> folders = dirs.configDirs;
    for (const fs::path& data : dirs.dataDirs) {
        folders.push_back(data / "applications");
    }
    std::vector<fs::path> files;
    for (const fs::path& folder : folders) {
        for (const std::string& desktop : dirs.desktops) {
            files.push_back(folder / (desktop + "-mimeapps.list"));
        }
        files.push_back(folder / "mimeapps.list");
    }
    return files;
}

const char kCommandSuffix[] = "\\shell\\open\\command";

}  // namespace

XdgDirs XdgDirs::fromEnvironment() {
    const std::string home = environment("HOME");
    XdgDirs dirs;
    dirs.configDirs = pathList(environment("XDG_CONFIG_HOME"), home + "/.config");
    for (fs::path& dir : pathList(environment("XDG_CONFIG_DIRS"), "/etc/xdg")) {
        dirs.configDirs.push_back(std::move(dir));
    }
    dirs.dataDirs = pathList(environment("XDG_DATA_HOME"), home + "/.local/share");
    for (fs::path& dir : pathList(environment("XDG_DATA_DIRS"), "/usr/local/share:/usr/share")) {
        dirs.dataDirs.push_back(std::move(dir));
    }
    for (const std::string& desktop : split(environment("XDG_CURRENT_DESKTOP"), ':')) {
        if (!desktop.empty()) {
            dirs.desktops.push_back(lowerCase(desktop));
        }
    }
    return dirs;
}

std::optional<std::string> defaultApplication(const XdgDirs& dirs, const std::string& mimeType) {
    for (const fs::path& file : mimeappsFiles(dirs)) {
        if (auto list = keyFileValue(file, "Default Applications", mimeType)) {
            if (auto id = firstInstalled(dirs, *list)) {
                return id;
            }
        }
    }
    for (const fs::path& data : dirs.dataDirs) {
        const fs::path cache = data / "applications" / "mimeinfo.cache";
        if (auto list = keyFileValue(cache, "MIME Cache", mimeType)) {
            if (auto id = firstInstalled(dirs, *list)) {
                return id;
            }
        }
    }
    return std::nullopt;
}

std::optional<fs::path> findDesktopEntry(const XdgDirs& dirs, const std::string& id) {
    if (id.empty() || id.find('/') != std::string::npos) {
        return std::nullopt;
    }
    // "vendor-app.desktop" may also be installed as vendor/app.desktop.
    std::vector<std::string> names{id};
    for (std::size_t dash = id.find('-'); dash != std::string::npos;
         dash = id.find('-', dash + 1)) {
        std::string nested = id;
        nested[dash] = '/';
        names.push_back(nested);
    }
    std::error_code error;
    for (const fs::path& data : dirs.dataDirs) {
        for (const std::string& name : names) {
            const fs::path file = data / "applications" / name;
            if (fs::is_regular_file(file, error)) {
                return file;
            }
        }
    }
    return std::nullopt;
}

int readXdgAssociation(const XdgDirs& dirs, const std::string& key, std::string& value) {
    const std::string lowered = lowerCase(key);
    if (lowered == ".htm" || lowered == ".html") {
        if (auto id = defaultApplication(dirs, "text/html")) {
            value = *id;
            return assocresult::Ok;
        }
        return assocresult::KeyNotFound;
    }
    const std::string suffix = kCommandSuffix;
    if (lowered.size() > suffix.size() &&
        lowered.compare(lowered.size() - suffix.size(), suffix.size(), suffix) == 0) {
        const std::string id = key.substr(0, key.size() - suffix.size());
        if (auto file = findDesktopEntry(dirs, id)) {
            if (auto exec = keyFileValue(*file, "Desktop Entry", "Exec")) {
                value = *exec;
                return assocresult::Ok;
            }
        }
    }
    return assocresult::KeyNotFound;
}

}  // namespace tessaline
