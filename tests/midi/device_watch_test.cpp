// Which devices came and went between two looks at the lists, and where a named one is now.
#include <gtest/gtest.h>

#include "midi/DeviceWatch.h"

namespace tessaline::test {
namespace {

using Names = std::vector<std::string>;

DeviceChange came(bool input, int number, const std::string& name) {
    return {input, true, number, name};
}
DeviceChange went(bool input, int number, const std::string& name) {
    return {input, false, number, name};
}

TEST(DeviceWatch, OnlyWhatCameOrWentIsReportedNotWhatMerelyMoved) {
    // "B" moves up when "A" goes; one of two "C"s goes; "D" comes at the end.
    const DeviceNames before{{"A", "B", "C", "C"}, {"X"}};
    const DeviceNames after{{"B", "C", "D"}, {"X", "Y"}};
    EXPECT_EQ(compareDeviceNames(before, after),
              (std::vector<DeviceChange>{went(true, 0, "A"), went(true, 3, "C"), came(true, 2, "D"),
                                         came(false, 1, "Y")}));
    EXPECT_TRUE(compareDeviceNames(after, after).empty());
}

TEST(DeviceWatch, ADeviceThatWentAndCameBackUnderOneNameIsBothGoneAndNew) {
    const DeviceNames before{{"A", "B"}, {"A"}, {4, 5}, {6}};
    const DeviceNames after{{"A", "B"}, {"A"}, {4, 9}, {6}};
    EXPECT_EQ(compareDeviceNames(before, after),
              (std::vector<DeviceChange>{went(true, 1, "B"), came(true, 1, "B")}));
}

TEST(DeviceWatch, OnlyTheSequencersTrailingNumbersAreDroppedFromAName) {
    EXPECT_EQ(stableDeviceName("UM-ONE:UM-ONE MIDI 1 24:0"), "UM-ONE:UM-ONE MIDI 1");
    EXPECT_EQ(stableDeviceName("Midi Through:Midi Through Port-0 14:0"),
              "Midi Through:Midi Through Port-0");
    for (const char* kept : {"system:midi_capture_1", "Synth 2:0x", "A 12:", "A :3", "14:0",
                             "A 1:2:3", "A 1a:2", ""}) {
        EXPECT_EQ(stableDeviceName(kept), kept) << kept;
    }
}

TEST(DeviceWatch, ADeviceIsFoundByItsStableNameAndOrderWhateverItsNumbers) {
    const Names before{"", "Synth:Port 129:0", "Other 20:0", "Synth:Port 130:0"};
    const Names after{"Synth:Port 132:0", "Other 20:0", "Synth:Port 133:0"};
    const DeviceIdentity second = identityOf(before, 3);
    EXPECT_EQ(second, (DeviceIdentity{"Synth:Port", 1}));
    EXPECT_EQ(findDevice(after, second), 2);
    EXPECT_EQ(findDevice(after, identityOf(before, 1)), 0);
    // A name stored with the numbers of an older run is reduced when it is looked up.
    EXPECT_EQ(findDevice(after, {"Synth:Port 129:0", 0}), 0);
    EXPECT_EQ(findDevice(after, {"Synth:Port 133:0", 0}), 2);  // listed so: that one
    EXPECT_EQ(findDevice(after, {"Synth:Port", 2}), -1);
    EXPECT_EQ(findDevice(before, identityOf(before, 0)), -1);  // no name, no match
    EXPECT_EQ(identityOf(before, 4), DeviceIdentity{});
}

}  // namespace
}  // namespace tessaline::test
