#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>

#include "platform/ForwardingMidiService.h"
#include "tests/midi/TestPort.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kReply = {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41,
                      0x7D, 0x04, 0x00, 0x00, 0x00, 0x01, 0xF7};

std::size_t countCalls(const std::vector<std::string>& calls, const std::string& name) {
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), name));
}

TEST(PortOpen, IdentifyingOpenSendsIdentityRequestAndAcceptsReply) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    EXPECT_EQ(rig.midi.sentLong(), (std::vector<Bytes>{{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}}));
    EXPECT_TRUE(rig.midi.inject(kReply));
    ASSERT_TRUE(rig.notices.waitFor(WM_SYNTH_IDENTIFIED, 2000));
    EXPECT_EQ(rig.port.isConnected(), 1);
    EXPECT_EQ(rig.port.deviceName(), "Model 7D");
    // The buffer went back into the queue after the delivery.
    ASSERT_TRUE(rig.midi.waitDelivered());
    EXPECT_EQ(rig.midi.queuedInputBuffers(), 1u);
    EXPECT_EQ(rig.boxes.count(), 0u);
}

TEST(PortOpen, OpenWithoutIdentifyReceivesNothing) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(0), 1);
    EXPECT_TRUE(rig.port.inputOpen());
    EXPECT_TRUE(rig.port.outputOpen());
    EXPECT_EQ(rig.midi.queuedInputBuffers(), 0u);
    EXPECT_FALSE(rig.midi.inject(kReply));  // not started: dropped
    EXPECT_TRUE(rig.midi.sentLong().empty());
}

TEST(PortOpen, DeviceNumbersComeFromTheProfileUnderTheDisplayName) {
    PortRig rig;
    rig.profile.writeInt("", "MIDI Device In", 1);
    rig.profile.writeInt("", "MIDI Device Out", 1);
    ASSERT_EQ(rig.port.open(1), 1);
    const auto calls = rig.midi.calls();
    EXPECT_EQ(calls[0], "outOpen 1");
    EXPECT_EQ(calls[1], "inOpen 1");
    EXPECT_EQ(rig.port.inputDevice(), 1);
    EXPECT_EQ(rig.port.outputDevice(), 1);
}

TEST(PortOpen, NoDevicesOpensNothingAndSendFailsAtPrepare) {
    PortRig rig({}, {});
    EXPECT_EQ(rig.port.open(1), 1);
    EXPECT_FALSE(rig.port.inputOpen());
    EXPECT_FALSE(rig.port.outputOpen());
    EXPECT_EQ(rig.boxes.count(), 0u);

    const unsigned char message[] = {0xF0, 0x43, 0xF7};
    EXPECT_EQ(rig.port.sendLong(message, 3), 1);
    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "MIDI Out Error");
    EXPECT_FALSE(boxes[0].handedOver);
    EXPECT_EQ(countCalls(rig.midi.calls(), "outLongMsg"), 0u);
}

TEST(PortOpen, BadOutputDeviceStopsBeforeTheInput) {
    PortRig rig;
    rig.profile.writeInt("", "MIDI Device Out", 7);
    EXPECT_EQ(rig.port.open(1), 0);
    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "MIDI Out Error");
    EXPECT_EQ(boxes[0].text, rig.midi.outGetErrorText(midiresult::BadDeviceId));
    EXPECT_FALSE(rig.port.inputOpen());
    EXPECT_EQ(countCalls(rig.midi.calls(), "inOpen 0"), 0u);
}

TEST(PortOpen, BadInputDeviceShowsInputError) {
    PortRig rig;
    rig.profile.writeInt("", "MIDI Device In", -1);
    EXPECT_EQ(rig.port.open(1), 0);
    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "MIDI In Error");
    EXPECT_TRUE(rig.port.outputOpen());
}

TEST(PortOpen, FailedStartSkipsTheIdentityRequest) {
    PortRig rig;
    rig.midi.failCall("inAddBuffer", midiresult::NoMemory);
    EXPECT_EQ(rig.port.open(1), 1);
    EXPECT_EQ(rig.boxes.count(), 1u);
    EXPECT_EQ(countCalls(rig.midi.calls(), "inStart"), 0u);
    EXPECT_TRUE(rig.midi.sentLong().empty());
}

TEST(PortClose, ClosingNothingPostsTheNoticeWithoutABox) {
    PortRig rig;
    rig.port.close();
    EXPECT_EQ(rig.notices.count(WM_PORTS_CLOSED), 1u);
    EXPECT_EQ(rig.boxes.count(), 0u);
    EXPECT_TRUE(rig.midi.calls().empty());
}

TEST(PortClose, EveryOpenClosesFirstAndEveryFailingStepHasItsBox) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    EXPECT_EQ(rig.notices.count(WM_PORTS_CLOSED), 1u);
    rig.midi.failCall("inStop", midiresult::Error);
    rig.midi.failCall("outClose", midiresult::Error);
    rig.port.close();
    const auto calls = rig.midi.calls();
    // All input steps ran although the second failed.
    EXPECT_EQ(countCalls(calls, "inClose"), 1u);
    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "MIDI In Error");
    EXPECT_EQ(boxes[1].caption, "MIDI Out Error");
    EXPECT_FALSE(rig.port.inputOpen());
    EXPECT_FALSE(rig.port.outputOpen());
    EXPECT_EQ(rig.port.isConnected(), 0);
    EXPECT_EQ(rig.notices.count(WM_PORTS_CLOSED), 2u);
}

TEST(PortClose, ResetReturnsTheBufferEmptyAndItIsNotQueuedAgain) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    rig.midi.clearRecords();
    rig.port.close();
    const auto calls = rig.midi.calls();
    EXPECT_EQ(countCalls(calls, "inAddBuffer"), 0u);
    EXPECT_TRUE(rig.port.delivered.empty());
    EXPECT_EQ(rig.boxes.count(), 0u);  // unprepare found the buffer back from the queue
}

// Identifies through the input and expects the one "MIDI In Error" box of the callback thread,
// handed over: the callback thread never waits on a box.
void expectOneInputBoxWhileIdentifying(PortRig& rig, const std::string& text) {
    ASSERT_TRUE(rig.midi.inject(kReply));
    ASSERT_TRUE(rig.notices.waitFor(WM_SYNTH_IDENTIFIED, 2000));
    ASSERT_TRUE(rig.midi.waitDelivered());
    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "MIDI In Error");
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_TRUE(boxes[0].handedOver);
}

TEST(PortInput, RequeueFailureIsHandedOverAndInputStops) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    rig.midi.failCall("inAddBuffer", midiresult::NoMemory);
    expectOneInputBoxWhileIdentifying(rig, midiResultText(midiresult::NoMemory, true));
    // No buffer is queued: further input is not delivered.
    rig.midi.inject(kReply);
    ASSERT_TRUE(rig.midi.waitDelivered());
    EXPECT_EQ(rig.port.delivered.size(), 1u);
}

// An input failure the service reports (here: a message cut at its limit) is one box, handed
// over like every box of the callback thread, and input goes on.
TEST(PortInput, ReportedInputFailureIsOneBoxAndInputGoesOn) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    rig.midi.injectError(midiresult::MessageTooLong);
    expectOneInputBoxWhileIdentifying(rig, midiResultText(midiresult::MessageTooLong, true));
}

TEST(PortInput, LongMessageArrivesInBufferSizedPieces) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    Bytes big(kInputBufferSize + 100, 0x11);
    big.front() = 0xF0;
    big.back() = 0xF7;
    ASSERT_TRUE(rig.midi.inject(big));
    ASSERT_TRUE(rig.midi.waitDelivered());
    rig.port.close();  // joins the delivery thread before we read
    ASSERT_EQ(rig.port.delivered.size(), 2u);
    EXPECT_EQ(rig.port.delivered[0].size(), static_cast<std::size_t>(kInputBufferSize));
    EXPECT_EQ(rig.port.delivered[1].size(), 100u);
    EXPECT_EQ(rig.port.delivered[1].back(), 0xF7);
}

// 256 bytes fit the message buffer; one more would be cut off, F7 and all, and look sent.
TEST(PortLongMessages, TextBeyondTheBufferIsRefusedNotCut) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(0), 1);
    std::string fits = "F0";
    for (int i = 1; i < kMessageBufferSize - 1; ++i) {
        fits += " 01";
    }
    EXPECT_EQ(rig.port.sendHexText(fits + " F7"), 0);
    EXPECT_EQ(rig.port.sendHexText(fits + " 01 F7"), 1);
    ASSERT_EQ(rig.midi.sent().size(), 1u);
    EXPECT_EQ(rig.midi.sent()[0].size(), static_cast<std::size_t>(kMessageBufferSize));
    EXPECT_EQ(rig.boxes.count(), 1u);
    EXPECT_EQ(rig.port.failedSendCount(), 1);
}

TEST(PortShortMessages, SelectProgramWithAndWithoutBank) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(0), 1);
    rig.port.selectProgram(5, -1);
    EXPECT_EQ(rig.midi.sent(), (std::vector<Bytes>{{0xC0, 0x05}}));
    rig.midi.clearRecords();
    rig.port.selectProgram(5, 8128);
    EXPECT_EQ(rig.midi.sent(),
              (std::vector<Bytes>{{0xB0, 0x00, 0x3F}, {0xB0, 0x20, 0x40}, {0xC0, 0x05}}));
}

TEST(PortShortMessages, ShortFailuresAreSilent) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(0), 1);
    rig.midi.failCall("outShortMsg", midiresult::Error, -1);
    rig.port.selectProgram(1, 0);
    EXPECT_EQ(rig.boxes.count(), 0u);
}

// Notes when each message starts.
class TimedService final : public ForwardingMidiService {
  public:
    TimedService(MidiService& inner, Clock& clock) : ForwardingMidiService(inner), clock_(clock) {}
    MidiResult outShortMsg(MidiOutHandle handle, std::uint32_t message) override {
        startsUs.push_back(clock_.nowUs());
        return ForwardingMidiService::outShortMsg(handle, message);
    }
    MidiResult outLongMsg(MidiOutHandle handle, MidiHeader* header) override {
        startsUs.push_back(clock_.nowUs());
        return ForwardingMidiService::outLongMsg(handle, header);
    }

    std::vector<std::int64_t> startsUs;  // sending thread only

  private:
    Clock& clock_;
};

struct PacedRig {
    ScriptedMidiService midi;
    RecordingClock clock;
    TimedService timed{midi, clock};
    InMemoryProfile profile;
    BoxRecorder boxes;
    NoticeQueue notices;
    TestPort port{PortServices{timed, profile, boxes, notices, clock}};

    void identify() {
        ASSERT_TRUE(midi.inject(kReply));  // names "Model 7D"
        ASSERT_TRUE(notices.waitFor(WM_SYNTH_IDENTIFIED, 2000));
    }
    // The time between the starts of two ten-byte messages sent now.
    std::int64_t gapOfTwoMessages() {
        const unsigned char message[10] = {0xF0, 0x43, 0x10, 0x7D, 0, 0, 0, 0, 0, 0xF7};
        port.sendLong(message, 10);
        port.sendLong(message, 10);
        return startsUs.back() - startsUs[startsUs.size() - 2];
    }
    std::vector<std::int64_t>& startsUs = timed.startsUs;
};

TEST(PortPacing, LongAndShortMessagesEachWaitTheirPredecessorsCableTime) {
    PacedRig rig;
    ASSERT_EQ(rig.port.open(0), 1);
    const unsigned char message[10] = {0xF0, 0x43, 0x10, 0x7D, 0, 0, 0, 0, 0, 0xF7};
    rig.port.sendLong(message, 10);
    rig.port.selectProgram(5, 8128);  // two control changes of 3 bytes, a program change of 2
    rig.port.sendLong(message, 10);
    EXPECT_EQ(rig.startsUs, (std::vector<std::int64_t>{0, 3200, 4160, 5120, 5760}));
    EXPECT_EQ(rig.midi.sent().size(), 5u);
}

struct SpeedCase {
    const char* name;
    bool virtualOutput;
    const char* storedFor;  // model name the speed is stored under; null: none stored
    SendSpeed stored;
    bool identify;
    std::int64_t gapUs;
};

void PrintTo(const SpeedCase& c, std::ostream* os) {
    *os << c.name;
}

class PortSpeedTest : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(PortSpeedTest, SpeedComesFromTheModelsSettingOrTheKindOfOutput) {
    const SpeedCase& c = GetParam();
    PacedRig rig;
    rig.midi.setOutputsVirtual(c.virtualOutput);
    if (c.storedFor != nullptr) {
        writeSendSpeed(rig.profile, c.storedFor, c.stored);
    }
    ASSERT_EQ(rig.port.open(1), 1);
    if (c.identify) {
        rig.identify();
    }
    EXPECT_EQ(rig.gapOfTwoMessages(), c.gapUs);
}

const SpeedCase kSpeedCases[] = {
    {"ARealOutputDefaultsToCable", false, nullptr, {}, false, 3200},
    {"AVirtualOutputDefaultsToFast", true, nullptr, {}, false, 0},
    {"AStoredSpeedWinsOverTheDefault", true, "MIDI Device", SendSpeed::pause(20), false, 20000},
    {"AnIdentifiedModelBringsItsOwnSpeed", false, "Model 7D", SendSpeed::pause(5), true, 5000},
    {"AnotherModelsSpeedDoesNotApply", true, "Model 12", SendSpeed::cable(), true, 0},
};

INSTANTIATE_TEST_SUITE_P(Settings, PortSpeedTest, ::testing::ValuesIn(kSpeedCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(PortPacing, AChosenSpeedOutlastsReopeningAndIdentification) {
    PacedRig rig;
    writeSendSpeed(rig.profile, "Model 7D", SendSpeed::pause(50));
    rig.port.setSendSpeed(SendSpeed::pause(2));
    ASSERT_EQ(rig.port.open(1), 1);
    rig.identify();
    EXPECT_EQ(rig.port.sendSpeed(), SendSpeed::pause(2));
    EXPECT_EQ(rig.gapOfTwoMessages(), 2000);
}

TEST(PortSetup, ApplySetupWritesKeysNamedAfterTheModelAndReopens) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    ASSERT_TRUE(rig.midi.inject(kReply));
    ASSERT_TRUE(rig.notices.waitFor(WM_SYNTH_IDENTIFIED, 2000));
    rig.midi.clearRecords();

    EXPECT_EQ(rig.port.applySetup(1, 0), 1);
    EXPECT_EQ(rig.profile.readInt("", "Model 7D In", -5), 1);
    EXPECT_EQ(rig.profile.readInt("", "Model 7D Out", -5), 0);
    EXPECT_FALSE(rig.profile.has("MIDI Device In"));
    const auto calls = rig.midi.calls();
    EXPECT_EQ(countCalls(calls, "inOpen 1"), 1u);
    EXPECT_EQ(countCalls(calls, "outOpen 0"), 1u);
    // Reopened with identification: a second Identity Request.
    EXPECT_EQ(rig.midi.sentLong().size(), 1u);
}

class ScriptedSetup : public SetupDialogRunner {
  public:
    bool ok = false;
    int in = 0, out = 0;
    bool run(MidiPort&, int& inDevice, int& outDevice) override {
        inDevice = in;
        outDevice = out;
        return ok;
    }
};

TEST(PortSetup, RunSetupDialogAppliesOnOkOnly) {
    PortRig rig;
    ScriptedSetup setup;
    rig.port.setSetupDialogRunner(&setup);
    rig.port.runSetupDialog();  // Cancel
    EXPECT_TRUE(rig.profile.writes().empty());
    EXPECT_TRUE(rig.midi.calls().empty());

    setup.ok = true;
    setup.in = 1;
    setup.out = -1;
    rig.port.runSetupDialog();
    EXPECT_EQ(rig.profile.readInt("", "MIDI Device In", 9), 1);
    EXPECT_EQ(rig.profile.readInt("", "MIDI Device Out", 9), -1);
    EXPECT_EQ(rig.boxes.count(), 1u);  // -1 is handed to the service, which refuses it
}

TEST(PortBanks, BankAtOutsideTheListGivesNone) {
    PortRig rig;
    EXPECT_EQ(rig.port.bankCount(), 0);
    EXPECT_FALSE(rig.port.bankAt(-1).has_value());
    EXPECT_FALSE(rig.port.bankAt(0).has_value());
}

// The callback thread delivers while the user-interface thread sends and reads; run under
// ThreadSanitizer this catches unguarded shared state in the port.
TEST(PortThreads, DeliveryWhileSending) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    std::thread feeder([&] {
        for (int i = 0; i < 200; ++i) {
            rig.midi.inject(kReply);
        }
    });
    for (int i = 0; i < 200; ++i) {
        rig.port.sendTemplate("10 M %A %b", 0x0A0001, i & 0x7F);
        (void)rig.port.deviceName();
        (void)rig.port.isConnected();
    }
    feeder.join();
    ASSERT_TRUE(rig.midi.waitDelivered(5000));
    rig.port.close();
    EXPECT_GE(rig.port.delivered.size(), 1u);
    EXPECT_EQ(rig.boxes.count(), 0u);
}

}  // namespace
}  // namespace tessaline::test
