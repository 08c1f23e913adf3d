#include <QLinearGradient>
#include <QPainter>

#include "res/ImageDrawing.h"

namespace tessaline {

// A rounded tile with three keys of a keyboard: the program's mark at any size.
QImage drawProgramIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    QLinearGradient tile(0, 0, 32, 32);
    tile.setColorAt(0.0, QColor(52, 104, 122));
    tile.setColorAt(1.0, QColor(38, 70, 96));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);

    painter.setBrush(QColor(246, 250, 240));
    for (int key = 0; key < 3; ++key) {
        painter.drawRoundedRect(QRectF(6 + key * 7, 8, 6, 17), 1.2, 1.2);
    }
    painter.setBrush(QColor(24, 34, 44));
    for (int key = 0; key < 2; ++key) {
        painter.drawRect(QRectF(10.5 + key * 7, 8, 3.5, 10));
    }
    painter.setBrush(QColor(224, 255, 64));
    painter.drawEllipse(QRectF(23, 4, 5, 5));
    return image;
}

}  // namespace tessaline
