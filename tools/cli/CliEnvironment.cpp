#include "tools/cli/CliEnvironment.h"

#include <cstdlib>

#include "sim/VirtualMidiService.h"

#ifdef TESSALINE_CLI_HAS_QT
#include "platform/qt/QtProfile.h"
#endif

namespace tessaline::cli {

std::unique_ptr<MidiService> makeCliMidiService() {
    // The virtual instruments run at cable speed, as the window's do; tests switch it off.
    const char* noPacing = std::getenv("TESSALINE_NO_PACING");
    const bool pace = noPacing == nullptr || std::string(noPacing) != "1";
    return std::make_unique<VirtualMidiService>(pace);
}

std::unique_ptr<Profile> makeUserProfile() {
#ifdef TESSALINE_CLI_HAS_QT
    return std::make_unique<QtProfile>("tessaline");
#else
    return nullptr;
#endif
}

}  // namespace tessaline::cli
