#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace tessaline {

// The instrument's own tables: which models exist, how each names itself, and what memory each
// family has. They are kept apart from the program's tables on purpose, so that a wrong
// constant on either side shows as a disagreement rather than being copied.

// Families differ in their banks and memories, not in their messages.
enum class InstrumentFamily { S90, Motif, MotifRack, MotifES };

// A voice bank as bank select (controllers 0 and 32) addresses it.
struct VoiceBank {
    const char* name;
    unsigned char msb;
    unsigned char lsb;
};

// What the instruments of one family hold. Sizes count the data bytes of a bulk block.
struct FamilyMemory {
    InstrumentFamily family;
    std::span<const VoiceBank> voiceBanks;  // in bank order: presets, users, GM
    std::array<int, 4> voiceBlockSizes;     // 40 70 00, 40 00 00, 40 01 00, 40 02 00
    int commonSize;                         // 30 00 00 and 36 00 00
    std::array<int, 2> effectBlockSizes;    // 30 01 00, 30 02 00 and 36 01 00, 36 02 00
    bool hasPerformances;                   // 30 .. 31 pp, and USER performances to select
    bool hasSongMix;                        // 36 .. 37 pp
};

// Blocks of the same size in every family: the fixed block (30 10 00, 36 10 00) and a part.
inline constexpr int kFixedBlockSize = 20;
inline constexpr int kPartBlockSize = 64;

// One model: its name, the family member code it answers an Identity Request with (reply bytes
// 8 and 9), and the model ID its own System Exclusive carries (one byte, or two for the ES).
struct InstrumentModel {
    const char* displayName;
    unsigned char memberCodeLow;
    unsigned char memberCodeHigh;
    std::array<unsigned char, 2> modelIdBytes;
    std::size_t modelIdLength;
    InstrumentFamily family;

    std::span<const unsigned char> modelId() const { return {modelIdBytes.data(), modelIdLength}; }
};

std::span<const InstrumentModel> instrumentModels();
// Null when no model has this name.
const InstrumentModel* findInstrumentModel(std::string_view displayName);
const FamilyMemory& familyMemory(InstrumentFamily family);

}  // namespace tessaline
