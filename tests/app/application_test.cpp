// The application shell over two runs of the real window: the six selections survive through
// the settings store, part, type and options do not.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>
#include <functional>

#include "app/Application.h"
#include "platform/qt/QtPoster.h"
#include "platform/qt/QtProfile.h"
#include "res/ResourceIds.h"
#include "synth/SynthDevice.h"
#include "tests/ui/ManualTimers.h"
#include "tests/ui/VirtualInstruments.h"
#include "tests/ui/WindowRig.h"
#include "ui/TimerIds.h"

namespace tessaline::test {
namespace {

const char* const kStore = "application_test";

// One run of the program: its own device and timers, the shared settings store.
class ProgramRun {
  public:
    explicit ProgramRun(QtProfile& profile)
        : device(PortServices{sim.service(), profile, boxes, poster, clock}),
          application(ApplicationParts{profile, device, &poster,
                                       MainDialogOptions{nullptr, &timers, nullptr, {}}, &setup,
                                       [this](MainDialog& window) { beforeRun(window); }}) {}

    // Runs the program; `during` acts on the connected window, then the window is closed.
    bool run(const std::function<void(MainDialog&)>& during) {
        bool reachedWindow = false;
        beforeRun = [&](MainDialog& window) {
            QTimer::singleShot(0, [&] {
                EXPECT_EQ(poster.mainWindow(), &window);
                EXPECT_TRUE(timers.fire(TIMER_OPEN_PORTS));
                auto text = [&](int id) {
                    return dynamic_cast<QLineEdit*>(window.control(id))->text();
                };
                EXPECT_TRUE(waitUntil([&] {
                    return !text(IDC_VOICE_LINE).isEmpty() && !text(IDC_PERF_LINE).isEmpty();
                }));
                reachedWindow = true;
                during(window);
                window.close();
            });
        };
        const bool result = application.start();
        EXPECT_TRUE(reachedWindow);
        return result;
    }

    VirtualInstruments sim;
    WatchingBoxes boxes;
    QtPoster poster;
    WatchingClock clock;
    SynthDevice device;
    ManualTimers timers;
    CountingSetup setup;
    std::function<void(MainDialog&)> beforeRun;
    Application application;
};

QComboBox* listOf(MainDialog& window, int id) {
    return dynamic_cast<QComboBox*>(window.control(id));
}

void choose(MainDialog& window, int id, int index) {
    listOf(window, id)->setCurrentIndex(index);
    emit listOf(window, id)->activated(index);
}

TEST(Application, TheSixSelectionsSurviveARestartAndNothingElseDoes) {
    QtProfile profile(kStore);
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quorvath", kStore).clear();

    {
        ProgramRun first(profile);
        const bool result = first.run([&](MainDialog& window) {
            // First run: nothing stored, so everything starts at the first entry.
            EXPECT_EQ(listOf(window, IDC_VOICE_BANK)->currentIndex(), 0);
            EXPECT_EQ(listOf(window, IDC_VOICE_LETTER)->currentText(), "A");
            EXPECT_EQ(listOf(window, IDC_VOICE_NUM)->currentText(), "01");
            EXPECT_EQ(listOf(window, IDC_PERF_BANK)->currentText(), "USER");
            EXPECT_EQ(listOf(window, IDC_PERF_LETTER)->currentText(), "A");
            EXPECT_EQ(listOf(window, IDC_PERF_NUM)->currentText(), "01");

            choose(window, IDC_VOICE_BANK, 2);
            choose(window, IDC_VOICE_LETTER, 2);
            choose(window, IDC_VOICE_NUM, 4);
            choose(window, IDC_PERF_LETTER, 1);
            choose(window, IDC_PERF_NUM, 15);
            choose(window, IDC_PART, 2);
            for (int id : {IDC_WITH_SYS_FX, IDC_WITH_INS_FX, IDC_WITH_NAME}) {
                dynamic_cast<QAbstractButton*>(window.control(id))->click();
            }
            choose(window, IDC_DEST_TYPE, 1);
            dynamic_cast<QAbstractButton*>(window.control(IDC_MIDI_SETUP))->click();
        });
        EXPECT_FALSE(result);
        EXPECT_EQ(first.poster.mainWindow(), nullptr);
        EXPECT_EQ(first.setup.runs, 1);
        first.device.runSetupDialog();  // the setup dialog belonged to the run
        EXPECT_EQ(first.setup.runs, 1);
    }

    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Quorvath", kStore);
    QStringList keys = stored.allKeys();
    keys.sort();
    EXPECT_EQ(keys, (QStringList{"PerfBank", "PerfLetter", "PerfNum", "VoiceBank", "VoiceLetter",
                                 "VoiceNum"}));
    EXPECT_EQ(profile.readInt("", "VoiceBank", -9), 2);
    EXPECT_EQ(profile.readInt("", "VoiceLetter", -9), 2);
    EXPECT_EQ(profile.readInt("", "VoiceNum", -9), 4);
    EXPECT_EQ(profile.readInt("", "PerfBank", -9), 0);
    EXPECT_EQ(profile.readInt("", "PerfLetter", -9), 1);
    EXPECT_EQ(profile.readInt("", "PerfNum", -9), 15);

    ProgramRun second(profile);
    second.run([&](MainDialog& window) {
        EXPECT_EQ(listOf(window, IDC_VOICE_BANK)->currentIndex(), 2);
        EXPECT_EQ(listOf(window, IDC_VOICE_LETTER)->currentText(), "C");
        EXPECT_EQ(listOf(window, IDC_VOICE_NUM)->currentText(), "05");
        EXPECT_EQ(listOf(window, IDC_PERF_LETTER)->currentText(), "B");
        EXPECT_EQ(listOf(window, IDC_PERF_NUM)->currentText(), "16");
        EXPECT_EQ(listOf(window, IDC_DEST_TYPE)->currentText(), "PERFORMANCE");
        EXPECT_EQ(listOf(window, IDC_PART)->currentText(), "1");
        for (int id : {IDC_WITH_SYS_FX, IDC_WITH_INS_FX, IDC_WITH_NAME}) {
            EXPECT_TRUE(dynamic_cast<QCheckBox*>(window.control(id))->isChecked()) << id;
        }
    });
}

}  // namespace
}  // namespace tessaline::test
