#pragma once

#include <QPixmap>
#include <QString>

class QWidget;

namespace tessaline {
class MessageBoxes;
class MidiPort;
}  // namespace tessaline

namespace tessaline::screenshot {

// A window the main window opens, pictured, with a line that says what it showed.
struct DialogShot {
    QPixmap picture;
    QString description;
};

// Each is shown over the owner without a modal run, so that nothing waits for a user, pictured
// and closed again.
DialogShot shootSetupDialog(MidiPort& port, QWidget* owner);
DialogShot shootAboutDialog(MessageBoxes& boxes, QWidget* owner);
DialogShot shootProgressPopup(QWidget* owner);

}  // namespace tessaline::screenshot
