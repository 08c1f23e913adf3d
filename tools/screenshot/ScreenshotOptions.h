#pragma once

#include <string>

namespace tessaline::screenshot {

struct ScreenshotOptions {
    std::string output = "tessaline-window.png";
    int device = 0;         // virtual instrument 0..3
    int timeoutMs = 10000;  // for both lines to fill
    bool help = false;
};

// Parses the command line; returns an error text, empty on success.
std::string parseOptions(int argc, char** argv, ScreenshotOptions& options);
const char* usageText();

}  // namespace tessaline::screenshot
