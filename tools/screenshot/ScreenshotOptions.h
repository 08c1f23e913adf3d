#pragma once

#include <string>

namespace tessaline::screenshot {

// What the picture shows: the main window, or one of the windows it opens.
enum class DialogKind { Main, Setup, About, Popup };

struct ScreenshotOptions {
    std::string output;  // without --out: tessaline-<dialog>.png, the main window's "window"
    DialogKind dialog = DialogKind::Main;
    int device = 0;         // virtual instrument 0..3
    int timeoutMs = 10000;  // for both lines to fill
    bool help = false;
};

// Parses the command line and fills in the default output; returns an error text, empty on
// success.
std::string parseOptions(int argc, char** argv, ScreenshotOptions& options);
const char* usageText();

}  // namespace tessaline::screenshot
