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

TEST(DeviceWatch, ANameIsFoundAtItsHintFirstAndAnEmptyNameNowhere) {
    const Names names{"", "A", "B", "A"};
    EXPECT_EQ(findDeviceNamed(names, "A", 3), 3);
    EXPECT_EQ(findDeviceNamed(names, "A", 2), 1);
    EXPECT_EQ(findDeviceNamed(names, "A", 99), 1);
    EXPECT_EQ(findDeviceNamed(names, "Z", 0), -1);
    EXPECT_EQ(findDeviceNamed(names, "", 0), -1);
}

}  // namespace
}  // namespace tessaline::test
