#include <QApplication>

#include "app/Application.h"
#include "app/ProgramObjects.h"
#include "midi/MidiSetupDialog.h"
#include "ui/about/AboutDialog.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tessaline::AboutDialogRunner about(tessaline::programMessageBoxes());
    tessaline::MidiSetupDialogRunner setup;
    tessaline::theApplication().useDialogs(&about, &setup);
    tessaline::theApplication().start();
    return 0;
}
