#pragma once

#include <QImage>

namespace tessaline {

// The program's own images, drawn rather than stored so that they stay sharp and editable.
inline constexpr int kBannerWidth = 483;
inline constexpr int kBannerHeight = 68;
inline constexpr int kExecuteWidth = 42;
inline constexpr int kExecuteHeight = 26;

QImage drawBanner();
QImage drawExecuteButton(bool pressed);
QImage drawProgramIcon(int size);

}  // namespace tessaline
