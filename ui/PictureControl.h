#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

class QPainter;

namespace tessaline {

// Draws the image at its own size, centred in the area and on whole device pixels, so that
// every pixel of an image drawn for the painter's pixel ratio lands on one pixel of the screen.
// Never stretched: an area smaller than the image shows its middle.
void drawCentred(QPainter& painter, const QRect& area, const QPixmap& image);

// A static picture of a dialog: an image drawn by code, redrawn for the pixel ratio of the
// screen the control is on and shown at its own size in the middle of the control.
class PictureControl : public QWidget {
  public:
    // Draws the image for a device pixel ratio.
    using Drawing = std::function<QPixmap(double pixelRatio)>;

    PictureControl(Drawing drawing, QWidget* parent);

    // The image as drawn for the control's present pixel ratio.
    const QPixmap& picture();
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Drawing drawing_;
    QPixmap picture_;
};

}  // namespace tessaline
