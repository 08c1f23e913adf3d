// Execute on the virtual instruments: the popup, the copy that reaches the instrument, the
// completion notices and the time-out, with every wait and timer under the test's control.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

#include "midi/DeliverySettings.h"
#include "midi/Notices.h"
#include "res/ResourceIds.h"
#include "tests/ui/WindowRig.h"
#include "ui/ProgressPopup.h"
#include "ui/TimerIds.h"

namespace tessaline::test {
namespace {

constexpr unsigned kPerformancePart = 0x310000;  // part p at 31 0p 00
constexpr unsigned kMixPart = 0x370000;          // part p at 37 pp 00

// Counts the paint events that reach a progress popup.
class PaintCounter final : public QObject {
  public:
    PaintCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Paint && dynamic_cast<ProgressPopup*>(target) != nullptr) {
            ++count;
        }
        return false;
    }
    int count = 0;
};

int transferStarts(const ManualTimers& timers) {
    int count = 0;
    for (const auto& [id, ms] : timers.starts()) {
        if (id == TIMER_TRANSFER) {
            EXPECT_EQ(ms, 4000);
            ++count;
        }
    }
    return count;
}

TEST(TransferRun, ExecuteBeforeIdentificationDoesNothing) {
    WindowRig rig;
    rig.window.createWindow();
    rig.click(IDC_EXECUTE);
    rig.settle();
    EXPECT_EQ(rig.window.progressPopup(), nullptr);
    EXPECT_EQ(transferStarts(rig.timers), 0);
    EXPECT_EQ(rig.sim.receivedCount(kMotifES7), 0);
    EXPECT_TRUE(rig.clock.waits.empty());
}

TEST(TransferRun, AVoiceCopiedIntoAPerformancePartClosesThePopupAndRefreshesTheLine) {
    WindowRig rig(kMotifES7, SavedSelections{0, 0, 0, 0, 1, 15});
    ASSERT_TRUE(rig.connect());
    rig.choose(IDC_VOICE_BANK, 1);
    rig.choose(IDC_VOICE_LETTER, 3);  // D01 = program 48
    ASSERT_TRUE(waitUntil([&] { return !rig.lineText(IDC_VOICE_LINE).isEmpty(); }));
    rig.settle();
    rig.choose(IDC_PART, 1);  // part 2
    const std::string voiceName = rig.sim.voiceName(kMotifES7, 1, 48);
    rig.clock.waits.clear();

    rig.click(IDC_EXECUTE);
    ProgressPopup* popup = rig.window.progressPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->text(), "Transmitting...");
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(popup->windowType(), Qt::Tool);
    EXPECT_TRUE(rig.timers.isActive(TIMER_TRANSFER));
    ASSERT_FALSE(rig.clock.waits.empty());
    EXPECT_EQ(rig.clock.waits.front(), 100);  // the mode change before the copy

    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
    ASSERT_TRUE(waitUntil([&] { return !rig.lineText(IDC_PERF_LINE).isEmpty(); }));
    EXPECT_TRUE(rig.lineText(IDC_PERF_LINE).endsWith(QString::fromStdString(voiceName)))
        << rig.lineText(IDC_PERF_LINE).toStdString() << " / " << voiceName;

    // Part 2 of the performance now plays the source voice: bank select and program.
    const std::vector<unsigned char> part = rig.sim.block(kMotifES7, kPerformancePart + 0x100);
    ASSERT_GE(part.size(), 3u);
    const int bankNumber = rig.device.bankAt(1)->number;
    EXPECT_EQ(part[0], bankNumber / 128);
    EXPECT_EQ(part[1], bankNumber % 128);
    EXPECT_EQ(part[2], 48);

    // Four seconds on, the timer finds nothing to do.
    ASSERT_TRUE(rig.timers.fire(TIMER_TRANSFER));
    EXPECT_EQ(rig.window.progressPopup(), nullptr);
    EXPECT_EQ(std::count(rig.clock.waits.begin(), rig.clock.waits.end(), 500), 0);
    EXPECT_EQ(rig.boxes.count(), 0u);
}

// At a slow send speed the copy keeps the event loop away for seconds: the popup is painted
// before it starts, and the time-out counts from the request for the answer, not from Execute.
TEST(TransferRun, APacedCopyPaintsThePopupFirstAndTimesOutFromItsLastMessage) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.settle();
    rig.device.setSendSpeed(SendSpeed::pause(100));

    PaintCounter paints;
    int pacedWaits = 0;
    int paintsAtFirstWait = -1;
    rig.clock.onPace = [&](std::int64_t) {
        if (pacedWaits++ == 0) {
            paintsAtFirstWait = paints.count;
        }
    };
    std::vector<int> receivedAtTimerStart;
    rig.timers.onStart = [&](int id) {
        if (id == TIMER_TRANSFER) {
            rig.sim.waitIdle();
            receivedAtTimerStart.push_back(rig.sim.receivedCount(kMotifES7));
        }
    };
    const int receivedBefore = rig.sim.receivedCount(kMotifES7);
    rig.click(IDC_EXECUTE);
    rig.sim.waitIdle();
    const int receivedAfter = rig.sim.receivedCount(kMotifES7);

    EXPECT_GT(pacedWaits, 0);
    EXPECT_GT(paintsAtFirstWait, 0);
    ASSERT_EQ(receivedAtTimerStart.size(), 2u);
    EXPECT_EQ(receivedAtTimerStart.front(), receivedBefore + 1);  // only the mode change
    EXPECT_EQ(receivedAtTimerStart.back(), receivedAfter);
    EXPECT_TRUE(rig.timers.isActive(TIMER_TRANSFER));
    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
}

TEST(TransferRun, ASongMixAsksForTheSongBeforeThePopupAndTheTimer) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.choose(IDC_DEST_TYPE, 1);
    rig.choose(IDC_PART, 5);  // part 6
    rig.settle();
    const int bankNumber = rig.device.bankAt(0)->number;

    bool popupAtPrompt = true;
    bool timerAtPrompt = true;
    int modeAtPrompt = -1;
    rig.boxes.onShow = [&](const RecordedBox&) {
        popupAtPrompt = rig.window.progressPopup() != nullptr;
        timerAtPrompt = rig.timers.isActive(TIMER_TRANSFER);
        rig.sim.waitIdle();
        modeAtPrompt = rig.sim.mode(kMotifES7);
    };
    rig.click(IDC_EXECUTE);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, "Please, select song number in your synth, now!");
    EXPECT_EQ(rig.boxes.shown[0].caption, "Motif ES7");
    EXPECT_FALSE(popupAtPrompt);
    EXPECT_FALSE(timerAtPrompt);
    EXPECT_EQ(modeAtPrompt, 3);
    ASSERT_NE(rig.window.progressPopup(), nullptr);
    EXPECT_TRUE(rig.timers.isActive(TIMER_TRANSFER));

    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
    const std::vector<unsigned char> part = rig.sim.block(kMotifES7, kMixPart + 0x0500);
    ASSERT_GE(part.size(), 3u);
    EXPECT_EQ(part[0], bankNumber / 128);
    EXPECT_EQ(part[1], bankNumber % 128);
    EXPECT_EQ(part[2], 0);
}

TEST(TransferRun, ASilentInstrumentEndsInTimeoutShownForHalfASecond) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.settle();
    rig.sim.setSilent(kMotifES7, true);

    rig.click(IDC_EXECUTE);
    ASSERT_NE(rig.window.progressPopup(), nullptr);
    rig.settle();
    ASSERT_NE(rig.window.progressPopup(), nullptr);  // no answer, no completion
    EXPECT_EQ(rig.window.progressPopup()->text(), "Transmitting...");

    QString textWhileWaiting;
    rig.clock.waits.clear();
    rig.clock.onSleep = [&](int) {
        if (rig.window.progressPopup() != nullptr) {
            textWhileWaiting = rig.window.progressPopup()->text();
        }
    };
    ASSERT_TRUE(rig.timers.fire(TIMER_TRANSFER));
    EXPECT_EQ(rig.clock.waits, std::vector<int>{500});
    EXPECT_EQ(textWhileWaiting, "Timeout");
    EXPECT_EQ(rig.window.progressPopup(), nullptr);
    EXPECT_FALSE(rig.timers.isActive(TIMER_TRANSFER));
    EXPECT_EQ(rig.boxes.count(), 0u);
}

TEST(TransferRun, ASecondExecuteReplacesTheEarlierPopupAndRestartsTheTimer) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.settle();
    rig.sim.setSilent(kMotifES7, true);

    rig.click(IDC_EXECUTE);
    QPointer<ProgressPopup> first = rig.window.progressPopup();
    ASSERT_FALSE(first.isNull());
    const std::size_t startsOfTheFirstRun = rig.timers.starts().size();
    rig.click(IDC_EXECUTE);
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(rig.window.progressPopup(), nullptr);
    EXPECT_GT(rig.timers.starts().size(), startsOfTheFirstRun);
    EXPECT_TRUE(rig.timers.isActive(TIMER_TRANSFER));

    ASSERT_TRUE(rig.timers.fire(TIMER_TRANSFER));
    EXPECT_EQ(rig.window.progressPopup(), nullptr);
}

// The popup takes the activation when it appears; when it goes, by completion or time-out, the
// main window has it again, so the keyboard keeps working there.
TEST(TransferRun, TheMainWindowIsActiveAgainOnceThePopupHasGone) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.settle();
    rig.sim.setSilent(kMotifES7, true);
    QApplication::setActiveWindow(&rig.window);

    auto executeUntilThePopupIsActive = [&] {
        rig.click(IDC_EXECUTE);
        return waitUntil([&] {
            return rig.window.progressPopup() != nullptr &&
                   rig.window.progressPopup()->isActiveWindow();
        });
    };
    ASSERT_TRUE(executeUntilThePopupIsActive());
    // The instrument lost the request for the answer; a second later it is asked again, and
    // this time it answers.
    rig.sim.setSilent(kMotifES7, false);
    // An answer that may belong to the request that was lost is not taken; a second on, the
    // question goes again.
    for (int second = 0; second < 3 && rig.window.progressPopup() != nullptr; ++second) {
        rig.clock.now += 1'000'000;
        ASSERT_TRUE(rig.timers.fire(TIMER_SESSION_TICK));
        waitUntil([&] { return rig.window.progressPopup() == nullptr; }, 1000);
    }
    ASSERT_EQ(rig.window.progressPopup(), nullptr);
    EXPECT_EQ(rig.window.session()->result().outcome, SessionOutcome::Checked);
    rig.sim.setSilent(kMotifES7, true);
    EXPECT_TRUE(waitUntil([&] { return rig.window.isActiveWindow(); }));

    ASSERT_TRUE(executeUntilThePopupIsActive());
    ASSERT_TRUE(rig.timers.fire(TIMER_TRANSFER));
    EXPECT_EQ(rig.window.progressPopup(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return rig.window.isActiveWindow(); }));
}

// The first part's 0D (its level, 7F for the destination) is lost on the way, once or always. With
// "Check each copy" the window compares the answer, sends the copy once more on a difference,
// and only a difference that survives gets a box; without it nothing changes.
TEST(TransferRun, CheckEachCopySendsAgainAndReportsOnlyWhatSurvives) {
    struct Case {
        bool check;
        int drops;  // -1: every write
        int sends;
        bool box;
    };
    for (const Case& c :
         {Case{false, 1, 1, false}, Case{true, 1, 2, false}, Case{true, -1, 2, true}}) {
        SCOPED_TRACE(testing::Message() << "check " << c.check << ", drops " << c.drops);
        WindowRig rig;
        writeCheckEachCopy(rig.profile, c.check);
        writeBackUpEachCopy(rig.profile, false);
        ASSERT_TRUE(rig.connect());
        rig.settle();
        constexpr unsigned kLevel = kPerformancePart + 0x0D;
        ASSERT_NE(rig.sim.block(kMotifES7, kPerformancePart)[0x0D], 0x7F);
        rig.sim.dropParameterChangesTo(kMotifES7, kLevel, c.drops);
        const MainDialogFields& f = rig.window.fields();
        const std::size_t values =
            writtenValues(
                rig.device.planCopyOfFamily(1, static_cast<unsigned char>(f.VoiceBank),
                                            programByte(programValue(f.VoiceLetter, f.VoiceNum)),
                                            static_cast<unsigned char>(f.partIndex), f.withSysFx,
                                            f.withInsFx, f.withName))
                .size();
        const unsigned dumps = rig.device.destinationDumpsCompleted();
        rig.clock.waits.clear();

        rig.click(IDC_EXECUTE);
        ASSERT_TRUE(waitUntil([&] {
            return rig.device.destinationDumpsCompleted() == dumps + static_cast<unsigned>(c.sends);
        }));
        rig.settle();
        EXPECT_EQ(rig.device.destinationDumpsCompleted(), dumps + static_cast<unsigned>(c.sends));
        EXPECT_EQ(std::count(rig.clock.waits.begin(), rig.clock.waits.end(), 100), c.sends);
        EXPECT_EQ(rig.sim.block(kMotifES7, kPerformancePart)[0x0D] == 0x7F, c.check && c.drops > 0);
        if (c.box) {
            ASSERT_EQ(rig.boxes.shown.size(), 1u);
            EXPECT_EQ(rig.boxes.shown[0].text, "The instrument did not take 1 of the " +
                                                   std::to_string(values) +
                                                   " values sent. Press Execute to send the copy "
                                                   "again.");
            EXPECT_EQ(rig.boxes.shown[0].caption, "Motif ES7");
        } else {
            EXPECT_EQ(rig.boxes.count(), 0u);
        }
    }
}

}  // namespace
}  // namespace tessaline::test

namespace tessaline::test {
namespace {

// The performance edit buffer of the ES7, block by block.
std::vector<std::vector<unsigned char>> performanceBuffer(WindowRig& rig) {
    rig.sim.waitIdle();
    std::vector<std::vector<unsigned char>> blocks;
    for (unsigned base :
         {0x300000u, 0x300100u, 0x300200u, 0x301000u, 0x310000u, 0x310100u, 0x310200u, 0x310300u}) {
        blocks.push_back(rig.sim.block(kMotifES7, base));
    }
    return blocks;
}

// A copy whose answer never came is over: the next performance's dump is not compared with it,
// and a step sends only the step's own messages.
TEST(TransferRun, ACopyThatTimedOutSendsNothingIntoTheNextPerformance) {
    WindowRig rig;
    writeBackUpEachCopy(rig.profile, false);
    ASSERT_TRUE(rig.connect());
    rig.settle();
    auto stepCost = [&] {
        const int before = rig.sim.receivedCount(kMotifES7);
        rig.click(IDC_PERF_ON);
        rig.settle();
        return rig.sim.receivedCount(kMotifES7) - before;
    };
    const int plainStep = stepCost();

    rig.sim.setSilent(kMotifES7, true);
    rig.click(IDC_EXECUTE);
    rig.settle();
    ASSERT_TRUE(rig.timers.fire(TIMER_TRANSFER));
    ASSERT_EQ(rig.window.progressPopup(), nullptr);
    rig.sim.setSilent(kMotifES7, false);
    EXPECT_EQ(stepCost(), plainStep);
    EXPECT_EQ(rig.boxes.count(), 0u);
}

// Undo Last Copy brings back every value the copy changed, and is offered only while the
// destination is the one copied into.
TEST(TransferRun, UndoLastCopyBringsThePerformanceBack) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.settle();
    const auto before = performanceBuffer(rig);
    EXPECT_FALSE(rig.window.undoAvailable());

    rig.click(IDC_EXECUTE);
    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
    rig.settle();
    ASSERT_NE(performanceBuffer(rig), before);
    ASSERT_TRUE(rig.window.undoAvailable());
    // The backup is on disk, a .syx file and the copy's record beside it.
    const auto folder = rig.dataFolder.path / "backups" / "Motif ES7";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              2);

    rig.window.onSysCommand(IDM_UNDO_COPY);
    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
    rig.settle();
    EXPECT_EQ(performanceBuffer(rig), before);
    EXPECT_FALSE(rig.window.undoAvailable());  // nothing left to undo

    rig.click(IDC_EXECUTE);
    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
    rig.settle();
    ASSERT_TRUE(rig.window.undoAvailable());
    rig.click(IDC_PERF_ON);
    rig.settle();
    EXPECT_FALSE(rig.window.undoAvailable());
    EXPECT_EQ(rig.boxes.count(), 0u);
}

}  // namespace
}  // namespace tessaline::test
