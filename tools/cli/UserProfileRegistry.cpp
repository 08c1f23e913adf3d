// The window's settings in the Windows registry.
#include "platform/registry/RegistryProfile.h"
#include "tools/cli/CliEnvironment.h"

namespace tessaline::cli {

std::unique_ptr<Profile> makeUserProfile() {
    return std::make_unique<RegistryProfile>("tessaline");
}

}  // namespace tessaline::cli
