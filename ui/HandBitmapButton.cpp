#include "ui/HandBitmapButton.h"

#include <QPainter>

#include "res/Images.h"
#include "ui/CursorSource.h"

namespace tessaline {

HandBitmapButton::HandBitmapButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void HandBitmapButton::attach(CursorSource& cursors) {
    handCursor_ = cursors.handCursor();
    if (handCursor_) {
        setCursor(*handCursor_);
    } else {
        unsetCursor();
    }
}

bool HandBitmapButton::loadBitmaps(int normal, int pressed, int focused, int disabled) {
    const int ids[4] = {normal, pressed, focused, disabled};
    for (int face = 0; face < 4; ++face) {
        images_[face] = ids[face] != 0 ? loadBitmap(ids[face]) : QPixmap();
    }
    update();
    return !images_[0].isNull();
}

HandBitmapButton::Face HandBitmapButton::currentFace() const {
    if (isDown() && !image(Face::Pressed).isNull()) {
        return Face::Pressed;
    }
    if (hasFocus() && !image(Face::Focused).isNull()) {
        return Face::Focused;
    }
    if (!isEnabled() && !image(Face::Disabled).isNull()) {
        return Face::Disabled;
    }
    return Face::Normal;
}

QSize HandBitmapButton::sizeHint() const {
    const QPixmap& normal = image(Face::Normal);
    return normal.isNull() ? QSize(42, 26) : normal.size();
}

void HandBitmapButton::paintEvent(QPaintEvent*) {
    const QPixmap& face = image(currentFace());
    if (face.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The images are made for the button's size at the usual dialog font; another font scales
    // the button, and the image follows.
    painter.drawPixmap(rect(), face);
}

}  // namespace tessaline
