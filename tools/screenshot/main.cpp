// Shows the main window as a user would see it, without a display, and saves it, or a window it
// opens, as a PNG.
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/NullServices.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtPoster.h"
#include "res/ResourceIds.h"
#include "synth/SynthDevice.h"
#include "tools/screenshot/DialogShots.h"
#include "tools/screenshot/ScreenshotOptions.h"
#include "tools/screenshot/VirtualService.h"
#include "ui/MainDialog.h"

using namespace tessaline;

namespace {

bool linesFilled(const MainDialog& window) {
    for (int id : {IDC_VOICE_LINE, IDC_PERF_LINE}) {
        auto* line = dynamic_cast<QLineEdit*>(window.control(id));
        if (line == nullptr || line->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

// A box would wait for a user who is not there; say what it said instead.
void printBox(const QString& text, const QString& caption, BoxIcon) {
    std::fprintf(stderr, "[%s] %s\n", caption.toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
}

// The picture the options ask for, once the instrument has been identified.
screenshot::DialogShot shoot(screenshot::DialogKind kind, MainDialog& window, SynthDevice& device,
                             MessageBoxes& boxes) {
    switch (kind) {
        case screenshot::DialogKind::Setup:
            return screenshot::shootSetupDialog(device, &window);
        case screenshot::DialogKind::About:
            return screenshot::shootAboutDialog(boxes, &window);
        case screenshot::DialogKind::Popup:
            return screenshot::shootProgressPopup(&window);
        case screenshot::DialogKind::Main:
            break;
    }
    return {window.grab(), window.statusText()};
}

}  // namespace

int main(int argc, char** argv) {
    screenshot::ScreenshotOptions options;
    if (const std::string error = screenshot::parseOptions(argc, argv, options); !error.empty()) {
        std::fprintf(stderr, "%s\n%s", error.c_str(), screenshot::usageText());
        return 1;
    }
    if (options.help) {
        std::fputs(screenshot::usageText(), stdout);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    std::unique_ptr<MidiService> midi = screenshot::makeVirtualService();
    InMemoryProfile profile;
    profile.writeInt("", "MIDI Device In", options.device);
    profile.writeInt("", "MIDI Device Out", options.device);
    QtMessageBoxes boxes(printBox);
    QtPoster poster;
    SystemClock clock;
    SynthDevice device(PortServices{*midi, profile, boxes, poster, clock});

    int status = 0;
    {
        SavedSelections saved;
        MainDialog window(device, saved);
        poster.setMainWindow(&window);
        window.createWindow();
        window.show();
        QDeadlineTimer deadline(options.timeoutMs);
        while (!linesFilled(window) && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        if (!linesFilled(window)) {
            std::fprintf(stderr,
                         "The display lines were not filled within %d ms; saving what "
                         "the window shows.\n",
                         options.timeoutMs);
            status = 2;
        }
        const screenshot::DialogShot shot = shoot(options.dialog, window, device, boxes);
        if (!shot.picture.save(QString::fromStdString(options.output), "PNG")) {
            std::fprintf(stderr, "Cannot write %s\n", options.output.c_str());
            status = 1;
        } else {
            std::printf("%s: %s\n", options.output.c_str(),
                        shot.description.toLocal8Bit().constData());
        }
        poster.setMainWindow(nullptr);
        window.destroyWindow();
    }
    device.close();
    return status;
}
