#include "ui/ColourEdit.h"

#include <QPalette>

namespace tessaline {

ColourEdit::ColourEdit(QWidget* parent) : QLineEdit(parent) {
    setBackgroundColour(colour_);
}

void ColourEdit::setBackgroundColour(const QColor& colour) {
    colour_ = colour;
    QPalette palette = this->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, colour_);
    }
    setPalette(palette);
    update();
}

}  // namespace tessaline
