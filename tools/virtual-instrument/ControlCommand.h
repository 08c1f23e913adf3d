#pragma once

#include <string>

#include "sim/VirtualInstrument.h"

namespace tessaline::tools {

// One line of the control language read on standard input, answered with one line:
//   print HHMMLL COUNT   COUNT bytes of memory from address HH MM LL (hex), as hex pairs
//   mode                 the mode parameter (0 voice, 1 performance, 3 song mix)
//   ignored              how many messages were ignored, and how many were received
//   quit                 ends the program
// Errors answer "error: ..." and change nothing.
struct ControlReply {
    std::string text;
    bool quit = false;
};

ControlReply runControlCommand(const std::string& line, const VirtualInstrument& instrument);

}  // namespace tessaline::tools
