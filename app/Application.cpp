#include "app/Application.h"

#include <memory>

#include "app/SelectionStore.h"
#include "platform/qt/QtPoster.h"
#include "synth/SynthDevice.h"

namespace tessaline {

Application::Application(ApplicationParts parts) : parts_(std::move(parts)) {}

bool Application::start() {
    // 1. and 2. Qt's widgets need no enabling, and the profile already lives under the
    // organisation's key.
    // 3. The selections of the last run.
    loadSelections(parts_.profile, saved_);

    // 4. and 5. The main window, without a parent, becomes the receiver of posted notices.
    SynthDevice& device = parts_.device;
    if (parts_.setup != nullptr) {
        device.setSetupDialogRunner(parts_.setup);
    }
    auto window = std::make_unique<MainDialog>(device, saved_, parts_.window);
    if (parts_.poster != nullptr) {
        parts_.poster->setMainWindow(window.get());
    }

    // 6. The modal run; its result does not matter.
    window->createWindow();
    if (parts_.beforeRun) {
        parts_.beforeRun(*window);
    }
    window->runModal();
    if (parts_.poster != nullptr) {
        parts_.poster->setMainWindow(nullptr);
    }

    // 7. The window copied its fields into the selections as it went.
    saveSelections(parts_.profile, saved_);

    // 8. The setup dialog may not outlive this run; the device does.
    window.reset();
    if (parts_.setup != nullptr) {
        device.setSetupDialogRunner(nullptr);
    }
    return false;
}

}  // namespace tessaline
