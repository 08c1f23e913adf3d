#pragma once

#include <string>

#include "sim/VirtualInstrument.h"

namespace tessaline::tools {

// One line of the control language read on standard input, answered with one line:
//   print HHMMLL COUNT   COUNT bytes of memory from address HH MM LL (hex), as hex pairs
//   mode                 the mode parameter (0 voice, 1 performance, 3 song mix)
//   ignored              how many messages were ignored, and how many were received
//   lost                 how many messages were lost to freezes: beyond what the transport
//                        held, so they never reached the instrument
//   drop HHMMLL          the next parameter change to that address is lost, once
//   damage               the next dump block sent goes out with a wrong checksum, once
//   freeze MS            take no MIDI in for MS (1 to 60000) milliseconds, as a stalled
//                        instrument; what the transport cannot hold meanwhile is lost
//                        (see VirtualInstrument::freezeInput)
//   quit                 ends the program
// Errors answer "error: ..." and change nothing.
struct ControlReply {
    std::string text;
    bool quit = false;
};

inline constexpr int kMaxFreezeMs = 60000;

ControlReply runControlCommand(const std::string& line, VirtualInstrument& instrument);

}  // namespace tessaline::tools
