#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

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

TEST(PortInput, RequeueFailureIsHandedOverAndInputStops) {
    PortRig rig;
    ASSERT_EQ(rig.port.open(1), 1);
    rig.midi.failCall("inAddBuffer", midiresult::NoMemory);
    ASSERT_TRUE(rig.midi.inject(kReply));
    ASSERT_TRUE(rig.notices.waitFor(WM_SYNTH_IDENTIFIED, 2000));
    ASSERT_TRUE(rig.midi.waitDelivered());
    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "MIDI In Error");
    EXPECT_TRUE(boxes[0].handedOver);  // the callback thread never waits on a box
    // No buffer is queued: further input is not delivered.
    rig.midi.inject(kReply);
    ASSERT_TRUE(rig.midi.waitDelivered());
    EXPECT_EQ(rig.port.delivered.size(), 1u);
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
