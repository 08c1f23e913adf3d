#pragma once

#include <QColor>
#include <QLineEdit>

namespace tessaline {

// A one-line edit that paints its background in a solid colour of its own, enabled or not,
// read-only or not. The text keeps the default text colour.
class ColourEdit : public QLineEdit {
  public:
    explicit ColourEdit(QWidget* parent = nullptr);

    // Stores the colour and repaints the control at once.
    void setBackgroundColour(const QColor& colour);
    QColor backgroundColour() const { return colour_; }

  private:
    QColor colour_{255, 255, 255};
};

}  // namespace tessaline
