#include <gtest/gtest.h>

#include "midi/MidiPort.h"
#include "sim/BulkBlock.h"
#include "sim/VirtualInstrument.h"
#include "tests/sim/SimTestSupport.h"

namespace tessaline::test {
namespace {

TEST(VirtualInstrumentIdentity, EveryModelAnswersWithItsTableBytes) {
    for (const InstrumentModel& info : instrumentModels()) {
        SCOPED_TRACE(info.displayName);
        VirtualInstrument instrument(info, 3);
        ReplyLog log(instrument);
        instrument.receive(Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7});
        instrument.receive(Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
        const Bytes expected{
            0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41, info.memberCodeLow, info.memberCodeHigh,
            0x00, 0x00, 0x00, 0x01, 0xF7};
        EXPECT_EQ(log.take(), (std::vector<Bytes>{expected, expected}));
        EXPECT_EQ(instrument.ignored().total(), 0);
    }
}

TEST(VirtualInstrumentIdentity, ConcreteReplyAndFactoryByName) {
    auto instrument = VirtualInstrument::create("Motif ES7");
    ASSERT_NE(instrument, nullptr);
    EXPECT_EQ(instrument->family(), InstrumentFamily::MotifES);
    EXPECT_EQ(instrument->modelId(), (Bytes{0x7F, 0x00}));
    EXPECT_EQ(instrument->identityReply(), (Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x43, 0x00, 0x41,
                                                  0x6A, 0x05, 0x00, 0x00, 0x00, 0x01, 0xF7}));
    EXPECT_EQ(VirtualInstrument::create("Motif 9"), nullptr);
}

TEST(VirtualInstrumentIdentity, OtherRequestsAreIgnoredAndCounted) {
    VirtualInstrument instrument(model("S90"));
    ReplyLog log(instrument);
    instrument.receive(Bytes{0xF0, 0x7E, 0x10, 0x06, 0x01, 0xF7});        // another device
    instrument.receive(Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0xF7});        // a reply, not a request
    instrument.receive(Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01, 0x00, 0xF7});  // one byte too many
    instrument.receive(Bytes{0xF0, 0x7F, 0x7F, 0x06, 0x01, 0xF7});        // realtime universal
    instrument.receive(Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01});              // no F7
    EXPECT_TRUE(log.take().empty());
    EXPECT_EQ(instrument.ignored().unsupported, 4);
    EXPECT_EQ(instrument.ignored().malformed, 1);
    EXPECT_EQ(instrument.receivedCount(), 5);
}

TEST(VirtualInstrumentBlocks, ExactBytesWithOneByteModelId) {
    VirtualInstrument instrument(model("Motif 7"), 11);
    ReplyLog log(instrument);
    instrument.receive(Bytes{0xF0, 0x43, 0x20, 0x6B, 0x0E, 0x0F, 0x00, 0xF7});
    const std::vector<Bytes> replies = log.take();
    ASSERT_EQ(replies.size(), 6u);
    // Header: no data, byte count 0, checksum of 0E 0F 00.
    EXPECT_EQ(replies[0],
              (Bytes{0xF0, 0x43, 0x00, 0x6B, 0x00, 0x00, 0x0E, 0x0F, 0x00, 0x63, 0xF7}));
    EXPECT_EQ(replies[5],
              (Bytes{0xF0, 0x43, 0x00, 0x6B, 0x00, 0x00, 0x0F, 0x0F, 0x00, 0x62, 0xF7}));
    const Bytes& common = replies[1];
    ASSERT_EQ(common.size(), 9u + 66u + 2u);
    EXPECT_EQ(Bytes(common.begin(), common.begin() + 9),
              (Bytes{0xF0, 0x43, 0x00, 0x6B, 0x00, 0x42, 0x40, 0x70, 0x00}));
    EXPECT_EQ(blockData(common, 1), instrument.block(0x407000).value());
    EXPECT_EQ(common.back(), 0xF7);
    for (const Bytes& block : replies) {
        EXPECT_TRUE(sumsToZero(block));
        EXPECT_EQ(MidiPort::isBulkChecksumValid(block.data(), static_cast<int>(block.size())), 1);
    }
}

TEST(VirtualInstrumentBlocks, ExactBytesWithTwoByteModelId) {
    VirtualInstrument instrument(model("Motif ES6"), 11);
    ReplyLog log(instrument);
    instrument.receive(Bytes{0xF0, 0x43, 0x20, 0x7F, 0x00, 0x0E, 0x0F, 0x00, 0xF7});
    const std::vector<Bytes> replies = log.take();
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[0],
              (Bytes{0xF0, 0x43, 0x00, 0x7F, 0x00, 0x00, 0x00, 0x0E, 0x0F, 0x00, 0x63, 0xF7}));
    const Bytes& common = replies[1];
    ASSERT_EQ(common.size(), 10u + 82u + 2u);
    EXPECT_EQ(Bytes(common.begin(), common.begin() + 10),
              (Bytes{0xF0, 0x43, 0x00, 0x7F, 0x00, 0x00, 0x52, 0x40, 0x70, 0x00}));
    EXPECT_EQ(blockData(common, 2), instrument.block(0x407000).value());
    for (const Bytes& block : replies) {
        EXPECT_EQ(MidiPort::isBulkChecksumValid(block.data(), static_cast<int>(block.size())), 1);
    }
}

TEST(VirtualInstrumentBlocks, ByteCountUsesTwoSevenBitBytes) {
    const Bytes data(200, 0x55);
    const Bytes id{0x6F};
    const Bytes block = makeBulkBlock(id, 0x123456, data);
    EXPECT_EQ(block[4], 0x01);
    EXPECT_EQ(block[5], 0x48);  // 200 = 1 * 128 + 72
    EXPECT_EQ(block.size(), 9u + 200u + 2u);
    EXPECT_TRUE(sumsToZero(block));
}

struct DumpCase {
    const char* model;
    unsigned request;
    std::vector<std::pair<unsigned, std::size_t>> blocks;  // address, data size
};

std::vector<std::pair<unsigned, std::size_t>> multiPart(unsigned common, std::size_t commonSize,
                                                        std::size_t fx1, std::size_t fx2, int parts,
                                                        unsigned headerMid) {
    std::vector<std::pair<unsigned, std::size_t>> blocks{{0x0E0000 | headerMid << 8, 0},
                                                         {common, commonSize},
                                                         {common + 0x100, fx1},
                                                         {common + 0x200, fx2},
                                                         {common + 0x1000, 20}};
    for (int part = 0; part < parts; ++part) {
        blocks.push_back({common + 0x10000 + static_cast<unsigned>(part) * 0x100, 64});
    }
    blocks.push_back({0x0F0000 | headerMid << 8, 0});
    return blocks;
}

TEST(VirtualInstrumentDumps, TriplesAnswerWithHeaderBlocksAndFooterInOrder) {
    const std::vector<DumpCase> cases = {
        {"Motif 8",
         0x0E0F00,
         {{0x0E0F00, 0},
          {0x407000, 66},
          {0x400000, 15},
          {0x400100, 24},
          {0x400200, 25},
          {0x0F0F00, 0}}},
        {"Motif ES8",
         0x0E0F00,
         {{0x0E0F00, 0},
          {0x407000, 82},
          {0x400000, 17},
          {0x400100, 36},
          {0x400200, 37},
          {0x0F0F00, 0}}},
        {"S90", 0x0E4F00, multiPart(0x300000, 88, 24, 25, 4, 0x4F)},
        {"Motif ES7", 0x0E4F00, multiPart(0x300000, 101, 36, 37, 4, 0x4F)},
        {"Motif Rack", 0x0E5F00, multiPart(0x360000, 88, 24, 25, 16, 0x5F)},
        {"Motif ES6", 0x0E5F00, multiPart(0x360000, 101, 36, 37, 16, 0x5F)},
    };
    for (const DumpCase& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " request " + std::to_string(c.request));
        VirtualInstrument instrument(model(c.model), 5);
        const std::size_t idLength = instrument.modelId().size();
        ReplyLog log(instrument);
        // The whole triple as the program sends it: only the first request is answered.
        instrument.receive(dumpRequest(instrument, c.request));
        instrument.receive(dumpRequest(instrument, 0x360000));
        instrument.receive(dumpRequest(instrument, c.request + 0x010000));
        const std::vector<Bytes> replies = log.take();
        ASSERT_EQ(replies.size(), c.blocks.size());
        for (std::size_t i = 0; i < replies.size(); ++i) {
            EXPECT_EQ(blockAddress(replies[i], idLength), c.blocks[i].first) << "block " << i;
            const Bytes data = blockData(replies[i], idLength);
            EXPECT_EQ(data.size(), c.blocks[i].second) << "block " << i;
            if (c.blocks[i].second > 0) {
                EXPECT_EQ(data, instrument.block(c.blocks[i].first).value()) << "block " << i;
            }
            EXPECT_TRUE(sumsToZero(replies[i])) << "block " << i;
        }
        EXPECT_EQ(instrument.ignored().unsupported, 2);
    }
}

// The S90 has no song mix and the Motif Rack no performances: asked for one, the instrument
// stays silent; written to, it keeps nothing. Both count as ignored.
// What a librarian does: take a dump, edit it, send it back. Every block lands where it was
// dumped from; a damaged one, or one that fits no block there, changes nothing and is counted.
TEST(VirtualInstrumentBulkDumps, ADumpSentBackChangedIsWhatTheMemoryThenHolds) {
    const std::pair<const char*, unsigned> dumps[] = {{"S90", 0x0E4F00},
                                                      {"Motif Rack", 0x0E5F00},
                                                      {"Motif ES7", 0x0E4F00},
                                                      {"Motif 6", 0x0E0F00}};
    for (const auto& [name, request] : dumps) {
        SCOPED_TRACE(name);
        VirtualInstrument instrument(model(name), 21);
        ReplyLog log(instrument);
        const std::size_t idLength = instrument.modelId().size();
        instrument.receive(dumpRequest(instrument, request));
        std::vector<Bytes> dump = log.take();
        ASSERT_GE(dump.size(), 3u);
        BlockMap expected = instrument.snapshot();
        for (std::size_t i = 1; i + 1 < dump.size(); ++i) {
            const unsigned address = blockAddress(dump[i], idLength);
            Bytes data = blockData(dump[i], idLength);
            for (unsigned char& byte : data) {
                byte = static_cast<unsigned char>((byte + 5) & 0x7F);
            }
            expected.at(address) = data;
            dump[i] = makeBulkBlock(instrument.modelId(), address, data);
        }
        for (const Bytes& block : dump) {
            instrument.receive(block);
        }
        EXPECT_EQ(instrument.snapshot(), expected);
        EXPECT_EQ(instrument.ignored().total(), 0);
        EXPECT_TRUE(log.take().empty());

        const unsigned first = blockAddress(dump[1], idLength);
        const Bytes data = blockData(dump[1], idLength);
        Bytes damaged = makeBulkBlock(instrument.modelId(), first, Bytes(data.size(), 0x01));
        corruptChecksum(damaged);
        Bytes cut = makeBulkBlock(instrument.modelId(), first, Bytes(data.size(), 0x02));
        truncateBlock(cut, idLength);
        Bytes longer = data;
        longer.push_back(0x03);
        const std::vector<Bytes> refused = {
            damaged,                                                      // checksum
            cut,                                                          // byte count
            makeBulkBlock(instrument.modelId(), first, longer),           // not the block's size
            makeBulkBlock(instrument.modelId(), first + 1, Bytes{0x04}),  // inside a block
            makeBulkBlock(instrument.modelId(), 0x0A0001, Bytes{0x01}),   // the mode, no dump
            makeBulkBlock(Bytes{0x7E}, first, data),                      // another model
            makeBulkBlock(instrument.modelId(), request, Bytes{0x05}),    // a header with data
        };
        for (const Bytes& block : refused) {
            instrument.receive(block);
        }
        EXPECT_EQ(instrument.snapshot(), expected);
        const IgnoredCounts ignored = instrument.ignored();
        EXPECT_EQ(ignored.damagedBlocks, 2);
        EXPECT_EQ(ignored.outOfRange, 3);
        EXPECT_EQ(ignored.otherModelId, 1);
        EXPECT_EQ(ignored.malformed, 1);
    }
}

TEST(VirtualInstrumentDumps, AnAreaTheFamilyLacksIsNeitherSentNorWritten) {
    struct Lack {
        const char* model;
        unsigned request;
        std::vector<unsigned> writes;
    };
    const Lack lacks[] = {
        {"S90", 0x0E5F00, {0x360000, 0x360100, 0x361000, 0x370000, 0x370F3F}},
        {"Motif Rack", 0x0E4F00, {0x300000, 0x300200, 0x301000, 0x310000, 0x31033F}},
    };
    for (const Lack& lack : lacks) {
        SCOPED_TRACE(lack.model);
        VirtualInstrument instrument(model(lack.model), 5);
        ReplyLog log(instrument);
        const BlockMap before = instrument.snapshot();
        instrument.receive(dumpRequest(instrument, lack.request));
        instrument.receive(dumpRequest(instrument, 0x360000));
        instrument.receive(dumpRequest(instrument, lack.request + 0x010000));
        for (unsigned address : lack.writes) {
            instrument.receive(parameterChange(instrument, address, {0x01}));
            EXPECT_FALSE(instrument.block(address & 0xFFFF00).has_value()) << std::hex << address;
        }
        EXPECT_TRUE(log.take().empty());
        EXPECT_EQ(instrument.snapshot(), before);
        EXPECT_EQ(instrument.ignored().unsupported, 3);
        EXPECT_EQ(instrument.ignored().outOfRange, static_cast<int>(lack.writes.size()));
    }
    // Nor does the Motif Rack select a USER performance.
    VirtualInstrument rack(model("Motif Rack"), 5);
    const BlockMap before = rack.snapshot();
    rack.receive(parameterChange(rack, 0x0A0001, {0x01}));
    rack.receive(Bytes{0xB0, 0x00, 0x3F});
    rack.receive(Bytes{0xB0, 0x20, 0x40});
    rack.receive(Bytes{0xC0, 0x07});
    EXPECT_TRUE(rack.userPerformance(7).empty());
    BlockMap now = rack.snapshot();
    now.at(0x0A0001) = before.at(0x0A0001);
    EXPECT_EQ(now, before);
    EXPECT_EQ(rack.ignored().unsupported, 1);
}

TEST(VirtualInstrumentWrites, LandByteByByteAtConsecutiveAddresses) {
    VirtualInstrument instrument(model("Motif ES7"), 9);
    const BlockMap before = instrument.snapshot();
    auto next = [&before](unsigned base, std::size_t offset) {
        return static_cast<unsigned char>((before.at(base)[offset] + 1) & 0x7F);
    };
    const unsigned char one = next(0x300000, 0x05);
    const unsigned char hi = next(0x370500, 0x10);
    const unsigned char lo = next(0x370500, 0x11);
    const unsigned char q[4] = {next(0x300000, 0x60), next(0x300000, 0x61), next(0x300000, 0x62),
                                next(0x300000, 0x63)};
    instrument.receive(parameterChange(instrument, 0x300005, {one}));
    instrument.receive(parameterChange(instrument, 0x370510, {hi, lo}));
    instrument.receive(parameterChange(instrument, 0x300060, {q[0], q[1], q[2], q[3]}));
    instrument.receive(parameterChange(instrument, 0x0A0001, {0x03}));

    const std::vector<std::pair<unsigned, unsigned char>> expected = {
        {0x0A0001, 0x03}, {0x300005, one},  {0x300060, q[0]}, {0x300061, q[1]},
        {0x300062, q[2]}, {0x300063, q[3]}, {0x370510, hi},   {0x370511, lo}};
    EXPECT_EQ(changedBytes(before, instrument.snapshot()), expected);
    EXPECT_EQ(instrument.mode(), 3);
    EXPECT_EQ(instrument.ignored().total(), 0);
}

TEST(VirtualInstrumentWrites, OutsideEveryBlockIsIgnoredAndCounted) {
    VirtualInstrument instrument(model("Motif 6"), 9);
    const BlockMap before = instrument.snapshot();
    // The common block of this family ends at offset 0x57; a mix part at 0x3F; four parts only.
    for (unsigned address : {0x300058u, 0x310400u, 0x370F40u, 0x371000u, 0x0A0000u, 0x0A0002u,
                             0x123456u, 0x400018u, 0x000000u}) {
        instrument.receive(parameterChange(instrument, address, {0x01}));
    }
    EXPECT_EQ(instrument.snapshot(), before);
    EXPECT_EQ(instrument.ignored().outOfRange, 9);

    // A write that starts inside and runs out: the inside byte lands, the message counts.
    const unsigned char last = static_cast<unsigned char>((before.at(0x300000)[0x57] + 1) & 0x7F);
    instrument.receive(parameterChange(instrument, 0x300057, {last, 0x01}));
    const std::vector<std::pair<unsigned, unsigned char>> expected = {{0x300057, last}};
    EXPECT_EQ(changedBytes(before, instrument.snapshot()), expected);
    EXPECT_EQ(instrument.ignored().outOfRange, 10);

    // The last byte of the sixteenth mix part is inside.
    instrument.receive(parameterChange(instrument, 0x370F3F, {0x11}));
    EXPECT_EQ(instrument.block(0x370F00).value()[0x3F], 0x11);
    EXPECT_EQ(instrument.ignored().outOfRange, 10);
}

TEST(VirtualInstrumentWrites, SameOffsetFitsOnlyTheLargerCommonBlock) {
    VirtualInstrument es(model("Motif ES8"));
    es.receive(parameterChange(es, 0x300064, {0x2A}));
    EXPECT_EQ(es.block(0x300000).value()[0x64], 0x2A);
    es.receive(parameterChange(es, 0x300065, {0x2A}));
    EXPECT_EQ(es.ignored().outOfRange, 1);
}

TEST(VirtualInstrumentSelection, BankSelectAndProgramChangeLoadTheVoice) {
    VirtualInstrument instrument(model("Motif ES7"), 21);
    ReplyLog log(instrument);
    const BlockMap initial = instrument.snapshot();
    struct Pick {
        unsigned char msb, lsb;
        int bankIndex;
        unsigned char program;
    };
    // PRE2, USER2 and GM on a family with six preset and two user banks.
    for (const Pick& pick : {Pick{0x3F, 0x01, 1, 5}, Pick{0x3F, 0x09, 7, 127}, Pick{0, 0, 8, 64}}) {
        SCOPED_TRACE(pick.bankIndex);
        instrument.receive(parameterChange(instrument, 0x0A0001, {0x00}));
        instrument.receive(Bytes{0xB0, 0x00, pick.msb});
        instrument.receive(Bytes{0xB0, 0x20, pick.lsb});
        instrument.receive(Bytes{0xC0, pick.program});
        const BlockMap stored = instrument.storedVoice(pick.bankIndex, pick.program);
        ASSERT_EQ(stored.size(), 4u);
        for (const auto& [address, bytes] : stored) {
            EXPECT_EQ(instrument.block(address).value(), bytes);
        }
        // What the next voice dump sends is the selected voice.
        instrument.receive(dumpRequest(instrument, 0x0E0F00));
        const std::vector<Bytes> replies = log.take();
        ASSERT_EQ(replies.size(), 6u);
        EXPECT_EQ(blockData(replies[1], 2), stored.at(0x407000));
    }
    EXPECT_NE(instrument.block(0x407000), initial.at(0x407000));
    EXPECT_EQ(instrument.block(0x300000), initial.at(0x300000));
    EXPECT_EQ(instrument.ignored().total(), 0);
}

TEST(VirtualInstrumentSelection, PerformanceModeLoadsUserPerformance) {
    VirtualInstrument instrument(model("S90"), 21);
    const BlockMap initial = instrument.snapshot();
    instrument.receive(parameterChange(instrument, 0x0A0001, {0x01}));
    instrument.receive(Bytes{0xB0, 0x00, 0x3F});
    instrument.receive(Bytes{0xB0, 0x20, 0x40});
    instrument.receive(Bytes{0xC0, 0x07});
    const BlockMap stored = instrument.userPerformance(7);
    ASSERT_EQ(stored.size(), 8u);
    for (const auto& [address, bytes] : stored) {
        EXPECT_EQ(instrument.block(address).value(), bytes);
    }
    EXPECT_NE(stored.at(0x300000), initial.at(0x300000));
    EXPECT_EQ(instrument.block(0x407000).value(), initial.at(0x407000));
    EXPECT_EQ(instrument.ignored().total(), 0);
}

TEST(VirtualInstrumentSelection, ProgramChangesThatSelectNothingAreIgnored) {
    VirtualInstrument instrument(model("Motif 7"), 21);
    const BlockMap initial = instrument.snapshot();
    auto select = [&instrument](unsigned char mode, unsigned char msb, unsigned char lsb,
                                unsigned char status) {
        instrument.receive(parameterChange(instrument, 0x0A0001, {mode}));
        instrument.receive(Bytes{0xB0, 0x00, msb});
        instrument.receive(Bytes{0xB0, 0x20, lsb});
        instrument.receive(Bytes{status, 0x05});
    };
    select(0, 0x3F, 0x03, 0xC0);  // PRE4 does not exist on this family
    select(0, 0x3F, 0x40, 0xC0);  // the performance bank holds no voices
    select(1, 0x3F, 0x00, 0xC0);  // performances only in 3F/40
    select(3, 0x3F, 0x40, 0xC0);  // song mode selects no performance
    select(0, 0x3F, 0x01, 0xC1);  // MIDI channel 2
    BlockMap now = instrument.snapshot();
    now.at(0x0A0001) = initial.at(0x0A0001);
    EXPECT_EQ(now, initial);
    EXPECT_EQ(instrument.ignored().unsupported, 5);
}

TEST(VirtualInstrumentRejects, ForeignMalformedAndUnsupportedMessages) {
    VirtualInstrument motif(model("Motif 7"));
    VirtualInstrument rack(model("Motif Rack"));
    VirtualInstrument es(model("Motif ES7"));
    for (VirtualInstrument* instrument : {&motif, &rack, &es}) {
        SCOPED_TRACE(instrument->model().displayName);
        ReplyLog log(*instrument);
        const BlockMap before = instrument->snapshot();
        // The same request and write in each family's form; only the others' are sent.
        const std::vector<Bytes> everyModel = {
            {0xF0, 0x43, 0x20, 0x6B, 0x0E, 0x0F, 0x00, 0xF7},
            {0xF0, 0x43, 0x20, 0x6F, 0x0E, 0x0F, 0x00, 0xF7},
            {0xF0, 0x43, 0x20, 0x7F, 0x00, 0x0E, 0x0F, 0x00, 0xF7},
            {0xF0, 0x43, 0x10, 0x6B, 0x0A, 0x00, 0x01, 0x01, 0xF7},
            {0xF0, 0x43, 0x10, 0x6F, 0x0A, 0x00, 0x01, 0x01, 0xF7},
            {0xF0, 0x43, 0x10, 0x7F, 0x00, 0x0A, 0x00, 0x01, 0x01, 0xF7},
        };
        for (const Bytes& message : everyModel) {
            if (message[3] != instrument->modelId()[0]) {
                instrument->receive(message);
            }
        }
        EXPECT_EQ(instrument->ignored().otherModelId, 4);

        instrument->receive(Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0xF7});
        instrument->receive(Bytes{0xF0, 0x00, 0x20, 0x33, 0xF7});
        EXPECT_EQ(instrument->ignored().otherManufacturer, 2);

        Bytes unterminated = dumpRequest(*instrument, 0x0E0F00);
        unterminated.pop_back();
        Bytes overlong = dumpRequest(*instrument, 0x0E0F00);
        overlong.insert(overlong.end() - 1, 0x00);
        const std::vector<Bytes> malformed = {
            {},
            {0x40},                                                   // a lone data byte
            {0xB0, 0x00},                                             // short message cut short
            {0xC0, 0x80},                                             // status byte as data
            unterminated,                                             // no F7
            overlong,                                                 // request with data
            parameterChange(*instrument, 0x0A0001, {}),               // no data byte
            parameterChange(*instrument, 0x300000, {1, 2, 3, 4, 5}),  // five data bytes
            parameterChange(*instrument, 0x300000, {0x80}),           // not a 7-bit byte
            {0xF0, 0x43, 0x10, 0xF7},                                 // nothing after the command
        };
        for (const Bytes& message : malformed) {
            instrument->receive(message);
        }
        EXPECT_EQ(instrument->ignored().malformed, 10);

        instrument->receive(dumpRequest(*instrument, 0x0E1F00));     // not an area we dump
        instrument->receive(ownMessage(*instrument, 0x30, {0x00}));  // unknown command
        instrument->receive(Bytes{0x90, 0x3C, 0x40});                // a note
        instrument->receive(Bytes{0xB0, 0x07, 0x64});                // volume
        EXPECT_EQ(instrument->ignored().unsupported, 4);

        EXPECT_TRUE(log.take().empty());
        EXPECT_EQ(instrument->snapshot(), before);
        EXPECT_EQ(instrument->ignored().total(), 20);
    }
}

}  // namespace
}  // namespace tessaline::test
