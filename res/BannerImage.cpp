#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "res/ImageDrawing.h"

namespace tessaline {

namespace {

// A few slow, faint waves across the background: a hint of sound without drawing attention.
void drawWaves(QPainter& painter, int width, int height) {
    for (int wave = 0; wave < 3; ++wave) {
        QPainterPath path;
        const double base = height * (0.55 + 0.12 * wave);
        const double amplitude = 5.0 + 3.0 * wave;
        const double length = 150.0 + 40.0 * wave;
        path.moveTo(0, base);
        for (int x = 0; x <= width; x += 3) {
            path.lineTo(x, base + amplitude * std::sin((x + 37.0 * wave) * 2.0 * std::numbers::pi /
                                                       length));
        }
        painter.setPen(QPen(QColor(255, 255, 255, 34 - 8 * wave), 1.6));
        painter.drawPath(path);
    }
}

}  // namespace

QImage drawBanner(double pixelRatio) {
    QImage image(qRound(kBannerWidth * pixelRatio), qRound(kBannerHeight * pixelRatio),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(0, 0, kBannerWidth, kBannerHeight);
    background.setColorAt(0.0, QColor(38, 70, 96));
    background.setColorAt(0.6, QColor(52, 104, 122));
    background.setColorAt(1.0, QColor(86, 138, 140));
    // Every pixel, also the last column of a ratio that does not divide the width evenly.
    painter.fillRect(QRectF(QPointF(0, 0), image.deviceIndependentSize()), background);
    drawWaves(painter, kBannerWidth, kBannerHeight);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setStyleHint(QFont::SansSerif);
    title.setPixelSize(32);
    title.setBold(true);
    title.setLetterSpacing(QFont::PercentageSpacing, 104);
    painter.setFont(title);
    painter.setPen(QColor(0, 0, 0, 70));
    painter.drawText(QRect(19, 7, kBannerWidth, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Tessaline"));
    painter.setPen(QColor(246, 250, 240));
    painter.drawText(QRect(18, 6, kBannerWidth, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Tessaline"));

    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setStyleHint(QFont::SansSerif);
    subtitle.setPixelSize(12);
    painter.setFont(subtitle);
    painter.setPen(QColor(224, 255, 64, 220));
    painter.drawText(QRect(20, 44, kBannerWidth - 40, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("voice copy for the Motif family"));
    return image;
}

}  // namespace tessaline
