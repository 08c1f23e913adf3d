#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/NoticeQueue.h"
#include "synth/SynthDevice.h"
#include "tests/support/Fakes.h"
#include "tests/support/ScriptedMidiService.h"
#include "tests/ui/ModalDriver.h"
#include "ui/ProgressPopup.h"
#include "ui/setup/MidiSetupDialog.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kIdentityRequest{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};

Bytes identityReply(unsigned char byte8, unsigned char byte9) {
    return {0xF0,  0x7E,  0x7F, 0x06, 0x02, 0x43, 0x00, 0x41,
            byte8, byte9, 0x00, 0x00, 0x00, 0x01, 0xF7};
}

// The scripted service, plus devices whose names cannot be read and inputs that vanish while
// the list is being filled.
class DeviceListService final : public ScriptedMidiService {
  public:
    DeviceListService()
        : ScriptedMidiService({"Port In 1", "Port In 2", "Port In 3"},
                              {"Port Out 1", "Port Out 2"}) {}

    int unreadableOutput = -1;
    // After this many count queries, the last input is gone (< 0: never).
    std::atomic<int> inputCountsBeforeRemoval{-1};

    unsigned inGetNumDevs() override {
        const unsigned count = ScriptedMidiService::inGetNumDevs();
        if (inputCountsBeforeRemoval < 0) {
            return count;
        }
        return inputCountsBeforeRemoval-- > 0 ? count : count - 1;
    }
    MidiResult outGetDevName(unsigned device, std::string& name) override {
        if (static_cast<int>(device) == unreadableOutput) {
            return midiresult::NoMemory;
        }
        return ScriptedMidiService::outGetDevName(device, name);
    }
};

QStringList items(const QComboBox& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        texts << list.itemText(i);
    }
    return texts;
}

QPushButton& button(QWidget& dialog, int id) {
    auto* found = dialog.findChild<QPushButton*>(QStringLiteral("control%1").arg(id));
    if (found == nullptr) {
        throw std::runtime_error("no button " + std::to_string(id));
    }
    return *found;
}

// A device on the scripted service with the seam filled by the real dialog.
class SetupTest : public ::testing::Test {
  protected:
    SetupTest() : device(PortServices{midi, profile, boxes, notices, clock}) {
        device.setSetupDialogRunner(&runner);
    }
    ~SetupTest() override { device.close(); }

    void identify(unsigned char byte8, unsigned char byte9) {
        ASSERT_TRUE(midi.inject(identityReply(byte8, byte9)));
        ASSERT_TRUE(notices.waitFor(WM_SYNTH_IDENTIFIED, 2000).has_value());
    }
    long identityRequests() const {
        const auto sent = midi.sentLong();
        return std::count(sent.begin(), sent.end(), kIdentityRequest);
    }
    bool called(const std::string& call) const {
        const auto calls = midi.calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    DeviceListService midi;
    InMemoryProfile profile;
    BoxRecorder boxes;
    NoticeQueue notices;
    RecordingClock clock;
    SynthDevice device;
    MidiSetupDialogRunner runner;
};

TEST_F(SetupTest, TitleNamesTheIdentifiedModelAndListsAreInDeviceOrder) {
    {
        MidiSetupDialog dialog(device);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), "MIDI Device Setup");
        EXPECT_EQ(items(*dialog.inputList()), (QStringList{"Port In 1", "Port In 2", "Port In 3"}));
        EXPECT_EQ(items(*dialog.outputList()), (QStringList{"Port Out 1", "Port Out 2"}));
    }
    device.open(1);
    identify(0x6A, 0x05);

    MidiSetupDialog dialog(device);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Motif ES7 Setup");
}

TEST_F(SetupTest, ListsShowOneLookAtTheDevices) {
    // A device whose name cannot be read keeps its place; the count is asked once, so a device
    // that goes while the names are read cannot shift the numbers under them.
    midi.unreadableOutput = 0;
    midi.inputCountsBeforeRemoval = 2;
    MidiSetupDialog dialog(device);
    dialog.show();
    EXPECT_EQ(items(*dialog.outputList()), (QStringList{"(unavailable device 0)", "Port Out 2"}));
    EXPECT_EQ(items(*dialog.inputList()), (QStringList{"Port In 1", "Port In 2", "Port In 3"}));
}

TEST_F(SetupTest, OkWithUnchangedChoicesStoresReopensAndIdentifiesAgain) {
    profile.writeInt("", "MIDI Device In", 2);
    profile.writeInt("", "MIDI Device Out", 1);
    device.open(1);
    midi.clearRecords();
    const auto writesBefore = profile.writes().size();

    int shownIn = -2;
    int shownOut = -2;
    whenShown<MidiSetupDialog>([&](MidiSetupDialog& dialog) {
        shownIn = dialog.inputList()->currentIndex();
        shownOut = dialog.outputList()->currentIndex();
        button(dialog, 1).click();
    });
    device.runSetupDialog();

    EXPECT_EQ(shownIn, 2);
    EXPECT_EQ(shownOut, 1);
    const auto writes = profile.writes();
    // An untouched speed is not written: the output's default keeps applying. Each device's
    // name and order go beside its number.
    EXPECT_EQ(std::vector<std::string>(writes.begin() + writesBefore, writes.end()),
              (std::vector<std::string>{"MIDI Device In", "MIDI Device In Name",
                                        "MIDI Device In Name Order", "MIDI Device Out",
                                        "MIDI Device Out Name", "MIDI Device Out Name Order"}));
    EXPECT_EQ(profile.readText("", "MIDI Device In Name", ""), "Port In 3");
    EXPECT_EQ(profile.readText("", "MIDI Device Out Name", ""), "Port Out 2");
    EXPECT_TRUE(called("inClose"));
    EXPECT_TRUE(called("outOpen 1"));
    EXPECT_TRUE(called("inOpen 2"));
    EXPECT_EQ(identityRequests(), 1);
}

TEST_F(SetupTest, ANewChoiceIsStoredUnderTheIdentifiedModelsName) {
    device.open(1);
    identify(0x05, 0x2A);

    whenShown<MidiSetupDialog>([](MidiSetupDialog& dialog) {
        dialog.inputList()->setCurrentIndex(1);
        dialog.accept();
    });
    device.runSetupDialog();
    EXPECT_EQ(profile.readInt("", "S90 In", 99), 1);
    EXPECT_EQ(profile.readInt("", "S90 Out", 99), 0);
    EXPECT_EQ(device.inputDevice(), 1);
}

TEST_F(SetupTest, ANewSpeedAndTheCheckBoxAreStoredForTheModelAndTheReopenedPortSendsAtIt) {
    device.open(1);
    identify(0x05, 0x2A);

    QStringList shownSpeeds;
    QString shownSpeed;
    bool shownChecked = true;
    whenShown<MidiSetupDialog>([&](MidiSetupDialog& dialog) {
        shownSpeeds = items(*dialog.speedList());
        shownSpeed = dialog.speedList()->currentText();
        shownChecked = dialog.checkEachCopyBox()->isChecked();
        dialog.speedList()->setCurrentIndex(dialog.speedList()->findText("20 ms"));
        dialog.checkEachCopyBox()->setChecked(false);
        button(dialog, 1).click();
    });
    device.runSetupDialog();

    EXPECT_EQ(shownSpeeds, (QStringList{"cable", "fast", "1 ms", "2 ms", "5 ms", "10 ms", "20 ms",
                                        "50 ms", "100 ms"}));
    EXPECT_EQ(shownSpeed, "cable");  // a real output's default
    EXPECT_TRUE(shownChecked);       // checked unless the user chose otherwise
    EXPECT_EQ(readSendSpeed(profile, "S90", SendSpeed::cable()), SendSpeed::pause(20));
    EXPECT_FALSE(readCheckEachCopy(profile));
    EXPECT_EQ(device.sendSpeed(), SendSpeed::pause(20));
}

TEST_F(SetupTest, AStoredPauseMissingFromTheListShowsInOrderAndSurvivesOk) {
    writeSendSpeed(profile, "MIDI Device", SendSpeed::pause(7));
    writeCheckEachCopy(profile, true);
    device.open(1);

    QStringList shownSpeeds;
    QString shownSpeed;
    bool shownChecked = false;
    whenShown<MidiSetupDialog>([&](MidiSetupDialog& dialog) {
        shownSpeeds = items(*dialog.speedList());
        shownSpeed = dialog.speedList()->currentText();
        shownChecked = dialog.checkEachCopyBox()->isChecked();
        button(dialog, 1).click();
    });
    device.runSetupDialog();

    EXPECT_EQ(shownSpeeds, (QStringList{"cable", "fast", "1 ms", "2 ms", "5 ms", "7 ms", "10 ms",
                                        "20 ms", "50 ms", "100 ms"}));
    EXPECT_EQ(shownSpeed, "7 ms");
    EXPECT_TRUE(shownChecked);
    EXPECT_EQ(readSendSpeed(profile, "MIDI Device", SendSpeed::cable()), SendSpeed::pause(7));
    EXPECT_TRUE(readCheckEachCopy(profile));
    EXPECT_EQ(device.sendSpeed(), SendSpeed::pause(7));
}

TEST_F(SetupTest, CancelTouchesNeitherTheProfileNorThePorts) {
    device.open(1);
    midi.clearRecords();
    const auto writesBefore = profile.writes().size();

    whenShown<MidiSetupDialog>([](MidiSetupDialog& dialog) {
        dialog.inputList()->setCurrentIndex(2);
        dialog.speedList()->setCurrentIndex(3);
        dialog.checkEachCopyBox()->setChecked(true);
        button(dialog, 2).click();
    });
    device.runSetupDialog();

    EXPECT_EQ(profile.writes().size(), writesBefore);
    EXPECT_TRUE(midi.calls().empty());
    EXPECT_TRUE(device.inputOpen());
    EXPECT_TRUE(device.outputOpen());
}

TEST_F(SetupTest, AStoredNumberBeyondTheListSelectsNothingAndOkStoresMinusOne) {
    profile.writeInt("", "MIDI Device In", 5);
    device.open(1);  // the input cannot open; its box is no concern here

    int shownIn = -2;
    whenShown<MidiSetupDialog>([&](MidiSetupDialog& dialog) {
        shownIn = dialog.inputList()->currentIndex();
        dialog.accept();
    });
    device.runSetupDialog();

    EXPECT_EQ(shownIn, -1);
    EXPECT_EQ(profile.readInt("", "MIDI Device In", 99), -1);
    EXPECT_EQ(profile.readInt("", "MIDI Device Out", 99), 0);
}

TEST_F(SetupTest, WithNoDevicesOfAKindOkStoresMinusOneForIt) {
    midi.setDevices({}, {"Port Out 1"});
    device.open(1);
    MidiSetupDialog dialog(device);
    dialog.show();
    EXPECT_EQ(dialog.inputList()->count(), 0);
    dialog.accept();
    EXPECT_EQ(dialog.inDevice, -1);
    EXPECT_EQ(dialog.outDevice, 0);
}

// The transfer popup takes the activation when it appears; the dialog opened meanwhile belongs
// to the window under it, so it stays when the run ends and the popup goes.
TEST_F(SetupTest, TheDialogOutlivesTheTransferPopupThatWasActiveWhenItOpened) {
    QWidget window;
    window.resize(300, 200);
    window.show();
    QApplication::setActiveWindow(&window);
    auto popup = std::make_unique<ProgressPopup>(QStringLiteral("Transmitting..."), &window);
    QDeadlineTimer deadline(5000);
    while (QApplication::activeWindow() != popup.get() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(QApplication::activeWindow(), popup.get());

    QWidget* owner = nullptr;
    bool survived = false;
    whenShown<MidiSetupDialog>([&](MidiSetupDialog& dialog) {
        QPointer<MidiSetupDialog> guard(&dialog);
        owner = dialog.parentWidget();
        popup.reset();  // the run times out while the dialog is open
        survived = !guard.isNull() && guard->isVisible();
        if (guard) {
            button(*guard, 2).click();
        }
    });
    device.runSetupDialog();
    EXPECT_EQ(owner, &window);
    EXPECT_TRUE(survived);
}

}  // namespace
}  // namespace tessaline::test
