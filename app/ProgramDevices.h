#pragma once

#include <memory>
#include <string>

#include "platform/MidiDeadline.h"
#include "platform/MidiService.h"

namespace tessaline {

// The program's MIDI devices: the real ones of this machine first (every MIDI system of this
// build that starts), then the virtual instruments, one per family. With pace, the virtual
// instruments take the time of a 31250-baud cable. Shared by the window and the command line,
// so that both offer the same device list.
std::unique_ptr<MidiService> makeProgramMidiService(bool pace,
                                                    const MidiServiceLimits& limits = {});

// "" when the environment's choice of MIDI systems (TESSALINE_MIDI_API) names only systems
// this build knows; otherwise a sentence that says what is wrong with it.
std::string programMidiApiProblem();

}  // namespace tessaline
