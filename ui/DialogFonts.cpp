#include "ui/DialogFonts.h"

#include <QFontDatabase>

namespace tessaline {

QFont dialogFont(int points) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(points > 0 ? points : 8);
    return font;
}

QFont lineFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    return font;
}

}  // namespace tessaline
