#include "tools/cli/CliEnvironment.h"

#include <algorithm>
#include <cstdlib>

#include "app/ProgramDevices.h"

#ifdef TESSALINE_CLI_HAS_QT
#include "platform/qt/QtProfile.h"
#endif

namespace tessaline::cli {

std::unique_ptr<MidiService> makeCliMidiService(int timeoutMs, const MidiDeadline* deadline) {
    // The window's device list; its virtual instruments run at cable speed unless a test says
    // otherwise.
    const char* noPacing = std::getenv("TESSALINE_NO_PACING");
    const bool pace = noPacing == nullptr || std::string(noPacing) != "1";
    // The time-out bounds waiting for the ports and the instrument, not the time the messages
    // need: a send keeps the service's bound, which outwaits the backends' own.
    RtMidiServiceOptions options;
    options.openTimeoutMs = std::min(options.openTimeoutMs, timeoutMs);
    options.deadline = deadline;
    return makeProgramMidiService(pace, options);
}

std::unique_ptr<Profile> makeUserProfile() {
#ifdef TESSALINE_CLI_HAS_QT
    return std::make_unique<QtProfile>("tessaline");
#else
    return nullptr;
#endif
}

}  // namespace tessaline::cli
