#include "platform/rtmidi/ProgramMidiService.h"
#include "sim/VirtualMidiService.h"

namespace tessaline {

// A build without RtMidi offers the virtual instruments only.
std::unique_ptr<MidiService> makeProgramMidiService(bool pace, const RtMidiServiceOptions&) {
    return std::make_unique<VirtualMidiService>(pace);
}

// With no real MIDI system in the build, the choice among them changes nothing.
std::string programMidiApiProblem() {
    return {};
}

}  // namespace tessaline
