// A build with no settings store: the command line takes its devices from its options only.
#include "tools/cli/CliEnvironment.h"

namespace tessaline::cli {

std::unique_ptr<Profile> makeUserProfile() {
    return nullptr;
}

}  // namespace tessaline::cli
