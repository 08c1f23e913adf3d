#pragma once

#include <QImage>
#include <QLinearGradient>

namespace tessaline {

// The program's own images, drawn rather than stored so that they stay sharp and editable.
inline constexpr int kBannerWidth = 483;
inline constexpr int kBannerHeight = 68;
inline constexpr int kExecuteWidth = 42;
inline constexpr int kExecuteHeight = 26;

QImage drawBanner();
QImage drawExecuteButton(bool pressed);
QImage drawProgramIcon(int size);

// A transparent square for an icon drawn on a 32 x 32 grid, whatever its size.
QImage blankIcon(int size);
// The blue of the program's icons, top left to bottom right of the 32 x 32 grid.
QLinearGradient iconGradient();

}  // namespace tessaline
