#include "sim/InstrumentMemory.h"

#include "sim/NameMaker.h"
#include "sim/SimRandom.h"
#include "sim/VoiceBanks.h"

namespace tessaline {

namespace {

constexpr std::size_t kCategoryByte = 12;
constexpr unsigned kPerformanceCommon = 0x300000;
constexpr unsigned kSongMixCommon = 0x360000;
constexpr unsigned kVoiceCommon = 0x407000;

// Fills the blocks of one area with 7-bit bytes; the common block (if `named`) gets a name in
// bytes 0-9 and a category in byte 12.
BlockMap makeArea(InstrumentFamily family, DumpArea area, unsigned namedBlock, SimRandom& random,
                  NameMaker& names) {
    BlockMap blocks;
    for (const BlockSpec& layoutBlock : areaBlocks(family, area)) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(layoutBlock.size));
        for (unsigned char& byte : bytes) {
            byte = random.sevenBit();
        }
        if (layoutBlock.address == namedBlock) {
            const int category = random.below(kCategoryCount);
            const std::string name = names.make(category);
            for (std::size_t i = 0; i < name.size(); ++i) {
                bytes[i] = static_cast<unsigned char>(name[i]);
            }
            bytes[kCategoryByte] = static_cast<unsigned char>(category);
        }
        blocks.emplace(layoutBlock.address, std::move(bytes));
    }
    return blocks;
}

// Copies the blocks of `source` over the same addresses of `target`.
void copyInto(BlockMap& target, const BlockMap& source) {
    for (const auto& [address, bytes] : source) {
        target[address] = bytes;
    }
}

}  // namespace

InstrumentMemory::InstrumentMemory(InstrumentFamily family, std::uint64_t seed) : family_(family) {
    SimRandom random(seed);
    NameMaker names(random);
    const std::size_t bankCount = voiceBanks(family).size();
    banks_.resize(bankCount);
    for (std::vector<BlockMap>& bank : banks_) {
        for (int program = 0; program < kProgramsPerBank; ++program) {
            bank.push_back(makeArea(family, DumpArea::Voice, kVoiceCommon, random, names));
        }
    }
    if (familyMemory(family).hasPerformances) {
        for (int program = 0; program < kProgramsPerBank; ++program) {
            performances_.push_back(
                makeArea(family, DumpArea::Performance, kPerformanceCommon, random, names));
        }
    }
    // Edit buffers start out holding PRE1:A01, USER:A01 and a song mix of their own.
    for (const BlockSpec& layoutBlock : addressableBlocks(family)) {
        edit_[layoutBlock.address].assign(static_cast<std::size_t>(layoutBlock.size), 0);
    }
    copyInto(edit_, makeArea(family, DumpArea::SongMix, kSongMixCommon, random, names));
    loadVoice(0, 0);
    loadPerformance(0);
}

const std::vector<unsigned char>* InstrumentMemory::block(unsigned base) const {
    auto it = edit_.find(base);
    return it == edit_.end() ? nullptr : &it->second;
}

namespace {

// The block that holds `address`, or end(): the last block starting at or below it, if the
// address lies within its size.
template <typename Map>
auto blockHolding(Map& blocks, unsigned address) {
    auto it = blocks.upper_bound(address);
    if (it == blocks.begin()) {
        return blocks.end();
    }
    --it;
    return address - it->first < it->second.size() ? it : blocks.end();
}

}  // namespace

bool InstrumentMemory::writeByte(unsigned address, unsigned char value) {
    auto it = blockHolding(edit_, address);
    if (it == edit_.end()) {
        return false;
    }
    it->second[address - it->first] = value;
    return true;
}

bool InstrumentMemory::holds(unsigned address) const {
    return blockHolding(edit_, address) != edit_.end();
}

bool InstrumentMemory::writeDumpBlock(unsigned base, const std::vector<unsigned char>& data) {
    for (DumpArea area : {DumpArea::Voice, DumpArea::Performance, DumpArea::SongMix}) {
        for (const BlockSpec& layoutBlock : areaBlocks(family_, area)) {
            if (layoutBlock.address == base) {
                if (data.size() != static_cast<std::size_t>(layoutBlock.size)) {
                    return false;
                }
                edit_.at(base) = data;
                return true;
            }
        }
    }
    return false;
}

std::vector<std::pair<unsigned, std::vector<unsigned char>>> InstrumentMemory::dumpBlocks(
    DumpArea area) const {
    std::vector<std::pair<unsigned, std::vector<unsigned char>>> blocks;
    for (const BlockSpec& layoutBlock : areaBlocks(family_, area)) {
        blocks.emplace_back(layoutBlock.address, edit_.at(layoutBlock.address));
    }
    return blocks;
}

BlockMap InstrumentMemory::storedVoice(int bankIndex, int program) const {
    if (bankIndex < 0 || bankIndex >= bankCount() || program < 0 || program >= kProgramsPerBank) {
        return {};
    }
    return banks_[static_cast<std::size_t>(bankIndex)][static_cast<std::size_t>(program)];
}

BlockMap InstrumentMemory::userPerformance(int program) const {
    if (program < 0 || program >= static_cast<int>(performances_.size())) {
        return {};
    }
    return performances_[static_cast<std::size_t>(program)];
}

bool InstrumentMemory::loadVoice(int bankIndex, int program) {
    const BlockMap voice = storedVoice(bankIndex, program);
    if (voice.empty()) {
        return false;
    }
    copyInto(edit_, voice);
    return true;
}

bool InstrumentMemory::loadPerformance(int program) {
    const BlockMap performance = userPerformance(program);
    if (performance.empty()) {
        return false;
    }
    copyInto(edit_, performance);
    return true;
}

int InstrumentMemory::mode() const {
    return edit_.at(kModeParameterAddress)[0];
}

}  // namespace tessaline
