#include "tools/virtual-instrument/InstrumentOptions.h"

#include <cstdlib>

namespace tessaline::tools {

bool parseInstrumentOptions(int argc, char** argv, InstrumentOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (arg == "--model") {
            if (!value(options.model)) {
                return false;
            }
        } else if (arg == "--api") {
            if (!value(options.api)) {
                return false;
            }
        } else if (arg == "--name") {
            if (!value(options.clientName)) {
                return false;
            }
        } else if (arg == "--seed") {
            std::string text;
            if (!value(text)) {
                return false;
            }
            char* end = nullptr;
            options.seed = std::strtoull(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != '\0') {
                return false;
            }
        } else if (arg == "--fast") {
            options.pace = false;
        } else if (arg == "--pace") {
            options.pace = true;  // the default; still taken
        } else {
            return false;
        }
    }
    return options.api == "alsa" || options.api == "jack";
}

}  // namespace tessaline::tools
