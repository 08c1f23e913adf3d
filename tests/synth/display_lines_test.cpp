#include <gtest/gtest.h>

#include "tests/synth/SynthRig.h"

namespace tessaline::test {
namespace {

// A common block of the given size with a ten-character name and a category byte.
Bytes commonBlock(int size, const std::string& name, unsigned char category) {
    Bytes bytes(static_cast<std::size_t>(size), 0);
    std::copy(name.begin(), name.end(), bytes.begin());
    bytes[12] = category;
    return bytes;
}

class DisplayLines : public testing::Test {
  protected:
    void SetUp() override { rig.deliver(identityReply(0x6B, 0x05)); }  // ES8: nine banks
    void voice(const std::string& name, unsigned char category) {
        rig.deliver(bulkBlock({0x7F, 0x00}, 0x407000, commonBlock(82, name, category)));
    }
    void performance(const std::string& name, unsigned char category) {
        rig.deliver(bulkBlock({0x7F, 0x00}, 0x300000, commonBlock(101, name, category)));
    }
    SynthRig rig;
};

TEST_F(DisplayLines, VoiceLineAlignsTheColonAfterShortBankNames) {
    voice("Grand Pno ", 1);
    const std::string pre1 = rig.device.formatVoiceLine(0, 0, 0);
    EXPECT_EQ(pre1, " PRE1:001(A01) Ap:Grand Pno ");
    EXPECT_EQ(pre1.size(), 18u + 10u);

    voice("Drums     ", 0);
    const std::string gm = rig.device.formatVoiceLine(8, 7, 15);
    EXPECT_EQ(gm, "   GM:128(H16) --:Drums     ");
    EXPECT_EQ(gm.find(':'), pre1.find(':'));

    const std::string user2 = rig.device.formatVoiceLine(7, 1, 9);
    EXPECT_EQ(user2, " USER2:026(B10) --:Drums     ");
    EXPECT_EQ(user2.size(), pre1.size() + 1);
}

TEST_F(DisplayLines, UnknownBankGivesAnEmptyBankText) {
    voice("Strings   ", 6);
    EXPECT_EQ(rig.device.formatVoiceLine(9, 0, 0), "     :001(A01) St:Strings   ");
    EXPECT_EQ(rig.device.formatVoiceLine(-1, 0, 1), "     :002(A02) St:Strings   ");
}

TEST_F(DisplayLines, CategoriesBeyondTheTableShowQuestionMarks) {
    voice("Odd       ", 17);
    EXPECT_EQ(rig.device.formatVoiceLine(0, 0, 0), " PRE1:001(A01) ??:Odd       ");
    performance("Odd Perf  ", 0x7F);
    EXPECT_EQ(rig.device.formatPerformanceLine(0, 0), " USER:001(A01) ??:Odd Perf  ");
}

TEST_F(DisplayLines, PerformanceLineUsesTheUserBank) {
    performance("Combo Song", 16);
    EXPECT_EQ(rig.device.formatPerformanceLine(0, 3), " USER:004(A04) Co:Combo Song");
    EXPECT_EQ(rig.device.formatPerformanceLine(7, 15), " USER:128(H16) Co:Combo Song");
}

TEST(ByteBlockName, ShortBlocksAndCopies) {
    ByteBlock block;
    block.allocate(4);
    std::copy_n("Abcd", 4, block.data());
    EXPECT_EQ(block.name(), "Abcd");

    ByteBlock copy = block;
    copy.data()[0] = 'X';
    EXPECT_EQ(block.name(), "Abcd");
    EXPECT_EQ(copy.name(), "Xbcd");
}

}  // namespace
}  // namespace tessaline::test
