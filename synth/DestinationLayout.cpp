#include "synth/DestinationLayout.h"

#include "synth/SynthDevice.h"

namespace tessaline {

namespace {

constexpr int kEffectOffsets[] = {0x100, 0x200};
constexpr int kFixedOffset = 0x1000;
constexpr int kFixedSize = 20;
constexpr int kFirstPartOffset = 0x10000;
constexpr int kPartStride = 0x100;
constexpr int kPartSize = 64;
constexpr int kPerformanceParts = 4;
constexpr int kMixParts = 16;

}  // namespace

std::vector<BlockSpan> destinationBlocks(ModelFamily family, int mode) {
    const FamilyLayout& layout = familyLayout(family);
    const bool performance = mode == kModePerformance;
    if (performance ? !layout.offersPerformance : !layout.offersSongMix) {
        return {};
    }
    const int common = performance ? kPerformanceCommonAddress : kMixCommonAddress;
    // The destination's effect blocks are the voice's, written there whole by a copy.
    std::vector<BlockSpan> blocks{
        {common, layout.performanceCommonSize},
        {common + kEffectOffsets[0], layout.voiceBlockSizes[2]},
        {common + kEffectOffsets[1], layout.voiceBlockSizes[3]},
        {common + kFixedOffset, kFixedSize},
    };
    const int parts = performance ? kPerformanceParts : kMixParts;
    for (int part = 0; part < parts; ++part) {
        blocks.push_back({common + kFirstPartOffset + part * kPartStride, kPartSize});
    }
    return blocks;
}

}  // namespace tessaline
