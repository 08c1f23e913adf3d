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
    int unchecked;
    int notReported;
    std::vector<ValueDifference> differences;
    std::vector<int> missingBlocks;
};

const std::vector<ReceivedBlock> kPart{{0x310100, {0x3F, 0x01, 0x25, 0x00}}};
// The answer must hold part 2 (64 bytes) and the common block; 31 00 xx lies outside both.
const std::vector<BlockSpan> kExpected{{0x300000, 88}, {0x310100, 64}};

const Case kCases[] = {
    {"EveryValueHeld", {{0x310100, 0x3F}, {0x310102, 0x25}}, kPart, 2, 0, 0, {}, {}},
    {"OneDiffers",
     {{0x310100, 0x3F}, {0x310101, 0x05}},
     kPart,
     2,
     0,
     0,
     {{0x310101, 0x05, 0x01}},
     {}},
    // The block arrived shorter than the answer must hold it: what it lacks is unchecked.
    {"BlockCutShort", {{0x310103, 0x00}, {0x310104, 0x11}}, kPart, 1, 1, 0, {}, {0x310100}},
    {"OutsideEveryExpectedBlock", {{0x3100FF, 0x11}}, kPart, 0, 0, 1, {}, {}},
    {"NoAnswerAtAll", {{0x310100, 0x3F}, {0x300005, 0x01}}, {}, 0, 2, 0, {}, {0x300000, 0x310100}},
    // Where two blocks hold an address, the one that arrived later counts.
    {"LaterBlockCounts",
     {{0x300001, 0x22}},
     {{0x300000, {0x10, 0x11}}, {0x300001, {0x22}}},
     1,
     0,
     0,
     {},
     {}},
};

class CompareReadBack : public testing::TestWithParam<Case> {};

TEST_P(CompareReadBack, CountsCheckedUnreportedAndDifferentValues) {
    const Case& c = GetParam();
    const ReadBackResult result = compareReadBack(c.written, c.blocks, kExpected);
    EXPECT_EQ(result.values, static_cast<int>(c.written.size()));
    EXPECT_EQ(result.checked, c.checked);
    EXPECT_EQ(result.unchecked, c.unchecked);
    EXPECT_EQ(result.notReported, c.notReported);
    EXPECT_EQ(result.differences, c.differences);
    EXPECT_EQ(result.missingBlocks, c.missingBlocks);
    // Nothing seen is never a complete check.
    EXPECT_EQ(result.complete(), c.unchecked == 0 && c.checked > 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareReadBack, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                             return param.param.name;
                         });

}  // namespace
}  // namespace tessaline
