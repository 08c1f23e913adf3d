#pragma once

#include "platform/Shell.h"

namespace tessaline {

// The desktop's shell through Qt: targets open with the desktop's handler, the association
// store is the freedesktop MIME defaults, programs start detached.
class DesktopShell final : public Shell {
  public:
    int open(const std::string& target) override;
    int readClassesRootValue(const std::string& key, std::string& value) override;
    int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                     int show) override;
    void beep() override;
};

}  // namespace tessaline
