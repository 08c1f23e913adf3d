#include <gtest/gtest.h>

#include "tests/synth/SynthRig.h"

namespace tessaline::test {
namespace {

struct ModelCase {
    unsigned char byte8;
    unsigned char byte9;
    const char* name;
    ModelFamily family;
    const char* modelId;
    int banks;
    int voiceSizes[4];
    int performanceSize;
};

void PrintTo(const ModelCase& model, std::ostream* os) {
    *os << model.name;
}

const ModelCase kModelCases[] = {
    {0x05, 0x2A, "S90", FamilyS90, "6B", 5, {66, 15, 24, 25}, 88},
    {0x7C, 0x04, "Motif 6", FamilyMotif, "6B", 5, {66, 15, 24, 25}, 88},
    {0x7D, 0x04, "Motif 7", FamilyMotif, "6B", 5, {66, 15, 24, 25}, 88},
    {0x7E, 0x04, "Motif 8", FamilyMotif, "6B", 5, {66, 15, 24, 25}, 88},
    {0x58, 0x04, "Motif Rack", FamilyMotifRack, "6F", 8, {66, 15, 24, 25}, 88},
    {0x69, 0x05, "Motif ES6", FamilyMotifES, "7F 00", 9, {82, 17, 36, 37}, 101},
    {0x6A, 0x05, "Motif ES7", FamilyMotifES, "7F 00", 9, {82, 17, 36, 37}, 101},
    {0x6B, 0x05, "Motif ES8", FamilyMotifES, "7F 00", 9, {82, 17, 36, 37}, 101},
};

class Identification : public testing::TestWithParam<ModelCase> {};

TEST_P(Identification, ReplyAppliesModelAndNotifiesOnce) {
    const ModelCase& model = GetParam();
    SynthRig rig;
    rig.deliver(identityReply(model.byte8, model.byte9));

    EXPECT_EQ(rig.device.isConnected(), 1);
    EXPECT_EQ(rig.device.deviceName(), model.name);
    EXPECT_EQ(rig.device.family(), model.family);
    EXPECT_EQ(rig.device.modelIdText(), model.modelId);
    EXPECT_EQ(rig.device.bankCount(), model.banks);
    EXPECT_EQ(rig.noticeMessages(), std::vector<unsigned>{WM_SYNTH_IDENTIFIED});
    const VoiceRecord voice = rig.device.voiceSnapshot();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(blockBytes(voice.blocks[i]), Bytes(model.voiceSizes[i], 0)) << "block " << i;
    }
    EXPECT_EQ(rig.device.performanceCommonSnapshot().size(), model.performanceSize);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, Identification, testing::ValuesIn(kModelCases),
                         [](const testing::TestParamInfo<ModelCase>& param) {
                             std::string name = param.param.name;
                             std::erase(name, ' ');
                             return name;
                         });

TEST(IdentificationReplies, OnlyManufacturerAndModelBytesDecide) {
    Bytes otherMaker = identityReply(0x7D, 0x04);
    otherMaker[5] = 0x44;
    Bytes cut = identityReply(0x7D, 0x04);
    cut.resize(9);
    Bytes notUniversal = identityReply(0x7D, 0x04);
    notUniversal[1] = 0x7F;
    for (const Bytes& reply : {otherMaker, cut, identityReply(0x2A, 0x05), notUniversal}) {
        SynthRig rig;
        rig.deliver(reply);
        EXPECT_EQ(rig.device.isConnected(), 0);
        EXPECT_EQ(rig.device.deviceName(), "MIDI Device");
        EXPECT_EQ(rig.device.bankCount(), 0);
        EXPECT_TRUE(rig.noticeMessages().empty());
    }

    SynthRig rig;
    Bytes otherSubIds = identityReply(0x58, 0x04);
    otherSubIds[3] = 0x01;
    otherSubIds[4] = 0x7F;
    rig.deliver(otherSubIds);
    EXPECT_EQ(rig.device.deviceName(), "Motif Rack");
}

TEST(IdentificationAgain, NewModelReplacesLayoutAndDiscardsBlocks) {
    SynthRig rig;
    rig.deliver(identityReply(0x6A, 0x05));
    rig.deliver(bulkBlock({0x7F, 0x00}, 0x400000, pattern(17)));
    ASSERT_EQ(rig.device.voiceBlockCounts()[1], 1u);

    rig.deliver(identityReply(0x7C, 0x04));
    EXPECT_EQ(rig.device.family(), FamilyMotif);
    EXPECT_EQ(rig.device.modelIdText(), "6B");
    EXPECT_EQ(rig.device.bankCount(), 5);
    const VoiceRecord voice = rig.device.voiceSnapshot();
    EXPECT_EQ(voice.blocks[0].size(), 66);
    EXPECT_EQ(blockBytes(voice.blocks[1]), Bytes(15, 0));
    EXPECT_EQ(rig.device.voiceBlockCounts(), (std::array<unsigned, 4>{}));
}

TEST(BankList, PresetsThenUsersThenGm) {
    constexpr int msb = 0x3F * 128;
    SynthRig s90;
    s90.deliver(identityReply(0x05, 0x2A));
    std::vector<std::pair<std::string, int>> banks;
    for (const BankEntry& bank : s90.device.bankList()) {
        banks.emplace_back(bank.name, bank.number);
    }
    EXPECT_EQ(
        banks,
        (std::vector<std::pair<std::string, int>>{
            {"PRE1", msb}, {"PRE2", msb + 1}, {"PRE3", msb + 2}, {"USER1", msb + 8}, {"GM", 0}}));

    SynthRig es;
    es.deliver(identityReply(0x6B, 0x05));
    EXPECT_EQ(es.device.bankAt(5)->name, "PRE6");
    EXPECT_EQ(es.device.bankAt(6)->number, msb + 8);
    EXPECT_EQ(es.device.bankAt(7)->name, "USER2");
    EXPECT_EQ(es.device.bankAt(7)->number, msb + 9);
    EXPECT_EQ(es.device.bankAt(8)->name, "GM");
}

// Block routing, for a one-byte and a two-byte model ID family.
struct FamilyCase {
    const char* name;
    unsigned char byte8;
    unsigned char byte9;
    Bytes modelId;
    int voiceSizes[4];
    int performanceSize;
};

void PrintTo(const FamilyCase& family, std::ostream* os) {
    *os << family.name;
}

class Routing : public testing::TestWithParam<FamilyCase> {
  protected:
    void SetUp() override {
        rig.deliver(identityReply(GetParam().byte8, GetParam().byte9));
        rig.notices.drain();
    }
    Bytes block(int address, const Bytes& data) {
        return bulkBlock(GetParam().modelId, address, data);
    }
    Bytes zeros(int size) { return Bytes(static_cast<std::size_t>(size), 0); }
    SynthRig rig;
};

TEST_P(Routing, BlocksAreStoredByAddressAndOnlyBlockZeroNotifies) {
    const FamilyCase& family = GetParam();
    // Out of order, as the instrument may send them, with a header and a longer block.
    rig.deliver(block(0x0E0F00, {}));
    rig.deliver(block(0x400200, pattern(family.voiceSizes[3], 40)));
    rig.deliver(block(0x407000, pattern(family.voiceSizes[0] + 5, 10)));
    rig.deliver(block(0x400000, pattern(family.voiceSizes[1], 20)));
    rig.deliver(block(0x400100, pattern(family.voiceSizes[2], 30)));
    rig.deliver(block(0x300000, pattern(family.performanceSize, 3)));

    const VoiceRecord voice = rig.device.voiceSnapshot();
    EXPECT_EQ(blockBytes(voice.blocks[0]), pattern(family.voiceSizes[0], 10));
    EXPECT_EQ(blockBytes(voice.blocks[1]), pattern(family.voiceSizes[1], 20));
    EXPECT_EQ(blockBytes(voice.blocks[2]), pattern(family.voiceSizes[2], 30));
    EXPECT_EQ(blockBytes(voice.blocks[3]), pattern(family.voiceSizes[3], 40));
    EXPECT_EQ(blockBytes(rig.device.performanceCommonSnapshot()),
              pattern(family.performanceSize, 3));
    EXPECT_EQ(rig.device.voiceBlockCounts(), (std::array<unsigned, 4>{1, 1, 1, 1}));
    EXPECT_EQ(rig.noticeMessages(),
              (std::vector<unsigned>{WM_VOICE_RECEIVED, WM_PERFORMANCE_RECEIVED}));
}

TEST_P(Routing, MixBlockNotifiesAndStoresNothing) {
    rig.deliver(block(0x360100, pattern(40)));
    EXPECT_EQ(rig.noticeMessages(), std::vector<unsigned>{WM_MIX_RECEIVED});
    EXPECT_EQ(blockBytes(rig.device.performanceCommonSnapshot()),
              zeros(GetParam().performanceSize));
    EXPECT_EQ(rig.device.voiceBlockCounts(), (std::array<unsigned, 4>{}));
}

// The read-back check compares with the whole answer: kept from header to footer, each new dump
// replacing the last, and nothing of a voice dump or of a dump without its own footer.
TEST_P(Routing, DestinationDumpIsKeptFromHeaderToFooter) {
    const FamilyCase& family = GetParam();
    const Bytes common = pattern(family.performanceSize, 3);
    const Bytes part = pattern(64, 7);
    rig.deliver(block(0x0E4F00, {}));
    rig.deliver(block(0x300000, common));
    rig.deliver(block(0x310100, part));
    EXPECT_EQ(rig.device.destinationDumpsCompleted(), 0u);  // no footer yet
    EXPECT_TRUE(rig.device.destinationDumpBlocks().empty());
    rig.deliver(block(0x0F4F00, {}));
    EXPECT_EQ(rig.device.destinationDumpsCompleted(), 1u);
    EXPECT_EQ(rig.device.destinationDumpBlocks(),
              (std::vector<ReceivedBlock>{{0x300000, common}, {0x310100, part}}));
    EXPECT_EQ(rig.noticeMessages(),
              (std::vector<unsigned>{WM_PERFORMANCE_RECEIVED, WM_DESTINATION_DUMP_RECEIVED}));

    // A voice dump, a mix dump closed by the performance footer (an answer come damaged: counted,
    // its blocks not kept), a block outside any dump.
    rig.deliver(block(0x0E0F00, {}));
    rig.deliver(block(0x407000, pattern(family.voiceSizes[0])));
    rig.deliver(block(0x0F0F00, {}));
    rig.deliver(block(0x0E5F00, {}));
    rig.deliver(block(0x370000, part));
    rig.deliver(block(0x0F4F00, {}));
    rig.deliver(block(0x370100, part));
    EXPECT_EQ(rig.device.destinationDumpsCompleted(), 2u);
    EXPECT_EQ(rig.device.destinationDumpBlocks(),
              (std::vector<ReceivedBlock>{{0x300000, common}, {0x310100, part}}));

    // A mix dump replaces the performance; a block whose byte count disagrees is left out.
    Bytes miscounted = block(0x370200, pattern(64));
    miscounted[4 + family.modelId.size()] += 1;                                          // BL
    miscounted[miscounted.size() - 2] = (miscounted[miscounted.size() - 2] - 1) & 0x7F;  // sum
    rig.deliver(block(0x0E5F00, {}));
    rig.deliver(block(0x370000, part));
    rig.deliver(miscounted);
    rig.deliver(block(0x0F5F00, {}));
    EXPECT_EQ(rig.device.destinationDumpsCompleted(), 3u);
    EXPECT_EQ(rig.device.destinationDumpBlocks(), (std::vector<ReceivedBlock>{{0x370000, part}}));
}

TEST_P(Routing, BadChecksumShowsOneBoxAndKeepsTheOldBlock) {
    const int size = GetParam().voiceSizes[0];
    rig.deliver(block(0x407000, pattern(size, 1)));
    rig.notices.drain();
    Bytes corrupt = block(0x407000, pattern(size, 50));
    corrupt[corrupt.size() - 5] ^= 0x01;
    rig.deliver(corrupt);

    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Bulk Receive Error");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_TRUE(boxes[0].handedOver);
    EXPECT_EQ(blockBytes(rig.device.voiceSnapshot().blocks[0]), pattern(size, 1));
    EXPECT_TRUE(rig.noticeMessages().empty());
}

// The 7-bit sum cannot see a top bit, so such a block passes the checksum; stored, a later
// copy would send it inside a parameter change as a status byte.
TEST_P(Routing, ByteWithTopBitSetIsAReceiveErrorDespiteAGoodSum) {
    const int size = GetParam().voiceSizes[0];
    Bytes data = pattern(size, 50);
    data[3] |= 0x80;
    const Bytes block8 = block(0x407000, data);
    ASSERT_EQ(MidiPort::isBulkChecksumValid(block8.data(), static_cast<int>(block8.size())), 1);
    rig.deliver(block8);

    const auto boxes = rig.boxes.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Bulk Receive Error");
    EXPECT_EQ(blockBytes(rig.device.voiceSnapshot().blocks[0]), zeros(size));
    EXPECT_TRUE(rig.noticeMessages().empty());
}

TEST_P(Routing, ShortOrForeignMessagesChangeNothingAndStaySilent) {
    const FamilyCase& family = GetParam();
    Bytes otherMaker = block(0x407000, pattern(family.voiceSizes[0]));
    otherMaker[1] = 0x41;
    Bytes cutAfterAddress = block(0x400200, pattern(family.voiceSizes[3]));
    cutAfterAddress.resize(cutAfterAddress.size() - static_cast<std::size_t>(family.voiceSizes[3]) -
                           2);
    // Well formed with a correct checksum, but one data byte short of the block.
    for (const Bytes& message :
         {block(0x407000, pattern(family.voiceSizes[0] - 1)),
          block(0x300000, pattern(family.performanceSize - 1)), cutAfterAddress, otherMaker,
          Bytes{}, Bytes{0xF0}, Bytes{0xF0, 0x43}, Bytes{0xF0, 0x43, 0x00}}) {
        rig.deliver(message);
    }
    EXPECT_EQ(blockBytes(rig.device.voiceSnapshot().blocks[0]), zeros(family.voiceSizes[0]));
    EXPECT_EQ(blockBytes(rig.device.performanceCommonSnapshot()), zeros(family.performanceSize));
    EXPECT_EQ(rig.device.voiceBlockCounts(), (std::array<unsigned, 4>{}));
    EXPECT_TRUE(rig.noticeMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    OneAndTwoByteModelIds, Routing,
    testing::Values(FamilyCase{"Motif8", 0x7E, 0x04, {0x6B}, {66, 15, 24, 25}, 88},
                    FamilyCase{"MotifES6", 0x69, 0x05, {0x7F, 0x00}, {82, 17, 36, 37}, 101}),
    [](const testing::TestParamInfo<FamilyCase>& param) { return param.param.name; });

TEST(RoutingBeforeIdentification, OnlyTheMixNoticeGetsThrough) {
    SynthRig rig;
    rig.deliver(bulkBlock({0x6B}, 0x407000, pattern(66)));
    rig.deliver(bulkBlock({0x6B}, 0x300000, pattern(88)));
    rig.deliver(bulkBlock({0x6B}, 0x360100, pattern(10)));
    EXPECT_EQ(rig.noticeMessages(), std::vector<unsigned>{WM_MIX_RECEIVED});
    EXPECT_EQ(rig.device.formatPerformanceLine(0, 0), " USER:001(A01) --:");
}

}  // namespace
}  // namespace tessaline::test
