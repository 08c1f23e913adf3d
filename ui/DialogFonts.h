#pragma once

#include <QFont>

namespace tessaline {

// The font dialogs are laid out with: the system's sans font at the template's size.
QFont dialogFont(int points);
// The font of the two display lines: the system's fixed-pitch font at 10 points.
QFont lineFont();

}  // namespace tessaline
