#pragma once

#include <memory>
#include <string>

#include "platform/rtmidi/MidiBackend.h"

namespace tessaline {

// The JACK MIDI ports of the running server, through libjack itself (see JackMidiClient.h for
// why not through RtMidi). Null when no JACK server is running.
std::shared_ptr<MidiBackend> startJackBackend(const std::string& clientName);

}  // namespace tessaline
