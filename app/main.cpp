#include <QApplication>

#include "app/Application.h"
#include "app/ProgramObjects.h"
#include "midi/MidiSetupDialog.h"
#include "synth/SynthDevice.h"
#include "ui/about/AboutDialog.h"

int main(int argc, char** argv) {
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
