#include "platform/rtmidi/ProgramMidiApi.h"

#include <cstdlib>

#include "platform/rtmidi/MidiApiChoice.h"
#include "platform/rtmidi/RtMidiBackends.h"

namespace tessaline {

std::string programMidiApiProblem() {
    return midiApiSettingProblem(std::getenv(kMidiApiVariable), compiledMidiApis());
}

}  // namespace tessaline
