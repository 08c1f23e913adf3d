// Lives of listed ports from what the MIDI system announces: a port that went and came back
// between two looks is a new device; one still listed on its way out is neither old nor new.
#include <gtest/gtest.h>

#include "platform/rtmidi/PortLives.h"

namespace tessaline::test {
namespace {

std::uint64_t lifeIn(const std::vector<ListedDevice>& devices, const std::string& name) {
    for (const ListedDevice& device : devices) {
        if (device.name == name) {
            return device.life;
        }
    }
    return 0;
}

TEST(PortLives, APortThatWentAndCameBackUnderItsNameStartsANewLife) {
    PortLives lives;
    const DeviceListing first = lives.assign({"A", "B"}, {"A"});
    const std::uint64_t a = lifeIn(first.inputs, "A");
    EXPECT_EQ(lifeIn(first.outputs, "A"), a);  // one port in both lists, one life
    EXPECT_NE(lifeIn(first.inputs, "B"), a);

    lives.departed("A");  // gone from the system's lists, and back before the next look
    const DeviceListing second = lives.assign({"A", "B"}, {"A"});
    EXPECT_NE(lifeIn(second.inputs, "A"), a);
    EXPECT_EQ(lifeIn(second.inputs, "B"), lifeIn(first.inputs, "B"));
    EXPECT_TRUE(lives.departedSince("A", a));
    EXPECT_FALSE(lives.departedSince("A", lifeIn(second.inputs, "A")));

    // Not listed once is forgotten: listed again, it is new.
    lives.assign({"A"}, {"A"});
    EXPECT_TRUE(lives.departedSince("B", lifeIn(second.inputs, "B")));
    EXPECT_NE(lifeIn(lives.assign({"A", "B"}, {}).inputs, "B"), lifeIn(second.inputs, "B"));
}

TEST(PortLives, APortOnItsWayOutIsHiddenUntilOneOfItsNameRegistersAgain) {
    PortLives lives;
    const std::uint64_t a = lifeIn(lives.assign({"A"}, {}).inputs, "A");
    lives.leaving("A");
    EXPECT_TRUE(lives.assign({"A"}, {}).inputs.empty());  // the system still lists it
    EXPECT_TRUE(lives.assign({"A"}, {}).inputs.empty());
    lives.registered("A");
    const std::uint64_t back = lifeIn(lives.assign({"A"}, {}).inputs, "A");
    EXPECT_NE(back, 0u);
    EXPECT_NE(back, a);
    // A registration notice of a port already listed, late, changes nothing.
    lives.registered("A");
    EXPECT_EQ(lifeIn(lives.assign({"A"}, {}).inputs, "A"), back);
}

}  // namespace
}  // namespace tessaline::test
