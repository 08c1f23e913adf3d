// The main window on the virtual instruments: start-up, the lists per family, the selections
// and their lines, and how the window ends.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "midi/Notices.h"
#include "res/ResourceIds.h"
#include "tests/ui/WindowRig.h"
#include "ui/TimerIds.h"

namespace tessaline::test {
namespace {

const int kPerformanceOnly[] = {IDC_WITH_NAME, IDC_PERF_BANK,   IDC_PERF_LINE, IDC_PERF_ON,
                                IDC_PERF_BACK, IDC_PERF_LETTER, IDC_PERF_NUM};
const int kAlwaysEnabled[] = {IDC_VOICE_BANK,  IDC_VOICE_LETTER, IDC_VOICE_NUM, IDC_VOICE_BACK,
                              IDC_VOICE_ON,    IDC_VOICE_LINE,   IDC_DEST_TYPE, IDC_PART,
                              IDC_WITH_SYS_FX, IDC_WITH_INS_FX};

QStringList numbered(int count) {
    QStringList texts;
    for (int i = 1; i <= count; ++i) {
        texts << QString::number(i);
    }
    return texts;
}

bool endsWith(const QString& line, const std::string& name) {
    return !name.empty() && line.endsWith(QString::fromStdString(name));
}

void expectPerformanceControlsEnabled(WindowRig& rig, bool enabled) {
    for (int id : kPerformanceOnly) {
        EXPECT_EQ(rig.window.control(id)->isEnabled(), enabled) << "control " << id;
    }
    for (int id : kAlwaysEnabled) {
        EXPECT_TRUE(rig.window.control(id)->isEnabled()) << "control " << id;
    }
}

TEST(MainDialogStartUp, ConnectsToTheMotifES7AndFillsBothLinesFromTheInstrument) {
    WindowRig rig(kMotifES7, SavedSelections{1, 2, 3, 0, 1, 4});
    rig.window.createWindow();

    // Created, not yet connected: the ports wait for the 0 ms timer.
    EXPECT_EQ(rig.window.statusText(), "Not connected");
    EXPECT_TRUE(rig.items(IDC_VOICE_BANK).isEmpty());
    EXPECT_TRUE(rig.items(IDC_DEST_TYPE).isEmpty());
    EXPECT_TRUE(rig.items(IDC_PART).isEmpty());
    expectPerformanceControlsEnabled(rig, false);
    ASSERT_EQ(rig.timers.starts().size(), 1u);
    EXPECT_EQ(rig.timers.starts()[0], std::make_pair(TIMER_OPEN_PORTS, 0));
    EXPECT_FALSE(rig.device.inputOpen());
    EXPECT_EQ(rig.list(IDC_VOICE_LETTER)->currentText(), "C");
    EXPECT_EQ(rig.list(IDC_VOICE_NUM)->currentText(), "04");

    ASSERT_TRUE(rig.connect());
    EXPECT_FALSE(rig.timers.isActive(TIMER_OPEN_PORTS));
    EXPECT_EQ(rig.window.statusText(), "Motif ES7 connected");
    EXPECT_EQ(rig.items(IDC_PERF_BANK), QStringList{"USER"});
    EXPECT_EQ(rig.items(IDC_DEST_TYPE), (QStringList{"PERFORMANCE", "SONG MIX"}));
    EXPECT_EQ(rig.items(IDC_PART), numbered(4));
    EXPECT_EQ(rig.list(IDC_VOICE_BANK)->count(), rig.device.bankCount());
    EXPECT_EQ(rig.list(IDC_VOICE_BANK)->currentIndex(), 1);
    EXPECT_EQ(rig.list(IDC_PART)->currentText(), "1");
    expectPerformanceControlsEnabled(rig, true);

    // Voice bank 1, C04 = program 35; USER performance B05 = program 20.
    EXPECT_TRUE(endsWith(rig.lineText(IDC_VOICE_LINE), rig.sim.voiceName(kMotifES7, 1, 35)))
        << rig.lineText(IDC_VOICE_LINE).toStdString();
    EXPECT_TRUE(rig.lineText(IDC_VOICE_LINE).contains("036(C04)"));
    EXPECT_TRUE(endsWith(rig.lineText(IDC_PERF_LINE), rig.sim.performanceName(kMotifES7, 20)))
        << rig.lineText(IDC_PERF_LINE).toStdString();
    EXPECT_TRUE(rig.lineText(IDC_PERF_LINE).startsWith(" USER:021(B05)"));
}

TEST(MainDialogStartUp, TheLinesAreReadOnlyOnTheirColourInTheFixedFont) {
    WindowRig rig;
    rig.window.createWindow();
    for (int id : {IDC_VOICE_LINE, IDC_PERF_LINE}) {
        QLineEdit* line = rig.line(id);
        EXPECT_TRUE(line->isReadOnly());
        EXPECT_EQ(line->palette().color(QPalette::Base), QColor(224, 255, 64));
        EXPECT_EQ(line->font().pointSize(), 10);
        // Fixed as the user sees it: a narrow letter takes as much room as a wide one. Some
        // monospaced fonts do not call themselves fixed-pitch.
        const QFontMetricsF metrics(line->font());
        EXPECT_EQ(metrics.horizontalAdvance(QChar('i')), metrics.horizontalAdvance(QChar('W')));
    }
}

TEST(MainDialogFamilies, AnS90OffersOnlyPerformanceWithFourParts) {
    WindowRig rig(kS90);
    ASSERT_TRUE(rig.connect());
    EXPECT_EQ(rig.window.statusText(), "S90 connected");
    EXPECT_EQ(rig.items(IDC_DEST_TYPE), QStringList{"PERFORMANCE"});
    EXPECT_EQ(rig.items(IDC_PART), numbered(4));
    expectPerformanceControlsEnabled(rig, true);
}

// The Motif Rack offers only SONG MIX. Chosen on a Motif ES7, SONG MIX is the second type there;
// after the switch it is the rack's first, and the copy goes into the rack's song mix.
TEST(MainDialogFamilies, ATypeBeyondTheNextModelsListBecomesItsFirstAndCopiesThere) {
    constexpr unsigned kMixPart = 0x370000;
    WindowRig rig(kMotifES7, SavedSelections{0, 2, 3, 0, 0, 0});  // voice C04 = program 35
    ASSERT_TRUE(rig.connect());
    rig.choose(IDC_DEST_TYPE, 1);
    ASSERT_EQ(rig.list(IDC_DEST_TYPE)->currentText(), "SONG MIX");

    rig.device.applySetup(kMotifRack, kMotifRack);  // OK in the setup dialog
    ASSERT_TRUE(waitUntil([&] {
        return rig.window.statusText() == "Motif Rack connected" &&
               !rig.lineText(IDC_VOICE_LINE).isEmpty();
    }));
    EXPECT_EQ(rig.items(IDC_DEST_TYPE), QStringList{"SONG MIX"});
    EXPECT_EQ(rig.list(IDC_DEST_TYPE)->currentText(), "SONG MIX");
    EXPECT_EQ(rig.items(IDC_PART), numbered(16));
    EXPECT_EQ(rig.list(IDC_PART)->currentText(), "1");
    expectPerformanceControlsEnabled(rig, false);
    rig.settle();
    EXPECT_EQ(rig.sim.mode(kMotifRack), 3);

    rig.click(IDC_EXECUTE);
    ASSERT_NE(rig.window.progressPopup(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
    const std::vector<unsigned char> part = rig.sim.block(kMotifRack, kMixPart);
    ASSERT_GE(part.size(), 3u);
    EXPECT_EQ(part[0] * 128 + part[1], rig.device.bankAt(0)->number);
    EXPECT_EQ(part[2], 35);
}

TEST(MainDialogSelections, TheTypeDecidesPartsModeAndDestinationControls) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());

    rig.choose(IDC_PART, 2);
    rig.choose(IDC_DEST_TYPE, 1);  // SONG MIX keeps part 3
    EXPECT_EQ(rig.items(IDC_PART), numbered(16));
    EXPECT_EQ(rig.list(IDC_PART)->currentText(), "3");
    expectPerformanceControlsEnabled(rig, false);
    rig.settle();
    EXPECT_EQ(rig.sim.mode(kMotifES7), 3);

    rig.choose(IDC_PART, 11);
    rig.choose(IDC_DEST_TYPE, 0);  // back to PERFORMANCE: part 12 does not exist there
    EXPECT_EQ(rig.items(IDC_PART), numbered(4));
    EXPECT_EQ(rig.list(IDC_PART)->currentText(), "1");
    EXPECT_EQ(rig.window.fields().partIndex, 0);
    expectPerformanceControlsEnabled(rig, true);
    rig.settle();
    EXPECT_EQ(rig.sim.mode(kMotifES7), 1);
}

TEST(MainDialogSelections, StepsWrapWithinTheBankAndRefreshTheLine) {
    WindowRig rig(kMotifES7, SavedSelections{2, 7, 15, 0, 0, 0});
    ASSERT_TRUE(rig.connect());
    EXPECT_TRUE(endsWith(rig.lineText(IDC_VOICE_LINE), rig.sim.voiceName(kMotifES7, 2, 127)));

    rig.click(IDC_VOICE_ON);  // H16 -> A01, same bank
    EXPECT_EQ(rig.list(IDC_VOICE_LETTER)->currentText(), "A");
    EXPECT_EQ(rig.list(IDC_VOICE_NUM)->currentText(), "01");
    EXPECT_EQ(rig.list(IDC_VOICE_BANK)->currentIndex(), 2);
    EXPECT_TRUE(rig.lineText(IDC_VOICE_LINE).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !rig.lineText(IDC_VOICE_LINE).isEmpty(); }));
    EXPECT_TRUE(endsWith(rig.lineText(IDC_VOICE_LINE), rig.sim.voiceName(kMotifES7, 2, 0)));

    rig.click(IDC_VOICE_BACK);  // A01 -> H16
    EXPECT_EQ(rig.list(IDC_VOICE_LETTER)->currentText(), "H");
    EXPECT_EQ(rig.list(IDC_VOICE_NUM)->currentText(), "16");

    rig.click(IDC_PERF_BACK);  // A01 -> H16
    EXPECT_EQ(rig.list(IDC_PERF_LETTER)->currentText(), "H");
    EXPECT_EQ(rig.list(IDC_PERF_NUM)->currentText(), "16");
    EXPECT_TRUE(rig.lineText(IDC_PERF_LINE).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !rig.lineText(IDC_PERF_LINE).isEmpty(); }));
    EXPECT_TRUE(endsWith(rig.lineText(IDC_PERF_LINE), rig.sim.performanceName(kMotifES7, 127)));
}

TEST(MainDialogSelections, AChangeEmptiesItsLineUntilTheInstrumentAnswers) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    const QString destination = rig.lineText(IDC_PERF_LINE);

    rig.choose(IDC_VOICE_BANK, 3);
    EXPECT_TRUE(rig.lineText(IDC_VOICE_LINE).isEmpty());
    EXPECT_EQ(rig.lineText(IDC_PERF_LINE), destination);
    ASSERT_TRUE(waitUntil([&] { return !rig.lineText(IDC_VOICE_LINE).isEmpty(); }));
    EXPECT_TRUE(endsWith(rig.lineText(IDC_VOICE_LINE), rig.sim.voiceName(kMotifES7, 3, 0)));

    rig.choose(IDC_PERF_NUM, 9);
    EXPECT_TRUE(rig.lineText(IDC_PERF_LINE).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !rig.lineText(IDC_PERF_LINE).isEmpty(); }));
    EXPECT_TRUE(endsWith(rig.lineText(IDC_PERF_LINE), rig.sim.performanceName(kMotifES7, 9)));
}

// Whatever the settings file held, the window starts on programs its lists show, steps from
// them, copies them and keeps them for the next run.
struct StoredExtreme {
    const char* name;
    int instrument;
    SavedSelections stored;
    int voiceProgram;  // shown at the start, in the first bank
    int performanceProgram;
};

void PrintTo(const StoredExtreme& row, std::ostream* os) {
    *os << row.name;
}

SavedSelections allSix(int value) {
    return {value, value, value, value, value, value};
}

class MainDialogStoredSelections : public ::testing::TestWithParam<StoredExtreme> {};

TEST_P(MainDialogStoredSelections, StartOnShownProgramsThatStepCopyAndAreKept) {
    const StoredExtreme& row = GetParam();
    WindowRig rig(row.instrument, row.stored);
    ASSERT_TRUE(rig.connect());
    for (int id : {IDC_VOICE_BANK, IDC_VOICE_LETTER, IDC_VOICE_NUM, IDC_PERF_BANK, IDC_PERF_LETTER,
                   IDC_PERF_NUM}) {
        EXPECT_GE(rig.list(id)->currentIndex(), 0) << "control " << id;
    }
    EXPECT_EQ(rig.list(IDC_VOICE_BANK)->currentIndex(), 0);
    EXPECT_TRUE(endsWith(rig.lineText(IDC_VOICE_LINE),
                         rig.sim.voiceName(row.instrument, 0, row.voiceProgram)));
    EXPECT_TRUE(endsWith(rig.lineText(IDC_PERF_LINE),
                         rig.sim.performanceName(row.instrument, row.performanceProgram)));

    rig.click(IDC_VOICE_ON);
    rig.click(IDC_PERF_BACK);
    const int voice = (row.voiceProgram + 1) % 128;
    const int performance = (row.performanceProgram + 127) % 128;
    ASSERT_TRUE(waitUntil([&] {
        return !rig.lineText(IDC_VOICE_LINE).isEmpty() && !rig.lineText(IDC_PERF_LINE).isEmpty();
    }));
    EXPECT_TRUE(
        endsWith(rig.lineText(IDC_VOICE_LINE), rig.sim.voiceName(row.instrument, 0, voice)));
    EXPECT_TRUE(endsWith(rig.lineText(IDC_PERF_LINE),
                         rig.sim.performanceName(row.instrument, performance)));
    rig.settle();

    // Execute copies the stepped voice into part 1; the popup closes on the instrument's answer.
    rig.click(IDC_EXECUTE);
    ASSERT_TRUE(waitUntil([&] { return rig.window.progressPopup() == nullptr; }));
    const std::vector<unsigned char> part = rig.sim.block(row.instrument, 0x310000);
    ASSERT_GE(part.size(), 3u);
    EXPECT_EQ(part[2], voice);

    rig.window.destroyWindow();
    EXPECT_EQ(rig.saved.VoiceBank, 0);
    EXPECT_EQ(rig.saved.VoiceLetter * 16 + rig.saved.VoiceNum, voice);
    EXPECT_EQ(rig.saved.PerfBank, 0);
    EXPECT_EQ(rig.saved.PerfLetter * 16 + rig.saved.PerfNum, performance);
}

constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kMax = std::numeric_limits<int>::max();

INSTANTIATE_TEST_SUITE_P(
    Extremes, MainDialogStoredSelections,
    ::testing::Values(StoredExtreme{"IntMin", kMotifES7, allSix(kMin), 0, 0},
                      StoredExtreme{"MinusTwo", kMotifES7, allSix(-2), 0, 0},
                      StoredExtreme{"NothingChosen", kMotifES7, allSix(-1), 0, 0},
                      StoredExtreme{"JustPastEachList", kMotifES7, {9, 8, 16, 1, 8, 16}, 0, 0},
                      StoredExtreme{"SixteenTimesOverflows", kMotifES7, allSix(134217728), 0, 0},
                      StoredExtreme{"Huge", kS90, allSix(200000000), 0, 0},
                      StoredExtreme{"IntMax", kS90, allSix(kMax), 0, 0},
                      // The Motif ES's GM bank is beyond the S90's list; C04 = 35, E06 = 69.
                      StoredExtreme{"BankOfALargerModel", kS90, {8, 2, 3, 0, 4, 5}, 35, 69}),
    [](const ::testing::TestParamInfo<StoredExtreme>& row) { return row.param.name; });

TEST(MainDialogSelections, ASourceChangeWhileNotConnectedSendsNothing) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.device.close();
    ASSERT_TRUE(waitUntil([&] { return rig.window.statusText() == "Not connected"; }));
    EXPECT_TRUE(rig.items(IDC_VOICE_BANK).isEmpty());
    EXPECT_TRUE(rig.lineText(IDC_VOICE_LINE).isEmpty());
    EXPECT_TRUE(rig.lineText(IDC_PERF_LINE).isEmpty());
    expectPerformanceControlsEnabled(rig, false);
    rig.settle();
    const int before = rig.sim.receivedCount(kMotifES7);

    rig.choose(IDC_VOICE_LETTER, 4);
    rig.click(IDC_VOICE_ON);
    rig.settle();
    EXPECT_EQ(rig.sim.receivedCount(kMotifES7), before);
    EXPECT_EQ(rig.boxes.count(), 0u);
}

TEST(MainDialogCommands, AboutSetupAndTheSystemMenu) {
    WindowRig rig;
    rig.window.createWindow();

    std::vector<SystemMenuEntry> menu = rig.window.systemMenu();
    ASSERT_GE(menu.size(), 3u);
    EXPECT_EQ(menu[menu.size() - 3].command, 0);
    EXPECT_EQ(menu[menu.size() - 2].command, IDM_ABOUTBOX);
    EXPECT_EQ(menu[menu.size() - 2].text, "&About K7Q...");
    EXPECT_EQ(menu.back().command, IDM_UNDO_COPY);
    EXPECT_EQ(menu.back().text, "Undo Last Copy");
    EXPECT_FALSE(rig.window.undoAvailable());

    rig.window.onSysCommand(IDM_ABOUTBOX);
    rig.click(IDC_ABOUT);
    EXPECT_EQ(rig.about.runs, 2);
    EXPECT_EQ(rig.about.lastOwner, &rig.window);

    rig.click(IDC_MIDI_SETUP);
    EXPECT_EQ(rig.setup.runs, 1);
}

TEST(MainDialogLifetime, OnlyTheCloseRequestEndsTheRunAndTheSixSelectionsAreCopiedOut) {
    WindowRig rig;
    ASSERT_TRUE(rig.connect());
    rig.choose(IDC_VOICE_BANK, 2);
    rig.choose(IDC_VOICE_LETTER, 2);
    rig.choose(IDC_VOICE_NUM, 4);
    rig.choose(IDC_PERF_LETTER, 1);
    rig.choose(IDC_PERF_NUM, 15);
    rig.choose(IDC_PART, 3);

    bool stillOpenAfterKeys = false;
    QTimer::singleShot(0, [&] {
        rig.list(IDC_VOICE_LETTER)->setFocus();
        QTest::keyClick(&rig.window, Qt::Key_Escape);
        QTest::keyClick(&rig.window, Qt::Key_Return);
        QTest::keyClick(&rig.window, Qt::Key_Enter);
        stillOpenAfterKeys = rig.window.isVisible();
        rig.window.close();
    });
    EXPECT_EQ(rig.window.runModal(), QDialog::Accepted);
    EXPECT_TRUE(stillOpenAfterKeys);
    EXPECT_FALSE(rig.window.windowExists());
    EXPECT_EQ(rig.saved.VoiceBank, 2);
    EXPECT_EQ(rig.saved.VoiceLetter, 2);
    EXPECT_EQ(rig.saved.VoiceNum, 4);
    EXPECT_EQ(rig.saved.PerfBank, 0);
    EXPECT_EQ(rig.saved.PerfLetter, 1);
    EXPECT_EQ(rig.saved.PerfNum, 15);

    // A notice after the window has gone changes nothing.
    QCoreApplication::postEvent(&rig.window, new QEvent(QEvent::Type(WM_PORTS_CLOSED)));
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.window.statusText(), "Motif ES7 connected");
}

}  // namespace
}  // namespace tessaline::test
