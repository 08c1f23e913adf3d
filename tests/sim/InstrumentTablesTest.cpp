// The virtual instrument's tables and the program's are written apart, so that a wrong constant
// on one side is not copied by the other. Here they are held against each other.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "sim/BulkBlock.h"
#include "sim/InstrumentModels.h"
#include "synth/BankList.h"
#include "synth/ModelFamily.h"

namespace tessaline::test {
namespace {

using Bytes = std::vector<unsigned char>;

struct FamilyPair {
    ModelFamily program;
    InstrumentFamily instrument;
};

constexpr FamilyPair kFamilies[] = {
    {FamilyS90, InstrumentFamily::S90},
    {FamilyMotif, InstrumentFamily::Motif},
    {FamilyMotifRack, InstrumentFamily::MotifRack},
    {FamilyMotifES, InstrumentFamily::MotifES},
};

InstrumentFamily instrumentFamilyOf(ModelFamily family) {
    for (const FamilyPair& pair : kFamilies) {
        if (pair.program == family) {
            return pair.instrument;
        }
    }
    ADD_FAILURE() << "no instrument family for " << family;
    return InstrumentFamily::S90;
}

Bytes bytesOfText(const char* text) {
    Bytes bytes;
    std::istringstream in(text);
    for (std::string token; in >> token;) {
        bytes.push_back(static_cast<unsigned char>(std::strtoul(token.c_str(), nullptr, 16)));
    }
    return bytes;
}

TEST(InstrumentTables, EveryModelNamesItselfAsTheProgramExpects) {
    EXPECT_EQ(instrumentModels().size(), modelTable().size());
    for (const ModelInfo& row : modelTable()) {
        SCOPED_TRACE(row.displayName);
        const InstrumentModel* model = findInstrumentModel(row.displayName);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->memberCodeLow, row.replyByte8);
        EXPECT_EQ(model->memberCodeHigh, row.replyByte9);
        EXPECT_EQ(Bytes(model->modelId().begin(), model->modelId().end()),
                  bytesOfText(row.modelIdText));
        EXPECT_EQ(model->family, instrumentFamilyOf(row.family));
        // The program reads a block's address and data at fixed offsets of the family.
        const FamilyLayout& layout = familyLayout(row.family);
        const Bytes block = makeBulkBlock(model->modelId(), 0x407000, Bytes{0x2A});
        const auto at = [&block](int offset) { return block.at(static_cast<std::size_t>(offset)); };
        EXPECT_EQ(Bytes({at(layout.addressOffset), at(layout.addressOffset + 1),
                         at(layout.addressOffset + 2)}),
                  (Bytes{0x40, 0x70, 0x00}));
        EXPECT_EQ(at(layout.dataOffset), 0x2A);
    }
}

TEST(InstrumentTables, EveryFamilyHoldsWhatTheProgramExpects) {
    for (const FamilyPair& pair : kFamilies) {
        SCOPED_TRACE(pair.program);
        const FamilyLayout& layout = familyLayout(pair.program);
        const FamilyMemory& memory = familyMemory(pair.instrument);
        EXPECT_EQ(memory.family, pair.instrument);

        std::vector<std::pair<int, std::string>> banks;
        for (const VoiceBank& bank : memory.voiceBanks) {
            banks.emplace_back(bank.msb * 128 + bank.lsb, bank.name);
        }
        std::vector<std::pair<int, std::string>> expected;
        for (const BankEntry& bank : voiceBanksOf(pair.program)) {
            expected.emplace_back(bank.number, bank.name);
        }
        EXPECT_EQ(banks, expected);

        EXPECT_EQ(memory.voiceBlockSizes, layout.voiceBlockSizes);
        EXPECT_EQ(memory.commonSize, layout.performanceCommonSize);
        // A copy with system effects writes the voice's two effect blocks there whole.
        EXPECT_EQ(memory.effectBlockSizes[0], layout.voiceBlockSizes[2]);
        EXPECT_EQ(memory.effectBlockSizes[1], layout.voiceBlockSizes[3]);
        EXPECT_EQ(memory.hasPerformances, layout.offersPerformance);
        EXPECT_EQ(memory.hasSongMix, layout.offersSongMix);
    }
}

}  // namespace
}  // namespace tessaline::test
