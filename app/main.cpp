// The composition root: every object of the program is a local of main(), made in the order
// the others need it and destroyed the other way round, all while Qt's application object
// exists. The device goes before the services it uses.
#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/CommandLineInfo.h"
#include "app/ProgramDevices.h"
#include "platform/Clock.h"
#include "platform/UserDataFolder.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtPoster.h"
#include "platform/qt/QtProfile.h"
#include "synth/SynthDevice.h"
#include "ui/about/AboutDialog.h"
#include "ui/setup/MidiSetupDialog.h"

int main(int argc, char** argv) {
    using namespace tessaline;
    if (const auto answered = answerInformationRequest(argc, argv)) {
        return *answered;
    }
    // The window runs on with whatever MIDI systems it can use; the user still hears why.
    if (const std::string problem = programMidiApiProblem(); !problem.empty()) {
        std::fprintf(stderr, "tessaline: %s\n", problem.c_str());
    }
    QApplication app(argc, argv);

    QtPoster poster;
    QtMessageBoxes boxes;
    QtProfile profile;
    SystemClock clock;
    const std::unique_ptr<MidiService> midi = makeProgramMidiService(true);
    SynthDevice device(PortServices{*midi, profile, boxes, poster, clock});

    AboutDialogRunner about(boxes);
    MidiSetupDialogRunner setup;
    Application application(
        ApplicationParts{profile,
                         device,
                         &poster,
                         MainDialogOptions{&about, nullptr, nullptr, programDataFolder()},
                         &setup,
                         {}});
    application.start();
    // The ports close again when the device goes. Closed here, while the application object
    // and the dialogs still exist, input can no longer arrive and ask for a box while they are
    // torn down.
    device.close();
    return 0;
}
