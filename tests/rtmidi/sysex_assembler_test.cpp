#include <gtest/gtest.h>

#include <vector>

#include "platform/SysExAssembler.h"
#include "platform/rtmidi/ByteRing.h"
#include "platform/rtmidi/InputPump.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

struct AssemblyCase {
    const char* name;
    std::vector<Bytes> pieces;  // an empty piece: input was lost there
    std::vector<Bytes> out;     // whole messages and real-time bytes, in order
    unsigned damaged;
    unsigned overlong;
};

class Assembly : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(Assembly, HandsOnWholeMessagesAndRealTimeBytesAndCountsWhatItDrops) {
    const AssemblyCase& c = GetParam();
    SysExAssembler assembler(8);
    std::vector<Bytes> out;
    for (const Bytes& piece : c.pieces) {
        if (piece.empty()) {
            assembler.breakOff();
        }
        assembler.feed(piece.data(), piece.size(), [&](const unsigned char* data, std::size_t n) {
            out.emplace_back(data, data + n);
        });
    }
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(assembler.takeDamaged(), c.damaged);
    EXPECT_EQ(assembler.takeOverlong(), c.overlong);
    EXPECT_EQ(assembler.takeDamaged(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    SysExAssembler, Assembly,
    ::testing::Values(
        // A dump split over two deliveries, real-time bytes inside it, a clock between messages
        // and a note in front.
        AssemblyCase{"RealTimeBytesComeOutWhereTheyStood",
                     {{0x90, 0x40, 0x7F, 0xF8, 0xF0, 0x43, 0x00, 0x7F},
                      {0xF8},
                      {0x00, 0x01, 0xFE, 0x02, 0xF7, 0xF8, 0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}},
                     {{0xF8},
                      {0xF8},
                      {0xFE},
                      {0xF0, 0x43, 0x00, 0x7F, 0x00, 0x01, 0x02, 0xF7},
                      {0xF8},
                      {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}},
                     0,
                     0},
        AssemblyCase{"AnotherStatusByteBreaksAMessageOff",
                     {{0xF0, 0x43, 0x10, 0x90, 0x40, 0x7F}, {0x10, 0xF7}, {0xF0, 0x43, 0xF7}},
                     {{0xF0, 0x43, 0xF7}},
                     1,
                     0},
        AssemblyCase{"ANewMessageBreaksOffTheOneUnderWay",
                     {{0xF0, 0x01, 0x02, 0xF0, 0x7E, 0x01, 0xF7}},
                     {{0xF0, 0x7E, 0x01, 0xF7}},
                     1,
                     0},
        AssemblyCase{"LostInputBreaksAMessageOff",
                     {{0xF0, 0x43, 0x01}, {}, {0x02, 0xF7}, {}, {0xF4}, {0xF0, 0x43, 0xF7}},
                     {{0xF0, 0x43, 0xF7}},
                     1,
                     0},
        AssemblyCase{"AMessageBeyondTheLimitIsTooLongNotDamaged",
                     {{0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xF7}, {0xF0, 0x43, 0xF7}},
                     {{0xF0, 0x43, 0xF7}},
                     0,
                     1}),
    [](const ::testing::TestParamInfo<AssemblyCase>& row) { return row.param.name; });

// Where short messages come out too, one that arrives inside a System Exclusive message breaks
// that off and is handed on itself.
TEST(InputPump, PassesShortMessagesAndBreaksOffTheSysExTheyInterrupt) {
    InputPump pump(1024, InputPump::ShortMessages::Pass);
    for (const Bytes& record : std::vector<Bytes>{{0xF0, 0x43, 0x01},
                                                  {0xF8},
                                                  {0x02, 0xF7},
                                                  {0xF0, 0x43, 0x01},
                                                  {0x90, 0x40, 0x7F},
                                                  {0x02, 0xF7}}) {
        ASSERT_TRUE(pump.write(record.data(), record.size()));
    }
    std::vector<Bytes> out;
    std::vector<MidiResult> faults;
    pump.pump([&](const unsigned char* data, std::size_t n) { out.emplace_back(data, data + n); },
              [&](MidiResult fault) { faults.push_back(fault); });
    EXPECT_EQ(out,
              (std::vector<Bytes>{{0xF8}, {0xF0, 0x43, 0x01, 0x02, 0xF7}, {0x90, 0x40, 0x7F}}));
    EXPECT_EQ(faults, std::vector<MidiResult>{midiresult::MessageDamaged});
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
