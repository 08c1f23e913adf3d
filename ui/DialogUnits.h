#pragma once

#include <QRect>

class QFont;

namespace tessaline {

// Dialog base units of a font: the average width of the 52 letters A-Z a-z and the font's
// height, in pixels. A dialog unit is a quarter of the first horizontally and an eighth of the
// second vertically.
struct BaseUnits {
    int x = 0;
    int y = 0;
};

BaseUnits baseUnitsOf(const QFont& font);

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDivRounded(int a, int b, int c);

int horizontalPixels(const BaseUnits& units, int dialogUnits);
int verticalPixels(const BaseUnits& units, int dialogUnits);
QRect toPixels(const BaseUnits& units, int x, int y, int width, int height);

}  // namespace tessaline
