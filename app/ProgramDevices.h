#pragma once

#include <memory>

#include "platform/MidiService.h"
#include "platform/rtmidi/ProgramMidiApi.h"
#include "platform/rtmidi/RtMidiService.h"

namespace tessaline {

// The program's MIDI devices: the real ones of this machine first (every MIDI system that
// starts, see platform/rtmidi/RtMidiBackends.h), then the virtual instruments, one per family.
// With pace, the virtual instruments take the time of a 31250-baud cable. Shared by the window
// and the command line, so that both offer the same device list.
std::unique_ptr<MidiService> makeProgramMidiService(bool pace,
                                                    const RtMidiServiceOptions& options = {});

}  // namespace tessaline
