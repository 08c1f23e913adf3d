#pragma once

class QWidget;

namespace tessaline {

// The window a message box or a dialog of the program belongs to: the active window or, when
// that is a tool window (the transfer popup), the window that owns it. A tool window may be
// destroyed while a box over it is still open, and would take the box with it.
QWidget* dialogOwner();

}  // namespace tessaline
