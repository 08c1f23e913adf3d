#include <gtest/gtest.h>

#include <numeric>

#include "midi/MidiPort.h"
#include "sim/IncomingFaults.h"
#include "sim/VirtualInstrument.h"
#include "tests/sim/SimTestSupport.h"
#include "tests/support/Fakes.h"

namespace tessaline::test {
namespace {

const Bytes kIdentityRequest{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

bool checksumValid(const Bytes& block) {
    return MidiPort::isBulkChecksumValid(block.data(), static_cast<int>(block.size())) == 1;
}

class VirtualInstrumentFaults : public ::testing::Test {
  protected:
    VirtualInstrument instrument{model("Motif 7"), 4};
    ReplyLog log{instrument};
    std::vector<Bytes> voiceDump() {
        instrument.receive(dumpRequest(instrument, 0x0E0F00));
        return log.take();
    }
};

TEST_F(VirtualInstrumentFaults, SilentSendsNothingButStillTakesWrites) {
    instrument.setSilent(true);
    instrument.receive(kIdentityRequest);
    EXPECT_TRUE(voiceDump().empty());
    instrument.receive(parameterChange(instrument, 0x300000, {0x41}));
    EXPECT_EQ(instrument.block(0x300000).value()[0], 0x41);

    instrument.setSilent(false);
    instrument.receive(kIdentityRequest);
    EXPECT_EQ(log.take(), std::vector<Bytes>{instrument.identityReply()});
}

TEST_F(VirtualInstrumentFaults, CorruptsTheChecksumOfTheNextDataBlocksOnly) {
    instrument.corruptNextBlocks(2);
    const std::vector<Bytes> first = voiceDump();
    ASSERT_EQ(first.size(), 6u);
    const std::vector<bool> valid = {true, false, false, true, true, true};
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(checksumValid(first[i]), valid[i]) << "block " << i;
    }
    // Only the checksum differs: same length, same data.
    EXPECT_EQ(blockData(first[1], 1), instrument.block(0x407000).value());

    for (const Bytes& block : voiceDump()) {
        EXPECT_TRUE(checksumValid(block));
    }
}

TEST_F(VirtualInstrumentFaults, TruncatesTheNextDataBlocksToHalfTheirData) {
    instrument.truncateNextBlocks(1);
    const std::vector<Bytes> replies = voiceDump();
    ASSERT_EQ(replies.size(), 6u);
    const Bytes& cut = replies[1];
    ASSERT_EQ(cut.size(), 9u + 33u + 2u);
    EXPECT_EQ(cut[5], 66);  // the byte count still claims the whole block
    const Bytes common = instrument.block(0x407000).value();
    EXPECT_EQ(Bytes(cut.begin() + 9, cut.end() - 2), Bytes(common.begin(), common.begin() + 33));
    EXPECT_EQ(cut.back(), 0xF7);
    EXPECT_TRUE(checksumValid(cut));
    EXPECT_EQ(replies[2].size(), 9u + 15u + 2u);
    EXPECT_EQ(replies[0].size(), 11u);
}

TEST_F(VirtualInstrumentFaults, GarbageGoesOnceAheadOfTheNextReplies) {
    instrument.sendGarbageBeforeNextReplies();
    instrument.receive(parameterChange(instrument, 0x300000, {0x41}));  // no replies, no garbage
    EXPECT_TRUE(log.take().empty());

    instrument.receive(kIdentityRequest);
    std::vector<Bytes> replies = log.take();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0][0], 0xF0);
    EXPECT_NE(replies[0][1], 0x43);
    EXPECT_NE(replies[0][1], 0x7E);
    EXPECT_EQ(replies[1], instrument.identityReply());

    instrument.receive(kIdentityRequest);
    EXPECT_EQ(log.take().size(), 1u);

    const Bytes chosen{0xF0, 0x43, 0x00, 0x6B, 0x01};
    instrument.sendGarbageBeforeNextReplies(chosen);
    replies = voiceDump();
    ASSERT_EQ(replies.size(), 7u);
    EXPECT_EQ(replies[0], chosen);
}

// Lost parameter changes: the n-th from now, or those to one address, once or for good; each
// counted as dropped, every other write taken as usual.
TEST_F(VirtualInstrumentFaults, DropsOnlyTheChosenParameterChanges) {
    auto write = [&](unsigned address, unsigned char value) {
        instrument.receive(parameterChange(instrument, address, {value}));
        return instrument.block(address & 0xFFFF00).value()[address & 0xFF] == value;
    };
    const Bytes zeros(8, 0x00);
    ASSERT_TRUE(instrument.writeMemory(0x300000, zeros));
    ASSERT_TRUE(instrument.writeMemory(0x310000, zeros));
    instrument.dropNthParameterChange(2);
    EXPECT_TRUE(write(0x300001, 0x11));
    EXPECT_FALSE(write(0x300002, 0x12));
    EXPECT_TRUE(write(0x300002, 0x13));

    instrument.dropParameterChangesTo(0x310005, 1);
    EXPECT_TRUE(write(0x310004, 0x21));
    EXPECT_FALSE(write(0x310005, 0x22));
    EXPECT_TRUE(write(0x310005, 0x23));

    // Each address keeps its own count.
    instrument.dropParameterChangesTo(0x310006, -1);
    instrument.dropParameterChangesTo(0x310007, 1);
    EXPECT_FALSE(write(0x310007, 0x24));
    EXPECT_FALSE(write(0x310006, 0x31));
    EXPECT_FALSE(write(0x310006, 0x32));
    EXPECT_TRUE(write(0x310007, 0x25));
    EXPECT_EQ(instrument.ignored().dropped, 5);
    EXPECT_EQ(instrument.ignored().total(), 5);

    instrument.clearFaults();
    EXPECT_TRUE(write(0x310006, 0x33));
    // However many a user arms, the table stays bounded.
    for (unsigned i = 0; i < IncomingFaults::kMaxAddresses; ++i) {
        ASSERT_TRUE(instrument.dropParameterChangesTo(0x300000 + i));
    }
    EXPECT_FALSE(instrument.dropParameterChangesTo(0x310000));
    EXPECT_TRUE(write(0x310000, 0x34));
}

// A frozen instrument takes nothing in: the first messages wait, as far as the transport holds
// them, the rest are lost. Once the time is over, what waited is taken in, in order, and
// answered.
TEST(VirtualInstrumentFreeze, HoldsWhatFitsLosesTheRestAndResumesInOrder) {
    VirtualInstrument instrument(model("Motif ES6"), 9);
    RecordingClock clock;
    instrument.setClock(&clock);
    ReplyLog log(instrument);
    const Bytes first = parameterChange(instrument, 0x310000, {0x11});
    const Bytes request = dumpRequest(instrument, 0x0E4F00);
    const Bytes second = parameterChange(instrument, 0x310000, {0x22});
    const BlockMap before = instrument.snapshot();

    instrument.freezeInput(1500, first.size() + request.size());
    instrument.receive(first);
    instrument.receive(request);
    instrument.receive(second);  // no room left: lost
    clock.advanceUs(1000 * 1000);
    instrument.receive(second);  // lost as well
    EXPECT_EQ(instrument.thawIfDue(), 500);
    EXPECT_EQ(instrument.snapshot(), before);
    EXPECT_TRUE(log.take().empty());
    EXPECT_EQ(instrument.ignored().lostWhileFrozen, 2);

    clock.advanceUs(500 * 1000);
    EXPECT_EQ(instrument.thawIfDue(), 0);
    EXPECT_EQ(instrument.block(0x310000).value()[0], 0x11);
    const std::vector<Bytes> replies = log.take();
    ASSERT_EQ(replies.size(), 10u);  // the performance dump: header, 8 blocks, footer
    EXPECT_EQ(blockData(replies[5], 2)[0], 0x11);

    // After a freeze the next message is taken at once, and one that waited goes ahead of it.
    instrument.receive(second);
    EXPECT_EQ(instrument.block(0x310000).value()[0], 0x22);
    instrument.freezeInput(10);
    instrument.receive(first);
    clock.advanceUs(10 * 1000);
    instrument.receive(second);
    EXPECT_EQ(instrument.block(0x310000).value()[0], 0x22);
    EXPECT_EQ(instrument.ignored().total(), 2);
    EXPECT_EQ(instrument.receivedCount(), 7);
}

TEST_F(VirtualInstrumentFaults, ClearFaultsDisarmsEverything) {
    instrument.setSilent(true);
    instrument.corruptNextBlocks(3);
    instrument.truncateNextBlocks(3);
    instrument.sendGarbageBeforeNextReplies();
    instrument.freezeInput(60000);
    instrument.clearFaults();
    const std::vector<Bytes> replies = voiceDump();
    ASSERT_EQ(replies.size(), 6u);
    for (const Bytes& block : replies) {
        EXPECT_TRUE(checksumValid(block));
    }
    EXPECT_EQ(replies[1].size(), 77u);
}

TEST(VirtualInstrumentTiming, DelayWaitsOnceBeforeEachBatchOfReplies) {
    VirtualInstrument instrument(model("Motif Rack"));
    RecordingClock clock;
    instrument.setClock(&clock);
    ReplyLog log(instrument);
    instrument.setReplyDelayMs(250);
    instrument.receive(kIdentityRequest);
    instrument.receive(parameterChange(instrument, 0x360000, {0x41}));
    instrument.receive(dumpRequest(instrument, 0x0E0F00));
    EXPECT_EQ(clock.waits(), (std::vector<int>{250, 250}));
    EXPECT_EQ(log.take().size(), 7u);
}

TEST(VirtualInstrumentTiming, WirePacingTakesThreeHundredTwentyMicrosecondsAByte) {
    VirtualInstrument instrument(model("S90"));
    RecordingClock clock;
    instrument.setClock(&clock);
    ReplyLog log(instrument);
    instrument.receive(kIdentityRequest);
    EXPECT_TRUE(clock.waits().empty());  // off by default

    instrument.setWirePacing(true);
    instrument.receive(dumpRequest(instrument, 0x0E0F00));
    log.take();
    // 11 + 77 + 26 + 35 + 36 + 11 = 196 bytes at 3125 bytes a second: 62.72 ms.
    const std::vector<int> waits = clock.waits();
    ASSERT_EQ(waits.size(), 6u);
    EXPECT_EQ(waits[0], 3);   // 11 bytes: 3.52 ms, the rest carried
    EXPECT_EQ(waits[1], 25);  // 77 bytes: 24.64 + 0.52
    EXPECT_EQ(std::accumulate(waits.begin(), waits.end(), 0), 62);
}

TEST(VirtualInstrumentContent, SameSeedSameMemoryOtherSeedOtherMemory) {
    for (const char* name : {"S90", "Motif ES7"}) {
        SCOPED_TRACE(name);
        VirtualInstrument a(model(name), 42);
        VirtualInstrument b(model(name), 42);
        VirtualInstrument c(model(name), 43);
        EXPECT_EQ(a.snapshot(), b.snapshot());
        EXPECT_NE(a.snapshot(), c.snapshot());
        for (int bank = 0; bank < static_cast<int>(a.banks().size()); ++bank) {
            EXPECT_EQ(a.storedVoice(bank, 77), b.storedVoice(bank, 77));
            EXPECT_NE(a.storedVoice(bank, 77), c.storedVoice(bank, 77));
        }
        EXPECT_EQ(a.userPerformance(100), b.userPerformance(100));
        EXPECT_NE(a.userPerformance(100), c.userPerformance(100));
    }
}

bool plausibleName(const Bytes& common) {
    bool letter = false;
    for (std::size_t i = 0; i < 10; ++i) {
        const unsigned char c = common[i];
        if (!std::isalnum(c) && c != ' ') {
            return false;
        }
        letter = letter || std::isalpha(c);
    }
    return letter && common[0] != ' ';
}

TEST(VirtualInstrumentContent, VoicesAndPerformancesHaveNamesCategoriesAndSevenBitBytes) {
    for (const char* name : {"Motif 8", "Motif ES8"}) {
        SCOPED_TRACE(name);
        VirtualInstrument instrument(model(name), 8);
        std::set<std::string> names;
        std::set<int> categories;
        auto check = [&](const BlockMap& blocks, unsigned common) {
            ASSERT_TRUE(blocks.count(common));
            const Bytes& bytes = blocks.at(common);
            EXPECT_TRUE(plausibleName(bytes)) << std::string(bytes.begin(), bytes.begin() + 10);
            EXPECT_TRUE(names.insert(std::string(bytes.begin(), bytes.begin() + 10)).second)
                << "repeated name " << std::string(bytes.begin(), bytes.begin() + 10);
            EXPECT_LE(bytes[12], 16);
            categories.insert(bytes[12]);
            for (const auto& [address, data] : blocks) {
                for (unsigned char byte : data) {
                    ASSERT_LT(byte, 0x80) << "block " << address;
                }
            }
        };
        const int banks = static_cast<int>(instrument.banks().size());
        for (int bank = 0; bank < banks; ++bank) {
            for (int program = 0; program < 128; ++program) {
                check(instrument.storedVoice(bank, program), 0x407000);
            }
        }
        for (int program = 0; program < 128; ++program) {
            check(instrument.userPerformance(program), 0x300000);
        }
        EXPECT_EQ(names.size(), static_cast<std::size_t>(banks + 1) * 128u);
        EXPECT_EQ(categories.size(), 17u);
        for (const auto& [address, data] : instrument.snapshot()) {
            for (unsigned char byte : data) {
                ASSERT_LT(byte, 0x80) << "block " << address;
            }
        }
        EXPECT_TRUE(instrument.storedVoice(banks, 0).empty());
        EXPECT_TRUE(instrument.storedVoice(0, 128).empty());
        EXPECT_TRUE(instrument.userPerformance(-1).empty());
    }
}

TEST(VirtualInstrumentContent, StartsInVoiceModeWithTheFirstVoiceAndPerformance) {
    VirtualInstrument instrument(model("Motif ES6"), 12);
    EXPECT_EQ(instrument.mode(), 0);
    for (const auto& [address, bytes] : instrument.storedVoice(0, 0)) {
        EXPECT_EQ(instrument.block(address).value(), bytes);
    }
    for (const auto& [address, bytes] : instrument.userPerformance(0)) {
        EXPECT_EQ(instrument.block(address).value(), bytes);
    }
    EXPECT_FALSE(instrument.block(0x300001).has_value());
}

TEST(VirtualInstrumentContent, DirectWritesAreAllOrNothing) {
    VirtualInstrument instrument(model("Motif 6"), 12);
    const BlockMap before = instrument.snapshot();
    const Bytes tooFar{1, 2, 3};
    EXPECT_FALSE(instrument.writeMemory(0x300056, tooFar));
    EXPECT_EQ(instrument.snapshot(), before);
    const Bytes category{17};
    EXPECT_TRUE(instrument.writeMemory(0x40700C, category));
    EXPECT_EQ(instrument.block(0x407000).value()[12], 17);
}

}  // namespace
}  // namespace tessaline::test
