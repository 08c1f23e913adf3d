#pragma once

#include <QImage>
#include <QLinearGradient>

namespace tessaline {

// The program's own images, drawn rather than stored so that they stay sharp and editable.
inline constexpr int kBannerWidth = 483;
inline constexpr int kBannerHeight = 68;
inline constexpr int kExecuteWidth = 42;
inline constexpr int kExecuteHeight = 26;

// The banner and the Execute button are drawn for a device pixel ratio: the image has that many
// pixels per logical pixel of the sizes above and carries the ratio, so that it shows at those
// sizes, as sharp as the screen allows.
QImage drawBanner(double pixelRatio = 1.0);
QImage drawExecuteButton(bool pressed, double pixelRatio = 1.0);
QImage drawProgramIcon(int size);

// A transparent square for an icon drawn on a 32 x 32 grid, whatever its size.
QImage blankIcon(int size);
// The blue of the program's icons, top left to bottom right of the 32 x 32 grid.
QLinearGradient iconGradient();

}  // namespace tessaline
