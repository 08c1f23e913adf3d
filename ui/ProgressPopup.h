#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace tessaline {

// The small captionless window of a transfer run: "Transmitting...", later perhaps "Timeout".
// Frameless, on top of everything, centred on the screen, with no task-bar entry; it owns no
// state of the run and is destroyed by whoever created it.
class ProgressPopup : public QWidget {
  public:
    // The owner is the main window; the popup stays above it and shares its lifetime at most.
    ProgressPopup(const QString& text, QWidget* owner);

    void setText(const QString& text);
    QString text() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QLabel* label_ = nullptr;
};

}  // namespace tessaline
