#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "midi/Notices.h"
#include "platform/qt/WindowTimers.h"
#include "synth/SynthDevice.h"
#include "ui/MainDialog.h"
#include "ui/TimerIds.h"
#include "ui/setup/MidiSetupDialog.h"

namespace tessaline {

void MainDialog::lookAtDevices() {
    // Never from under a box: the port call that raised it is still under way, and must not
    // find its port closed or opened again when the box goes.
    const bool boxOpen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
    // During a copy the follower only notes what it sees: a reopen would close the port under
    // the copy. A device that went ends the copy, and the follower acts once it has ended.
    if (!boxOpen && follower_.look()) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* setup = dynamic_cast<MidiSetupDialog*>(window)) {
                setup->refreshDevices();
            }
        }
    }
    if (sessionRunning() && follower_.goneWhileBusy()) {
        endSession(SessionOutcome::PortsClosed);
    }
    // Started again only now: a box shown by a reopen must not let another look in under it.
    // Where changes are announced, only a look put off by a box comes back by the timer.
    if (windowExists_ && (!devicesAnnounced_ || boxOpen)) {
        timers_->start(TIMER_DEVICE_LOOK, kDeviceLookMs);
    }
}

void MainDialog::watchDevices() {
    if (!devicesAnnounced_) {
        // Posted from the MIDI system's own thread; the look runs here, on ours.
        devicesAnnounced_ = device_.midiService().setDeviceChangeHandler(
            [&device = device_] { device.postToMainWindow(WM_DEVICES_CHANGED, 0, 0); });
    }
    if (devicesAnnounced_) {
        lookAtDevices();  // what changed before the announcements were heard
    } else {
        timers_->start(TIMER_DEVICE_LOOK, kDeviceLookMs);
    }
}

void MainDialog::holdDeviceEvents(bool hold) {
    follower_.setBusy(hold);
    if (!hold && windowExists_) {
        lookAtDevices();
    }
}

}  // namespace tessaline
