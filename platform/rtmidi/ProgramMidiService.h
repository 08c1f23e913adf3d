#pragma once

#include <memory>
#include <string>

#include "platform/MidiService.h"
#include "platform/rtmidi/RtMidiService.h"

namespace tessaline {

// The program's MIDI devices: the real ones of this machine first (every MIDI system that
// starts, see RtMidiBackends.h), then the virtual instruments, one per family. With pace, the
// virtual instruments take the time of a 31250-baud cable.
std::unique_ptr<MidiService> makeProgramMidiService(bool pace,
                                                    const RtMidiServiceOptions& options = {});

// "" when the environment's choice of MIDI systems (TESSALINE_MIDI_API) names only systems
// this build knows; otherwise a sentence that says what is wrong with it.
std::string programMidiApiProblem();

}  // namespace tessaline
