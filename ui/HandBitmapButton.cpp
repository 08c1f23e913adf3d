#include "ui/HandBitmapButton.h"

#include <QPainter>

#include "res/Images.h"
#include "ui/CursorSource.h"
#include "ui/PictureControl.h"

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
    ids_ = {normal, pressed, focused, disabled};
    drawImages(devicePixelRatioF());
    update();
    return !images_[0].isNull();
}

void HandBitmapButton::drawImages(double pixelRatio) {
    for (std::size_t face = 0; face < ids_.size(); ++face) {
        images_[face] = ids_[face] != 0 ? loadBitmap(ids_[face], pixelRatio) : QPixmap();
    }
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
    return normal.isNull() ? QSize(42, 26) : normal.deviceIndependentSize().toSize();
}

void HandBitmapButton::paintEvent(QPaintEvent*) {
    // The window may have moved to a screen of another pixel ratio.
    const double ratio = devicePixelRatioF();
    if (!images_[0].isNull() && images_[0].devicePixelRatio() != ratio) {
        drawImages(ratio);
    }
    QPainter painter(this);
    drawCentred(painter, rect(), image(currentFace()));
}

}  // namespace tessaline
