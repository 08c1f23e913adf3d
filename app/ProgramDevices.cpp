#include "app/ProgramDevices.h"

#include <cstdlib>

#include "platform/ChainedMidiService.h"
#include "platform/rtmidi/MidiApiChoice.h"
#include "platform/rtmidi/RtMidiBackends.h"
#include "sim/VirtualMidiService.h"

namespace tessaline {

std::unique_ptr<MidiService> makeProgramMidiService(bool pace, const MidiServiceLimits& limits) {
    RtMidiServiceOptions options;
    options.openTimeoutMs = limits.openTimeoutMs;
    options.deadline = limits.deadline;
    return std::make_unique<ChainedMidiService>(makeRtMidiService(options),
                                                std::make_unique<VirtualMidiService>(pace));
}

std::string programMidiApiProblem() {
    return midiApiSettingProblem(std::getenv(kMidiApiVariable), compiledMidiApis());
}

}  // namespace tessaline
