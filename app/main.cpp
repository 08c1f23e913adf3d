#include <QApplication>

#include <cstdio>
#include <string>

#include "app/Application.h"
#include "app/ProgramObjects.h"
#include "platform/rtmidi/ProgramMidiService.h"
#include "synth/SynthDevice.h"
#include "ui/about/AboutDialog.h"
#include "ui/setup/MidiSetupDialog.h"

int main(int argc, char** argv) {
    // The window runs on with whatever MIDI systems it can use; the user still hears why.
    if (const std::string problem = tessaline::programMidiApiProblem(); !problem.empty()) {
        std::fprintf(stderr, "tessaline: %s\n", problem.c_str());
    }
    QApplication app(argc, argv);
    tessaline::AboutDialogRunner about(tessaline::programMessageBoxes());
    tessaline::MidiSetupDialogRunner setup;
    tessaline::theApplication().useDialogs(&about, &setup);
    tessaline::theApplication().start();
    // The ports close again when the device goes at exit. Closed here, while the application
    // object still exists, input can no longer arrive and ask for a box while it is torn down.
    tessaline::theDevice().close();
    return 0;
}
