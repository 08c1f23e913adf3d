#include <gtest/gtest.h>

#include <vector>

#include "synth/ReadBack.h"

namespace tessaline {
namespace {

struct Case {
    const char* name;
    WrittenValues written;
    std::vector<ReceivedBlock> blocks;
    int checked;
    int notReported;
    std::vector<ValueDifference> differences;
};

const std::vector<ReceivedBlock> kPart{{0x310100, {0x3F, 0x01, 0x25, 0x00}}};

const Case kCases[] = {
    {"EveryValueHeld", {{0x310100, 0x3F}, {0x310102, 0x25}}, kPart, 2, 0, {}},
    {"OneDiffers", {{0x310100, 0x3F}, {0x310101, 0x05}}, kPart, 2, 0, {{0x310101, 0x05, 0x01}}},
    // The last byte of a block is held, the next address is not: not reported, not a difference.
    {"BlockEnds", {{0x310103, 0x00}, {0x310104, 0x11}}, kPart, 1, 1, {}},
    {"BeforeAnyBlock", {{0x3100FF, 0x11}}, kPart, 0, 1, {}},
    {"NoAnswerAtAll", {{0x310100, 0x3F}}, {}, 0, 1, {}},
    // Where two blocks hold an address, the one that arrived later counts.
    {"LaterBlockCounts",
     {{0x300001, 0x22}},
     {{0x300000, {0x10, 0x11}}, {0x300001, {0x22}}},
     1,
     0,
     {}},
};

class CompareReadBack : public testing::TestWithParam<Case> {};

TEST_P(CompareReadBack, CountsCheckedUnreportedAndDifferentValues) {
    const Case& c = GetParam();
    const ReadBackResult result = compareReadBack(c.written, c.blocks);
    EXPECT_EQ(result.values, static_cast<int>(c.written.size()));
    EXPECT_EQ(result.checked, c.checked);
    EXPECT_EQ(result.notReported, c.notReported);
    EXPECT_EQ(result.differences, c.differences);
    EXPECT_EQ(result.matches(), c.differences.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareReadBack, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                             return param.param.name;
                         });

}  // namespace
}  // namespace tessaline
