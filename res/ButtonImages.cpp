#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "res/ImageDrawing.h"

namespace tessaline {

// A rounded key with a "go" triangle. Pressed, the key is darker and its face moves one pixel
// down and to the right, as a real key would.
QImage drawExecuteButton(bool pressed, double pixelRatio) {
    QImage image(qRound(kExecuteWidth * pixelRatio), qRound(kExecuteHeight * pixelRatio),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const int shift = pressed ? 1 : 0;
    QRectF face(1.5 + shift, 1.5 + shift, kExecuteWidth - 4.0, kExecuteHeight - 4.0);
    if (!pressed) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 60));
        painter.drawRoundedRect(face.translated(1.5, 1.5), 5, 5);
    }
    QLinearGradient body(face.topLeft(), face.bottomLeft());
    body.setColorAt(0.0, pressed ? QColor(150, 178, 40) : QColor(236, 255, 120));
    body.setColorAt(1.0, pressed ? QColor(110, 138, 20) : QColor(170, 205, 40));
    painter.setBrush(body);
    painter.setPen(QPen(QColor(60, 76, 20), 1.0));
    painter.drawRoundedRect(face, 5, 5);

    const QPointF centre = face.center();
    QPainterPath arrow;
    arrow.moveTo(centre + QPointF(-4.5, -6.5));
    arrow.lineTo(centre + QPointF(6.5, 0.0));
    arrow.lineTo(centre + QPointF(-4.5, 6.5));
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(pressed ? QColor(30, 40, 10) : QColor(44, 60, 16));
    painter.drawPath(arrow);
    return image;
}

}  // namespace tessaline
