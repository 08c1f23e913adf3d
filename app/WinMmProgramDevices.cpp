// The program's devices on Windows: the system's MIDI devices, then the virtual instruments.
#include "app/ProgramDevices.h"
#include "platform/ChainedMidiService.h"
#include "platform/winmm/WinMmMidiService.h"
#include "sim/VirtualMidiService.h"

namespace tessaline {

// Windows has one MIDI system and opens its ports at once: the limits of starting one and of
// waiting for it have nothing to bound here.
std::unique_ptr<MidiService> makeProgramMidiService(bool pace, const MidiServiceLimits&) {
    return std::make_unique<ChainedMidiService>(makeWinMmMidiService(),
                                                std::make_unique<VirtualMidiService>(pace));
}

// There is no choice of MIDI systems to get wrong.
std::string programMidiApiProblem() {
    return {};
}

}  // namespace tessaline
