#pragma once

#include <QAbstractButton>
#include <QCursor>
#include <QPixmap>
#include <array>
#include <optional>

namespace tessaline {

class CursorSource;

// A push button drawn entirely by its bitmaps (up, pressed, focused, disabled) that shows the
// hand cursor while the mouse is over it.
class HandBitmapButton : public QAbstractButton {
  public:
    enum class Face { Normal = 0, Pressed = 1, Focused = 2, Disabled = 3 };

    explicit HandBitmapButton(QWidget* parent = nullptr);

    // Takes the hand cursor from the source; without one the cursor does not change over the
    // button.
    void attach(CursorSource& cursors);
    bool hasHandCursor() const { return handCursor_.has_value(); }

    // Images by bitmap resource id; 0 leaves that face without an image. False when the normal
    // image cannot be loaded. They are drawn for the button's pixel ratio, and again when it
    // changes.
    bool loadBitmaps(int normal, int pressed = 0, int focused = 0, int disabled = 0);

    // The face drawn now: pressed while down, else focused while focused, else disabled while
    // disabled, each only when it has an image; the normal image otherwise.
    Face currentFace() const;
    const QPixmap& image(Face face) const { return images_[static_cast<int>(face)]; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void drawImages(double pixelRatio);

    std::array<int, 4> ids_{};
    std::array<QPixmap, 4> images_;
    std::optional<QCursor> handCursor_;
};

}  // namespace tessaline
