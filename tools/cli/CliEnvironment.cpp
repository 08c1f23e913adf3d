#include "tools/cli/CliEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/ProgramDevices.h"

namespace tessaline::cli {

std::unique_ptr<MidiService> makeCliMidiService(int timeoutMs, const MidiDeadline* deadline) {
    // The window's device list; its virtual instruments run at cable speed unless a test says
    // otherwise.
    const char* noPacing = std::getenv("TESSALINE_NO_PACING");
    const bool pace = noPacing == nullptr || std::string(noPacing) != "1";
    // The time-out bounds waiting for the ports and the instrument, not the time the messages
    // need: a send keeps the service's bound, which outwaits the MIDI systems' own.
    MidiServiceLimits limits;
    limits.openTimeoutMs = std::min(limits.openTimeoutMs, timeoutMs);
    limits.deadline = deadline;
    return makeProgramMidiService(pace, limits);
}

}  // namespace tessaline::cli
