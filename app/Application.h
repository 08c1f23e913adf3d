#pragma once

#include <functional>

#include "ui/MainDialog.h"
#include "ui/SavedSelections.h"

namespace tessaline {

class Profile;
class QtPoster;
class SetupDialogRunner;
class SynthDevice;

// What the application works with; each part outlives the application object.
struct ApplicationParts {
    Profile& profile;
    SynthDevice& device;
    QtPoster* poster = nullptr;  // learns the main window; may be null
    MainDialogOptions window;
    SetupDialogRunner* setup = nullptr;  // the device's setup dialog while the window runs
    // Called once the main window exists, just before its modal run (tests drive it from here).
    std::function<void(MainDialog&)> beforeRun;
};

// The program's application object: loads the saved selections, runs the main window modally
// until it is closed, and writes the selections back.
class Application {
  public:
    explicit Application(ApplicationParts parts);

    // Returns false: when the window has gone there is nothing left to run.
    bool start();

    const SavedSelections& savedSelections() const { return saved_; }

  private:
    ApplicationParts parts_;
    SavedSelections saved_;
};

}  // namespace tessaline
