#include "ui/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <cstdlib>

namespace tessaline {

BaseUnits baseUnitsOf(const QFont& font) {
    QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Halves round up, as the classic dialog manager did: (width / 26 + 1) / 2.
    BaseUnits units;
    units.x = (letters / 26 + 1) / 2;
    units.y = metrics.height();
    if (units.x < 1) {
        units.x = 1;
    }
    if (units.y < 1) {
        units.y = 1;
    }
    return units;
}

int mulDivRounded(int a, int b, int c) {
    if (c == 0) {
        return 0;
    }
    long long product = static_cast<long long>(a) * b;
    long long half = std::llabs(static_cast<long long>(c)) / 2;
    bool negative = (product < 0) != (c < 0);
    long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int horizontalPixels(const BaseUnits& units, int dialogUnits) {
    return mulDivRounded(dialogUnits, units.x, 4);
}

int verticalPixels(const BaseUnits& units, int dialogUnits) {
    return mulDivRounded(dialogUnits, units.y, 8);
}

QRect toPixels(const BaseUnits& units, int x, int y, int width, int height) {
    return QRect(horizontalPixels(units, x), verticalPixels(units, y),
                 horizontalPixels(units, width), verticalPixels(units, height));
}

}  // namespace tessaline
