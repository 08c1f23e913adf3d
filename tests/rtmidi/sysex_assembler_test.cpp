#include <gtest/gtest.h>

#include <vector>

#include "platform/rtmidi/ByteRing.h"
#include "platform/rtmidi/SysExAssembler.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

std::vector<Bytes> feedAll(SysExAssembler& assembler, const std::vector<Bytes>& pieces) {
    std::vector<Bytes> messages;
    for (const Bytes& piece : pieces) {
        assembler.feed(piece.data(), piece.size(), [&](const unsigned char* data, std::size_t n) {
            messages.emplace_back(data, data + n);
        });
    }
    return messages;
}

TEST(SysExAssembler, JoinsPiecesAndDropsRealTimeBytesAnywhere) {
    SysExAssembler assembler;
    // A dump split over two deliveries, with a timing clock and active sensing inside it, a
    // clock between messages and a note in front.
    const std::vector<Bytes> pieces = {
        {0x90, 0x40, 0x7F, 0xF8, 0xF0, 0x43, 0x00, 0x7F},
        {0xF8},
        {0x00, 0x01, 0xFE, 0x02, 0xF7, 0xF8, 0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}};
    EXPECT_EQ(feedAll(assembler, pieces),
              (std::vector<Bytes>{{0xF0, 0x43, 0x00, 0x7F, 0x00, 0x01, 0x02, 0xF7},
                                  {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}}));
    EXPECT_FALSE(assembler.inMessage());
}

TEST(SysExAssembler, DropsMessagesCutShortOrTooLong) {
    SysExAssembler assembler(8);
    const std::vector<Bytes> pieces = {
        {0xF0, 0x43, 0x10, 0x90, 0x40, 0x7F},        // a note status breaks it off
        {0x10, 0xF7},                                // its tail, with no F0 before it
        {0xF0, 0x01, 0x02, 0xF0, 0x7E, 0x01, 0xF7},  // a new F0 starts over
        {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xF7},     // beyond the limit
        {0xF0, 0x43, 0xF7}};
    EXPECT_EQ(feedAll(assembler, pieces),
              (std::vector<Bytes>{{0xF0, 0x7E, 0x01, 0xF7}, {0xF0, 0x43, 0xF7}}));
}

TEST(SysExAssembler, ResetForgetsTheMessageInProgress) {
    SysExAssembler assembler;
    EXPECT_TRUE(feedAll(assembler, {{0xF0, 0x43, 0x01}}).empty());
    EXPECT_TRUE(assembler.inMessage());
    assembler.reset();
    EXPECT_TRUE(feedAll(assembler, {{0x02, 0xF7}}).empty());
}

TEST(ByteRing, KeepsRecordsWholeAcrossTheWrapAndMarksTheOneAfterALoss) {
    ByteRing ring(64);
    Bytes record;
    bool afterGap = true;
    // Walk the positions round the buffer so that records straddle its end.
    for (int round = 0; round < 20; ++round) {
        const Bytes message(static_cast<std::size_t>(5 + round % 7),
                            static_cast<unsigned char>(round));
        ASSERT_TRUE(ring.write(message.data(), message.size()));
        ASSERT_TRUE(ring.read(record, afterGap));
        EXPECT_EQ(record, message);
        EXPECT_FALSE(afterGap);
    }
    EXPECT_FALSE(ring.read(record, afterGap));

    const Bytes big(40, 0x11);
    const Bytes small(4, 0x22);
    ASSERT_TRUE(ring.write(big.data(), big.size()));
    EXPECT_FALSE(ring.write(big.data(), big.size()));  // no room: refused whole
    EXPECT_EQ(ring.droppedRecords(), 1u);
    ASSERT_TRUE(ring.write(small.data(), small.size()));
    ASSERT_TRUE(ring.read(record, afterGap));
    EXPECT_EQ(record, big);
    EXPECT_FALSE(afterGap);
    ASSERT_TRUE(ring.read(record, afterGap));
    EXPECT_EQ(record, small);
    EXPECT_TRUE(afterGap);
}

}  // namespace
}  // namespace tessaline::test
