#include "app/CommandLineInfo.h"

#include <cstdio>
#include <cstring>

#include "res/Version.h"

namespace tessaline {

namespace {

constexpr const char* kHelpText =
    "Usage: tessaline [--help] [--version] [Qt options]\n"
    "\n"
    "Copies one voice of an S90, Motif 6/7/8, Motif Rack or Motif ES6/7/8 into a part of a\n"
    "performance or of the song mix, with every parameter of the voice.\n"
    "\n"
    "  -h, --help   show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "Qt's own options are taken as well, e.g. -platform NAME or -style NAME.\n"
    "\n"
    "Environment:\n"
    "  TESSALINE_MIDI_API   the MIDI systems to list: alsa, jack, alsa,jack or none\n"
    "                       (only the virtual instruments); unset, every one that starts\n";

}  // namespace

std::optional<int> answerInformationRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tessaline %s\n", kVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelpText, stdout);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace tessaline
