#include "res/MidiSetupIcon.h"

#include "res/ImageDrawing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QtMath>
#include <cmath>

namespace tessaline {

QImage drawMidiSetupIcon(int size) {
    QImage image = blankIcon(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The socket's metal ring and its dark face, in the colours of the program's icon.
    painter.setPen(Qt::NoPen);
    painter.setBrush(iconGradient());
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setBrush(QColor(24, 34, 44));
    painter.drawEllipse(QRectF(4.5, 4.5, 23, 23));

    // The key notch at the bottom.
    painter.setBrush(QColor(52, 104, 122));
    painter.drawRect(QRectF(14, 24.5, 4, 4.5));

    // Five pins on the upper half circle, 45 degrees apart; the middle one in the lime of the
    // program's icon.
    const QPointF centre(16, 17);
    const double radius = 7.5;
    for (int pin = 0; pin < 5; ++pin) {
        painter.setBrush(pin == 2 ? QColor(224, 255, 64) : QColor(246, 250, 240));
        const double angle = qDegreesToRadians(45.0 * pin);
        const QPointF at(centre.x() + radius * std::cos(angle),
                         centre.y() - radius * std::sin(angle));
        painter.drawEllipse(at, 1.7, 1.7);
    }
    return image;
}

}  // namespace tessaline
