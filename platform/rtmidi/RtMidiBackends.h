#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/rtmidi/RtMidiService.h"

namespace tessaline {

// The client name under which our own ports appear to other programs; ports of clients of
// this name are left out of our own device lists.
inline constexpr const char* kMidiClientName = "Tessaline";

// Names of the MIDI systems RtMidi was built with, in its own order (ALSA, then JACK on
// Linux).
std::vector<std::string> compiledMidiApis();

// Starters for the RtMidi backends of the APIs given (names as compiledMidiApis gives them).
std::vector<BackendStarter> rtMidiBackendStarters(const std::vector<std::string>& apis,
                                                  const std::string& clientName = kMidiClientName);

// The real MIDI devices of this machine: every compiled API that starts, restricted by the
// environment variable of MidiApiChoice.h.
std::unique_ptr<RtMidiService> makeRtMidiService(RtMidiServiceOptions options = {});

// True when `portName` (as RtMidi lists it, "client:port ...") belongs to a client named
// clientName, or to the renamed copy of one ("clientName-01") that a second client of the same
// name gets on JACK.
bool isPortOfClient(const std::string& portName, const std::string& clientName);

}  // namespace tessaline
