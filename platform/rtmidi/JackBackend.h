#pragma once

#include <memory>
#include <string>

#include "platform/rtmidi/MidiBackend.h"

namespace tessaline {

// The JACK MIDI ports of the server, through libjack itself (see JackMidiClient.h for why not
// through RtMidi). Without a running server it lists nothing until one starts.
std::shared_ptr<MidiBackend> startJackBackend(const std::string& clientName);

}  // namespace tessaline
