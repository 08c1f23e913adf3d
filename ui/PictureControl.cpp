#include "ui/PictureControl.h"

#include <QPainter>

namespace tessaline {

void drawCentred(QPainter& painter, const QRect& area, const QPixmap& image) {
    if (image.isNull()) {
        return;
    }
    const double ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    // Placed and drawn in device pixels: at a ratio such as 1.5, an image of 725 pixels is 483.3
    // logical ones, and any rounding there would blur or cut its last column.
    auto start = [ratio](int from, int room, int used) {
        return qRound(from * ratio) + qRound((room * ratio - used) / 2.0);
    };
    const QRect target(start(area.x(), area.width(), image.width()),
                       start(area.y(), area.height(), image.height()), image.width(),
                       image.height());
    painter.save();
    painter.scale(1.0 / ratio, 1.0 / ratio);
    painter.drawPixmap(target, image, image.rect());
    painter.restore();
}

PictureControl::PictureControl(Drawing drawing, QWidget* parent)
    : QWidget(parent), drawing_(std::move(drawing)) {}

const QPixmap& PictureControl::picture() {
    const double ratio = devicePixelRatioF();
    if (picture_.isNull() || picture_.devicePixelRatio() != ratio) {
        picture_ = drawing_ ? drawing_(ratio) : QPixmap();
    }
    return picture_;
}

QSize PictureControl::sizeHint() const {
    return picture_.isNull() ? QWidget::sizeHint() : picture_.deviceIndependentSize().toSize();
}

void PictureControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawCentred(painter, rect(), picture());
}

}  // namespace tessaline
