#include "tools/screenshot/ScreenshotOptions.h"

#include <cstdlib>
#include <cstring>

namespace tessaline::screenshot {

namespace {

bool toInt(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

struct DialogName {
    const char* name;
    const char* fileStem;
    DialogKind kind;
};

constexpr DialogName kDialogNames[] = {
    {"main", "window", DialogKind::Main},
    {"setup", "setup", DialogKind::Setup},
    {"about", "about", DialogKind::About},
    {"popup", "popup", DialogKind::Popup},
};

const DialogName* findDialog(const char* name) {
    for (const DialogName& entry : kDialogNames) {
        if (std::strcmp(entry.name, name) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

const char* usageText() {
    return "usage: tessaline-screenshot [--device 0..3] [--timeout-ms N] [--out FILE.png]\n"
           "                            [--dialog main|setup|about|popup]\n"
           "Shows the main window on the offscreen platform with a virtual instrument\n"
           "(0 Motif ES7, 1 Motif 7, 2 Motif Rack, 3 S90), waits until both display lines\n"
           "are filled and saves the window as a PNG (default tessaline-window.png).\n"
           "--dialog saves instead a window it opens over it: the MIDI setup dialog for the\n"
           "identified instrument, the About box or the transfer popup (default\n"
           "tessaline-setup.png, tessaline-about.png, tessaline-popup.png).\n";
}

std::string parseOptions(int argc, char** argv, ScreenshotOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--out") == 0 && value != nullptr) {
            // An empty name would fall back to the default one: a file the caller never named.
            if (*value == '\0') {
                return "--out takes a file name, not an empty text";
            }
            options.output = value;
            ++i;
        } else if (std::strcmp(arg, "--dialog") == 0 && value != nullptr) {
            const DialogName* entry = findDialog(value);
            if (entry == nullptr) {
                return std::string("--dialog takes main, setup, about or popup, not ") + value;
            }
            options.dialog = entry->kind;
            ++i;
        } else if (std::strcmp(arg, "--device") == 0 && value != nullptr) {
            if (!toInt(value, 0, 3, options.device)) {
                return std::string("--device takes 0 to 3, not ") + value;
            }
            ++i;
        } else if (std::strcmp(arg, "--timeout-ms") == 0 && value != nullptr) {
            if (!toInt(value, 1, 600000, options.timeoutMs)) {
                return std::string("--timeout-ms takes 1 to 600000, not ") + value;
            }
            ++i;
        } else {
            return std::string("unknown or incomplete option: ") + arg;
        }
    }
    if (options.output.empty()) {
        for (const DialogName& entry : kDialogNames) {
            if (entry.kind == options.dialog) {
                options.output = std::string("tessaline-") + entry.fileStem + ".png";
            }
        }
    }
    return {};
}

}  // namespace tessaline::screenshot
