#include "tools/screenshot/DialogShots.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include "platform/Shell.h"
#include "ui/CursorSource.h"
#include "ui/ProgressPopup.h"
#include "ui/about/AboutDialog.h"
#include "ui/setup/MidiSetupDialog.h"

namespace tessaline::screenshot {

namespace {

// Opens nothing: a picture of the About box must never start a mail program or a browser.
class InertShell final : public Shell {
  public:
    int open(const std::string&) override { return shellresult::NoAssociation; }
    int readClassesRootValue(const std::string&, std::string&) override {
        return assocresult::KeyNotFound;
    }
    int startProgram(const std::string&, const std::vector<std::string>&, int) override {
        return shellresult::NoAssociation;
    }
    void beep() override {}
};

// Lets the shown window lay itself out and paint before it is pictured.
void settle() {
    QDeadlineTimer deadline(100);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

QPixmap showAndGrab(QWidget& window) {
    window.show();
    settle();
    QPixmap picture = window.grab();
    window.close();
    return picture;
}

QString selectedText(const QComboBox* list) {
    return list != nullptr && list->currentIndex() >= 0 ? list->currentText()
                                                        : QStringLiteral("(none)");
}

}  // namespace

DialogShot shootSetupDialog(MidiPort& port, QWidget* owner) {
    MidiSetupDialog dialog(port, owner);
    QPixmap picture = showAndGrab(dialog);
    return {picture, QStringLiteral("\"%1\", in: %2 (%3 devices), out: %4 (%5 devices)")
                         .arg(dialog.windowTitle(), selectedText(dialog.inputList()))
                         .arg(dialog.inputList()->count())
                         .arg(selectedText(dialog.outputList()))
                         .arg(dialog.outputList()->count())};
}

DialogShot shootAboutDialog(MessageBoxes& boxes, QWidget* owner) {
    InertShell shell;
    SystemCursorSource cursors;
    AboutDialog dialog(LinkServices{shell, boxes, cursors}, owner);
    QPixmap picture = showAndGrab(dialog);
    return {picture, QStringLiteral("\"%1\"").arg(dialog.windowTitle())};
}

DialogShot shootProgressPopup(QWidget* owner) {
    // The popup shows itself when it is made, as in a transfer run.
    ProgressPopup popup(QStringLiteral("Transmitting..."), owner);
    settle();
    QPixmap picture = popup.grab();
    return {picture, QStringLiteral("\"%1\"").arg(popup.text())};
}

}  // namespace tessaline::screenshot
