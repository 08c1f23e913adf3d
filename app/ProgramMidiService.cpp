#include "app/ProgramMidiService.h"

#include "sim/VirtualMidiService.h"

namespace tessaline {

std::unique_ptr<MidiService> makeProgramMidiService() {
    // The virtual instruments, at the speed of a real cable.
    return std::make_unique<VirtualMidiService>(true);
}

}  // namespace tessaline
