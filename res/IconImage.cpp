#include <QLinearGradient>
#include <QPainter>

#include "res/ImageDrawing.h"

namespace tessaline {

// A rounded tile with three keys of a keyboard: the program's mark at any size.
QImage blankIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QLinearGradient iconGradient() {
    QLinearGradient gradient(0, 0, 32, 32);
    gradient.setColorAt(0.0, QColor(52, 104, 122));
    gradient.setColorAt(1.0, QColor(38, 70, 96));
    return gradient;
}

QImage drawProgramIcon(int size) {
    QImage image = blankIcon(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(iconGradient());
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
