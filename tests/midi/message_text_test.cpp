#include <gtest/gtest.h>

#include "tests/midi/TestPort.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes lastSent(PortRig& rig) {
    auto sent = rig.midi.sentLong();
    return sent.empty() ? Bytes{} : sent.back();
}

class MessageTextTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(rig.port.open(0), 1); }
    PortRig rig;
};

TEST_F(MessageTextTest, TemplatesExpandFrameAndSendExactBytes) {
    rig.port.setModelId("6B");
    rig.port.sendTemplate("10 M %A %b", 0x0A0001, 1);
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0x10, 0x6B, 0x0A, 0x00, 0x01, 0x01, 0xF7}));

    rig.port.setModelId("7F 00");
    rig.port.sendTemplate("10 M %A %B", 0x0A0001, 200);
    EXPECT_EQ(lastSent(rig),
              (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x00, 0x0A, 0x00, 0x01, 0x01, 0x48, 0xF7}));

    rig.port.sendTemplate("10 M %A %b %b %b %b", 0x300060, 0, 0, 0, 4);
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0x10, 0x7F, 0x00, 0x30, 0x00, 0x60, 0x00, 0x00,
                                    0x00, 0x04, 0xF7}));
}

TEST_F(MessageTextTest, ByteAndAddressPlaceholdersAreNotMaskedToSevenBits) {
    rig.port.setModelId("6B");
    rig.port.sendTemplate("10 M %A %b", 0x8A0001, 0x80);
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0x10, 0x6B, 0x8A, 0x00, 0x01, 0x80, 0xF7}));
    // %B keeps its two 7-bit halves.
    rig.port.sendTemplate("%B", 0x3FFF);
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0x7F, 0x7F, 0xF7}));
}

TEST_F(MessageTextTest, UnknownPlaceholderVanishesAndTakesNoArgument) {
    rig.port.setModelId("6B");
    rig.port.sendTemplate("10 M %Z%A %b", 0x0A0001, 5);
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0x10, 0x6B, 0x0A, 0x00, 0x01, 0x05, 0xF7}));
    // A lone '%' at the end is dropped without reading past the template.
    rig.port.sendTemplate("20 %");
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0x20, 0xF7}));
}

TEST_F(MessageTextTest, EmptyModelIdAndEmptyBody) {
    rig.port.sendTemplate("20 M %A", 0x300000);
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0x20, 0x30, 0x00, 0x00, 0xF7}));
    rig.port.sendSysEx("");
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x43, 0xF7}));
}

TEST_F(MessageTextTest, IdentityRequestIsNotFramed) {
    rig.port.sendIdentityRequest();
    EXPECT_EQ(lastSent(rig), (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}));
}

TEST(HexText, TokensBlanksAndOddValues) {
    unsigned char buffer[kMessageBufferSize];
    ASSERT_EQ(MidiPort::hexTextToBytes("  F0   43 f7  ", buffer), 3);
    EXPECT_EQ(buffer[0], 0xF0);
    EXPECT_EQ(buffer[1], 0x43);
    EXPECT_EQ(buffer[2], 0xF7);
    // Not hex: a zero byte in its place; above FF: the low 8 bits.
    ASSERT_EQ(MidiPort::hexTextToBytes("ZZ 1234 7", buffer), 3);
    EXPECT_EQ(buffer[0], 0x00);
    EXPECT_EQ(buffer[1], 0x34);
    EXPECT_EQ(buffer[2], 0x07);
}

TEST(HexText, MoreThan256TokensSendsTheFirst256) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += MidiPort::formatHexPairs(static_cast<unsigned>(i), 1) + " ";
    }
    unsigned char buffer[kMessageBufferSize];
    ASSERT_EQ(MidiPort::hexTextToBytes(text, buffer), 256);
    EXPECT_EQ(buffer[255], 0xFF);
}

TEST(HexText, FormatHexPairs) {
    EXPECT_EQ(MidiPort::formatHexPairs(0xA0001, 3), "0A 00 01");
    EXPECT_EQ(MidiPort::formatHexPairs(0x12345678, 4), "12 34 56 78");
    EXPECT_EQ(MidiPort::formatHexPairs(0x1FF, 1), "FF");
    EXPECT_EQ(MidiPort::formatHexPairs(0xA0001, 5), "");
    EXPECT_EQ(MidiPort::formatHexPairs(0xA0001, 0), "");
}

TEST(BulkChecksum, SevenBitSumFromFifthByteThroughChecksum) {
    const unsigned char good[] = {0xF0, 0x43, 0x00, 0x6B, 0x00, 0x01, 0x7F, 0xF7};
    const unsigned char bad[] = {0xF0, 0x43, 0x00, 0x6B, 0x00, 0x01, 0x7E, 0xF7};
    EXPECT_EQ(MidiPort::isBulkChecksumValid(good, 8), 1);
    EXPECT_EQ(MidiPort::isBulkChecksumValid(bad, 8), 0);
    EXPECT_EQ(MidiPort::isBulkChecksumValid(bad, 5), 1);
    EXPECT_EQ(MidiPort::isBulkChecksumValid(bad, 0), 1);
}

}  // namespace
}  // namespace tessaline::test
