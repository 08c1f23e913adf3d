// A port that follows its instrument by the instrument's stable name: back under other client
// numbers, back within a moment under the same ones, and not while a copy is under way.
#include <gtest/gtest.h>

#include <algorithm>

#include "midi/PortFollower.h"
#include "tests/midi/TestPort.h"

namespace tessaline::test {
namespace {

using Names = std::vector<std::string>;
using Bytes = std::vector<unsigned char>;

const Bytes kIdentityRequest{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};

struct FollowRig : PortRig {
    FollowRig() : PortRig({"Other:Port 20:0", "Synth:Port 129:0"}, {"Synth:Port 129:0"}) {
        profile.writeInt("", "MIDI Device In", 1);
        profile.writeInt("", "MIDI Device Out", 0);
        port.open(1);
        follower.look();
        midi.clearRecords();
    }
    PortFollower follower{port};
};

TEST(PortFollower, AnInstrumentBackUnderOtherClientNumbersIsOpenedAndIdentifiedThere) {
    FollowRig rig;
    rig.midi.setDevices({"Synth:Port 132:0", "Other:Port 20:0"}, {"Synth:Port 132:0"});
    EXPECT_TRUE(rig.follower.look());
    EXPECT_EQ(rig.port.inputDevice(), 0);
    EXPECT_TRUE(rig.port.inputOpen());
    EXPECT_EQ(rig.port.inputName(), "Synth:Port 132:0");
    EXPECT_EQ(rig.midi.sentLong(), (std::vector<Bytes>{kIdentityRequest}));
    // What is stored is who the device is, not where the sequencer put it this time.
    EXPECT_EQ(rig.profile.readText("", "MIDI Device In Name", ""), "Synth:Port");
    EXPECT_FALSE(rig.follower.waiting());
}

TEST(PortFollower, ARestartBetweenTwoLooksReopensButNotUnderACopy) {
    FollowRig rig;
    rig.midi.setLives({7, 8}, {9});  // the same names, each gone and back since the last look
    rig.follower.setBusy(true);
    rig.follower.look();
    EXPECT_TRUE(rig.midi.calls().empty());
    rig.follower.setBusy(false);
    rig.follower.look();
    const Names calls = rig.midi.calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "inClose"), calls.end());
    EXPECT_TRUE(rig.port.inputOpen() && rig.port.outputOpen());
    EXPECT_EQ(rig.midi.sentLong(), (std::vector<Bytes>{kIdentityRequest}));
    rig.midi.clearRecords();
    rig.follower.look();  // the new lives are the port's own now
    EXPECT_TRUE(rig.midi.calls().empty());
}

TEST(PortFollower, AtStartUpAStoredNameFindsItsDeviceByNameAndOrder) {
    // Stored by an older version with the numbers of its day; the second of two alike.
    PortRig rig({"Twin:Port 24:0", "Twin:Port 28:0", "Other:Port 20:0"}, {"Other:Port 20:0"});
    rig.profile.writeInt("", "MIDI Device In", 0);
    rig.profile.writeText("", "MIDI Device In Name", "Twin:Port 130:0");
    rig.profile.writeInt("", "MIDI Device In Name Order", 1);
    ASSERT_EQ(rig.port.open(0), 1);
    EXPECT_EQ(rig.port.inputDevice(), 1);
    // Without a name the number is all there is.
    rig.profile.writeText("", "MIDI Device In Name", "");
    ASSERT_EQ(rig.port.open(0), 1);
    EXPECT_EQ(rig.port.inputDevice(), 0);
}

}  // namespace
}  // namespace tessaline::test
