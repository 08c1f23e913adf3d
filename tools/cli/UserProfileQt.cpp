// The window's settings through QtCore, where the window is built with Qt.
#include "platform/qt/QtProfile.h"
#include "tools/cli/CliEnvironment.h"

namespace tessaline::cli {

std::unique_ptr<Profile> makeUserProfile() {
    return std::make_unique<QtProfile>("tessaline");
}

}  // namespace tessaline::cli
