#include "app/ProgramDevices.h"

#include "platform/ChainedMidiService.h"
#include "platform/rtmidi/RtMidiBackends.h"
#include "sim/VirtualMidiService.h"

namespace tessaline {

std::unique_ptr<MidiService> makeProgramMidiService(bool pace,
                                                    const RtMidiServiceOptions& options) {
    return std::make_unique<ChainedMidiService>(makeRtMidiService(options),
                                                std::make_unique<VirtualMidiService>(pace));
}

}  // namespace tessaline
