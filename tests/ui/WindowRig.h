#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "midi/MidiPort.h"
#include "platform/qt/QtPoster.h"
#include "synth/SynthDevice.h"
#include "tests/support/Fakes.h"
#include "tests/support/ScratchFolder.h"
#include "tests/ui/ManualTimers.h"
#include "tests/ui/VirtualInstruments.h"
#include "ui/AboutBoxRunner.h"
#include "ui/MainDialog.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tessaline::test {

// Virtual instruments in the program's device order.
inline constexpr int kMotifES7 = 0;
inline constexpr int kMotif7 = 1;
inline constexpr int kMotifRack = 2;
inline constexpr int kS90 = 3;

// Runs the event loop until the condition holds; false when the time runs out first.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Waits are recorded, never slept; a test may look at the window while one is under way.
class WatchingClock final : public Clock {
  public:
    void sleepMs(int milliseconds) override {
        waits.push_back(milliseconds);
        now += std::int64_t{milliseconds} * 1000;
        if (onSleep) {
            onSleep(milliseconds);
        }
    }
    // Pacing's waits: they move the time and are seen by onPace, but are not among `waits`.
    void sleepUs(std::int64_t microseconds) override {
        now += microseconds;
        if (onPace) {
            onPace(microseconds);
        }
    }
    std::int64_t nowUs() override { return now; }
    std::vector<int> waits;
    std::function<void(int)> onSleep;
    std::function<void(std::int64_t)> onPace;
    std::int64_t now = 0;
};

// Records boxes instead of showing them; a test may look at the window while one is "open".
class WatchingBoxes final : public MessageBoxes {
  public:
    void show(const std::string& text, const std::string& caption, BoxIcon icon) override {
        shown.push_back({text, caption, icon, false});
        if (onShow) {
            onShow(shown.back());
        }
    }
    void showLater(const std::string& text, const std::string& caption, BoxIcon icon) override {
        std::lock_guard guard(mutex_);
        handedOver.push_back({text, caption, icon, true});
    }
    std::size_t count() {
        std::lock_guard guard(mutex_);
        return shown.size() + handedOver.size();
    }
    std::vector<RecordedBox> shown;  // user-interface thread only
    std::function<void(const RecordedBox&)> onShow;

  private:
    std::mutex mutex_;
    std::vector<RecordedBox> handedOver;
};

class CountingAbout final : public AboutBoxRunner {
  public:
    void run(QWidget* owner) override {
        ++runs;
        lastOwner = owner;
    }
    int runs = 0;
    QWidget* lastOwner = nullptr;
};

class CountingSetup final : public SetupDialogRunner {
  public:
    bool run(MidiPort&, int&, int&) override {
        ++runs;
        return false;
    }
    int runs = 0;
};

// The real main window on a virtual instrument, with timers the test fires and fakes for the
// profile, the boxes and the clock.
class WindowRig {
  public:
    explicit WindowRig(int instrument = kMotifES7, SavedSelections savedAtStart = {});
    ~WindowRig();

    // Window creation, then the open-ports timer; waits for "connected" and both lines.
    ::testing::AssertionResult connect();
    // The instrument has handled everything and the window every notice that followed.
    void settle();

    QComboBox* list(int id) const;
    QLineEdit* line(int id) const;
    QAbstractButton* button(int id) const;
    QCheckBox* check(int id) const;
    QStringList items(int id) const;
    QString lineText(int id) const;
    // What a user's choice in a list does: select the item and report it.
    void choose(int id, int index);
    void click(int id);

    ScratchFolder dataFolder;  // the window's own backups
    VirtualInstruments sim;
    const int instrument;
    InMemoryProfile profile;
    WatchingBoxes boxes;
    QtPoster poster;
    WatchingClock clock;
    SynthDevice device;
    SavedSelections saved;
    ManualTimers timers;
    CountingAbout about;
    CountingSetup setup;
    MainDialog window;
};

}  // namespace tessaline::test
