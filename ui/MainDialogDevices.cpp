#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "platform/qt/WindowTimers.h"
#include "ui/MainDialog.h"
#include "ui/TimerIds.h"
#include "ui/setup/MidiSetupDialog.h"

namespace tessaline {

void MainDialog::lookAtDevices() {
    // Never from under a box: the port call that raised it is still under way, and must not
    // find its port closed or opened again when the box goes.
    const bool boxOpen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
    // Nor during a copy: a reopen would close the port under it. The look comes once it ends.
    if (!boxOpen && !sessionRunning() && follower_.look()) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* setup = dynamic_cast<MidiSetupDialog*>(window)) {
                setup->refreshDevices();
            }
        }
    }
    // Started again only now: a box shown by a reopen must not let another look in under it.
    if (windowExists_) {
        timers_->start(TIMER_DEVICE_LOOK, kDeviceLookMs);
    }
}

}  // namespace tessaline
