#include <gtest/gtest.h>

#include <cstdio>

#include "tests/synth/SynthRig.h"

namespace tessaline::test {
namespace {

std::string hex(const Bytes& bytes) {
    std::string text;
    for (unsigned char b : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", b);
        text += pair;
    }
    return text;
}

// A device with its output open; identified as the given model when bytes are given.
class Messages : public testing::Test {
  protected:
    void open() {
        ASSERT_EQ(rig.device.open(0), 1);
        rig.midi.clearRecords();
        rig.notices.drain();
    }
    void identifyAs(unsigned char byte8, unsigned char byte9) {
        open();
        rig.deliver(identityReply(byte8, byte9));
    }
    std::vector<std::string> sent() {
        std::vector<std::string> messages;
        for (const Bytes& message : rig.midi.sent()) {
            messages.push_back(hex(message));
        }
        return messages;
    }
    SynthRig rig;
};

TEST_F(Messages, ParameterWidthsOnAOneByteModelId) {
    identifyAs(0x7C, 0x04);  // Motif 6
    rig.device.sendParameter(kModeAddress, 1, 1);
    rig.device.sendParameter(0x310005, 1024, 2);
    rig.device.sendParameter(0x310005, 200, 1);
    rig.device.sendParameter(0x310005, 200, 4);  // any width but 1 is two bytes
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "F0 43 10 6B 0A 00 01 01 F7",
                          "F0 43 10 6B 31 00 05 08 00 F7",
                          "F0 43 10 6B 31 00 05 C8 F7",
                          "F0 43 10 6B 31 00 05 01 48 F7",
                      }));
}

TEST_F(Messages, EsMessagesCarryTheTwoByteModelId) {
    identifyAs(0x6A, 0x05);  // Motif ES7
    rig.device.sendParameter(kModeAddress, 1, 1);
    rig.device.sendParameter4(0x370105, 0x01, 0x7F, 0x00, 0x40);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "F0 43 10 7F 00 0A 00 01 01 F7",
                          "F0 43 10 7F 00 37 01 05 01 7F 00 40 F7",
                      }));
}

TEST_F(Messages, DumpRequestTriples) {
    identifyAs(0x58, 0x04);  // Motif Rack
    rig.device.requestPerformanceDump();
    rig.device.requestMixDump();
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "F0 43 20 6F 0E 4F 00 F7",
                          "F0 43 20 6F 36 00 00 F7",
                          "F0 43 20 6F 0F 4F 00 F7",
                          "F0 43 20 6F 0E 5F 00 F7",
                          "F0 43 20 6F 36 00 00 F7",
                          "F0 43 20 6F 0F 5F 00 F7",
                      }));
}

TEST_F(Messages, BlockWritersPairTwentyTwoBytesThenSendTheRestSingly) {
    identifyAs(0x05, 0x2A);  // S90
    const Bytes bytes = pattern(25, 0x61);
    rig.device.writeBlock25(0x300100, bytes.data());
    const auto messages = sent();
    ASSERT_EQ(messages.size(), 14u);
    EXPECT_EQ(messages[0], "F0 43 10 6B 30 01 00 61 62 F7");
    EXPECT_EQ(messages[1], "F0 43 10 6B 30 01 02 63 64 F7");
    EXPECT_EQ(messages[10], "F0 43 10 6B 30 01 14 75 76 F7");
    EXPECT_EQ(messages[11], "F0 43 10 6B 30 01 16 77 F7");
    EXPECT_EQ(messages[12], "F0 43 10 6B 30 01 17 78 F7");
    EXPECT_EQ(messages[13], "F0 43 10 6B 30 01 18 79 F7");

    rig.midi.clearRecords();
    rig.device.writeBlock24(0x300100, bytes.data());
    EXPECT_EQ(sent(), std::vector<std::string>(messages.begin(), messages.begin() + 13));
}

TEST_F(Messages, SelectVoiceSendsModeBankProgramAndRequest) {
    identifyAs(0x6B, 0x05);  // ES8: index 6 is USER1, 3F/08
    rig.device.selectVoice(6, 0x25);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "F0 43 10 7F 00 0A 00 01 00 F7",
                          "B0 00 3F",
                          "B0 20 08",
                          "C0 25",
                          "F0 43 20 7F 00 0E 0F 00 F7",
                          "F0 43 20 7F 00 36 00 00 F7",
                          "F0 43 20 7F 00 0F 0F 00 F7",
                      }));
    EXPECT_EQ(rig.clock.waits(), std::vector<int>{100});
}

TEST_F(Messages, SelectVoiceWithUnknownBankSkipsOnlyTheBankSelect) {
    identifyAs(0x6B, 0x05);
    rig.device.selectVoice(9, 0x7F);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "F0 43 10 7F 00 0A 00 01 00 F7",
                          "C0 7F",
                          "F0 43 20 7F 00 0E 0F 00 F7",
                          "F0 43 20 7F 00 36 00 00 F7",
                          "F0 43 20 7F 00 0F 0F 00 F7",
                      }));
}

TEST_F(Messages, SelectVoiceBeforeIdentificationSendsNoProgramChange) {
    open();
    rig.device.selectVoice(0, 3);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "F0 43 10 0A 00 01 00 F7",
                          "F0 43 20 0E 0F 00 F7",
                          "F0 43 20 36 00 00 F7",
                          "F0 43 20 0F 0F 00 F7",
                      }));
}

TEST_F(Messages, SelectPerformanceUsesTheUserPerformanceBank) {
    identifyAs(0x7D, 0x04);  // Motif 7
    rig.device.selectPerformance(5);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "F0 43 10 6B 0A 00 01 01 F7",
                          "B0 00 3F",
                          "B0 20 40",
                          "C0 05",
                          "F0 43 20 6B 0E 4F 00 F7",
                          "F0 43 20 6B 36 00 00 F7",
                          "F0 43 20 6B 0F 4F 00 F7",
                      }));
}

TEST_F(Messages, ProgramsAbove127SendNothingAndDoNotWait) {
    identifyAs(0x7D, 0x04);
    rig.device.selectVoice(0, 128);
    rig.device.selectPerformance(200);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(rig.clock.waits().empty());
}

}  // namespace
}  // namespace tessaline::test
