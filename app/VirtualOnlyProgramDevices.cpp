// The program's devices in a build without a real MIDI system.
#include "app/ProgramDevices.h"
#include "sim/VirtualMidiService.h"

namespace tessaline {

// The virtual instruments only.
std::unique_ptr<MidiService> makeProgramMidiService(bool pace, const MidiServiceLimits&) {
    return std::make_unique<VirtualMidiService>(pace);
}

// With no real MIDI system in the build, the choice among them changes nothing.
std::string programMidiApiProblem() {
    return {};
}

}  // namespace tessaline
