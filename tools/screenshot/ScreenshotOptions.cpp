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

}  // namespace

const char* usageText() {
    return "usage: tessaline-screenshot [--device 0..3] [--timeout-ms N] [--out FILE.png]\n"
           "Shows the main window on the offscreen platform with a virtual instrument\n"
           "(0 Motif ES7, 1 Motif 7, 2 Motif Rack, 3 S90), waits until both display lines\n"
           "are filled and saves the window as a PNG (default tessaline-window.png).\n";
}

std::string parseOptions(int argc, char** argv, ScreenshotOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else if (std::strcmp(arg, "--out") == 0 && value != nullptr) {
            options.output = value;
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
    return {};
}

}  // namespace tessaline::screenshot
