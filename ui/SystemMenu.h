#pragma once

#include <QString>
#include <vector>

namespace tessaline {

// System commands the window's menu offers besides its own entries.
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_CLOSE = 0xF060;

// One entry of the window's system menu; command 0 is a separator. X11 and Wayland give a
// program no system menu of its own, so the window shows these as its context menu.
struct SystemMenuEntry {
    int command = 0;
    QString text;
};

// The standard entries every such menu starts with.
std::vector<SystemMenuEntry> standardSystemMenu();

}  // namespace tessaline
