#pragma once

#include <optional>

namespace tessaline {

// Answers --version and --help (-h) on standard output before anything of the window starts:
// no QApplication, no MIDI port, no display needed. Returns the exit code when the command line
// asked for one of them, nothing when the program should start.
std::optional<int> answerInformationRequest(int argc, char** argv);

}  // namespace tessaline
