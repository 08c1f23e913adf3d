#include "sim/MemoryLayout.h"

namespace tessaline {

namespace {

// What tells the areas apart: the mid byte of their dump request, and for the two multi-part
// areas the common base and the number of parts.
struct AreaInfo {
    DumpArea area;
    unsigned requestMid;
    unsigned commonBase;
    int parts;
};

constexpr AreaInfo kAreas[] = {
    {DumpArea::Voice, 0x0F, 0, 0},
    {DumpArea::Performance, 0x4F, 0x300000, 4},
    {DumpArea::SongMix, 0x5F, 0x360000, 16},
};

const AreaInfo& infoOf(DumpArea area) {
    for (const AreaInfo& info : kAreas) {
        if (info.area == area) {
            return info;
        }
    }
    return kAreas[0];
}

// Voice blocks in dump order; their sizes come from the family's memory in the same order.
constexpr unsigned kVoiceBlockAddresses[] = {0x407000, 0x400000, 0x400100, 0x400200};

bool familyHas(const FamilyMemory& memory, DumpArea area) {
    switch (area) {
        case DumpArea::Voice:
            return true;
        case DumpArea::Performance:
            return memory.hasPerformances;
        case DumpArea::SongMix:
            return memory.hasSongMix;
    }
    return false;
}

}  // namespace

std::vector<BlockSpec> areaBlocks(InstrumentFamily family, DumpArea area) {
    const FamilyMemory& memory = familyMemory(family);
    std::vector<BlockSpec> blocks;
    if (!familyHas(memory, area)) {
        return blocks;
    }
    if (area == DumpArea::Voice) {
        for (std::size_t i = 0; i < memory.voiceBlockSizes.size(); ++i) {
            blocks.push_back({kVoiceBlockAddresses[i], memory.voiceBlockSizes[i]});
        }
        return blocks;
    }
    // Common, the two system-effect blocks, the fixed block, parts.
    const AreaInfo& info = infoOf(area);
    blocks.push_back({info.commonBase, memory.commonSize});
    blocks.push_back({info.commonBase + 0x100, memory.effectBlockSizes[0]});
    blocks.push_back({info.commonBase + 0x200, memory.effectBlockSizes[1]});
    blocks.push_back({info.commonBase + 0x1000, kFixedBlockSize});
    for (int part = 0; part < info.parts; ++part) {
        blocks.push_back(
            {info.commonBase + 0x10000 + static_cast<unsigned>(part) * 0x100, kPartBlockSize});
    }
    return blocks;
}

std::vector<BlockSpec> addressableBlocks(InstrumentFamily family) {
    std::vector<BlockSpec> blocks{{kModeParameterAddress, 1}};
    for (const AreaInfo& info : kAreas) {
        for (const BlockSpec& layoutBlock : areaBlocks(family, info.area)) {
            blocks.push_back(layoutBlock);
        }
    }
    return blocks;
}

std::optional<DumpArea> areaForDumpRequest(InstrumentFamily family, unsigned address) {
    for (const AreaInfo& info : kAreas) {
        if (address == dumpHeaderAddress(info.area) && familyHas(familyMemory(family), info.area)) {
            return info.area;
        }
    }
    return std::nullopt;
}

std::optional<DumpArea> areaForDumpMarker(InstrumentFamily family, unsigned address) {
    for (const AreaInfo& info : kAreas) {
        if ((address == dumpHeaderAddress(info.area) || address == dumpFooterAddress(info.area)) &&
            familyHas(familyMemory(family), info.area)) {
            return info.area;
        }
    }
    return std::nullopt;
}

unsigned dumpHeaderAddress(DumpArea area) {
    return 0x0E0000 | (infoOf(area).requestMid << 8);
}

unsigned dumpFooterAddress(DumpArea area) {
    return 0x0F0000 | (infoOf(area).requestMid << 8);
}

}  // namespace tessaline
