#include <gtest/gtest.h>

#include <functional>

#include "synth/DestinationDumpFile.h"
#include "tests/synth/SynthRig.h"

namespace tessaline {
namespace {

using test::bulkBlock;
using test::Bytes;
using test::pattern;

const Bytes kEsId{0x7F, 0x00};
const Bytes kMotifId{0x6B};

const ModelInfo& model(const char* name) {
    return *findModelByName(name);
}

std::vector<Bytes> performanceDump(const Bytes& id, int commonSize) {
    return {bulkBlock(id, 0x0E4F00, {}), bulkBlock(id, 0x300000, pattern(commonSize)),
            bulkBlock(id, 0x310200, pattern(64, 9)), bulkBlock(id, 0x0F4F00, {})};
}

Bytes joined(const std::vector<Bytes>& messages) {
    Bytes bytes;
    for (const Bytes& message : messages) {
        bytes.insert(bytes.end(), message.begin(), message.end());
    }
    return bytes;
}

TEST(DestinationDumpFile, TakesAWholeDumpMessageForMessage) {
    const std::vector<Bytes> messages = performanceDump(kEsId, 101);
    const DumpFileResult result = parseDestinationDump(joined(messages), model("Motif ES7"));
    ASSERT_TRUE(result.dump) << result.error;
    EXPECT_EQ(result.dump->kind, DestinationKind::Performance);
    EXPECT_EQ(result.dump->messages, messages);
    const std::vector<ReceivedBlock> blocks{{0x300000, pattern(101)}, {0x310200, pattern(64, 9)}};
    EXPECT_EQ(result.dump->blocks, blocks);

    const std::vector<Bytes> mix{bulkBlock(kMotifId, 0x0E5F00, {}),
                                 bulkBlock(kMotifId, 0x370F00, pattern(64)),
                                 bulkBlock(kMotifId, 0x0F5F00, {})};
    const DumpFileResult mixResult = parseDestinationDump(joined(mix), model("Motif 7"));
    ASSERT_TRUE(mixResult.dump) << mixResult.error;
    EXPECT_EQ(mixResult.dump->kind, DestinationKind::SongMix);
}

struct Refusal {
    const char* name;
    const char* model;
    std::function<Bytes()> bytes;
    const char* reason;
};

// A Motif ES7 performance dump, changed in one place.
Bytes esDumpWith(const std::function<void(std::vector<Bytes>&)>& change) {
    std::vector<Bytes> messages = performanceDump(kEsId, 101);
    change(messages);
    return joined(messages);
}

const Refusal kRefusals[] = {
    {"AnotherModel", "Motif ES7", [] { return joined(performanceDump(kMotifId, 88)); },
     "Message 1 carries model ID 6B, not the Motif ES7's 7F 00."},
    {"BadChecksum", "Motif ES7", [] { return esDumpWith([](auto& m) { m[1][20] ^= 0x01; }); },
     "Message 2 has a bad checksum."},
    {"ByteCountDisagrees", "Motif ES7",
     [] {
         return esDumpWith([](auto& m) {
             m[2] = bulkBlock(kEsId, 0x310200, pattern(64));
             m[2][6] = 63;  // the count says one byte less; the sum then fails too, so fix it
             m[2][m[2].size() - 2] = (m[2][m[2].size() - 2] + 1) & 0x7F;
         });
     },
     "Message 3 says it holds 63 data bytes but holds 64."},
    {"StrayByteBetween", "Motif ES7",
     [] { return esDumpWith([](auto& m) { m[1].push_back(0x00); }); },
     "Byte 126 (00) lies outside any System Exclusive message."},
    {"TopBitInside", "Motif ES7", [] { return esDumpWith([](auto& m) { m[1][30] = 0x90; }); },
     "Message 2 holds a byte with its top bit set (90 at byte 43)."},
    {"NoEnd", "Motif ES7", [] { return esDumpWith([](auto& m) { m[3].pop_back(); }); },
     "Message 4 has no end (F7)."},
    {"VoiceDump", "Motif 7",
     [] {
         return joined({bulkBlock(kMotifId, 0x0E0F00, {}),
                        bulkBlock(kMotifId, 0x407000, pattern(66)),
                        bulkBlock(kMotifId, 0x0F0F00, {})});
     },
     "The file is a voice dump, not a performance or song mix."},
    {"BlockOutsideTheDump", "Motif ES7",
     [] { return esDumpWith([](auto& m) { m[2] = bulkBlock(kEsId, 0x370000, pattern(64)); }); },
     "Message 3 (address 37 00 00, 64 bytes) lies outside a performance dump."},
    {"NoFooter", "Motif ES7", [] { return esDumpWith([](auto& m) { m.pop_back(); }); },
     "The file does not end with the footer of its dump (0F 4F 00)."},
    {"SongMixOfTheS90", "S90",
     [] {
         return joined({bulkBlock(kMotifId, 0x0E5F00, {}),
                        bulkBlock(kMotifId, 0x360000, pattern(88)),
                        bulkBlock(kMotifId, 0x0F5F00, {})});
     },
     "The file holds a song mix, which the S90 does not have."},
    {"OverOneMiB", "Motif ES7", [] { return Bytes(kMaxDumpFileBytes + 1, 0xF0); },
     "The file is larger than 1 MiB."},
};

class DestinationDumpRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(DestinationDumpRefusal, SaysWhy) {
    const DumpFileResult result = parseDestinationDump(GetParam().bytes(), model(GetParam().model));
    EXPECT_FALSE(result.dump);
    EXPECT_EQ(result.error, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Files, DestinationDumpRefusal, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<Refusal>& param) {
                             return param.param.name;
                         });

}  // namespace
}  // namespace tessaline
