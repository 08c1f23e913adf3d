// The program's static objects, in the order they must be constructed: the services the device
// needs, the application object, then the one device. Destruction runs the other way, so the
// device closes its ports (posting into nothing, as there is no window by then) before any
// service it uses goes away.
#include "app/ProgramObjects.h"

#include <memory>

#include "app/Application.h"
#include "platform/Clock.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtPoster.h"
#include "platform/qt/QtProfile.h"
#include "platform/rtmidi/ProgramMidiService.h"
#include "synth/SynthDevice.h"

namespace tessaline {

namespace {

QtPoster gPoster;
QtMessageBoxes gBoxes;
QtProfile gProfile;
SystemClock gClock;
std::unique_ptr<MidiService> gMidi = makeProgramMidiService(true);

Application gApplication(ApplicationParts{
    gProfile, []() -> SynthDevice& { return theDevice(); }, &gPoster, {}, nullptr, {}});
SynthDevice gDevice(PortServices{*gMidi, gProfile, gBoxes, gPoster, gClock});

}  // namespace

Application& theApplication() {
    return gApplication;
}
SynthDevice& theDevice() {
    return gDevice;
}

MessageBoxes& programMessageBoxes() {
    return gBoxes;
}

}  // namespace tessaline
