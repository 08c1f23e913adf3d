#include "sim/InstrumentModels.h"

namespace tessaline {

namespace {

using enum InstrumentFamily;

constexpr InstrumentModel kModels[] = {
    // name, reply bytes 8 and 9, model ID, its length, family
    {"S90", 0x05, 0x2A, {0x6B}, 1, S90},
    {"Motif 6", 0x7C, 0x04, {0x6B}, 1, Motif},
    {"Motif 7", 0x7D, 0x04, {0x6B}, 1, Motif},
    {"Motif 8", 0x7E, 0x04, {0x6B}, 1, Motif},
    {"Motif Rack", 0x58, 0x04, {0x6F}, 1, MotifRack},
    {"Motif ES6", 0x69, 0x05, {0x7F, 0x00}, 2, MotifES},
    {"Motif ES7", 0x6A, 0x05, {0x7F, 0x00}, 2, MotifES},
    {"Motif ES8", 0x6B, 0x05, {0x7F, 0x00}, 2, MotifES},
};

// Preset banks sit at 3F/00 up, user banks at 3F/08 up, GM at 00/00.
constexpr VoiceBank kThreePresetsOneUser[] = {
    {"PRE1", 0x3F, 0x00},  {"PRE2", 0x3F, 0x01}, {"PRE3", 0x3F, 0x02},
    {"USER1", 0x3F, 0x08}, {"GM", 0x00, 0x00},
};

constexpr VoiceBank kRackBanks[] = {
    {"PRE1", 0x3F, 0x00}, {"PRE2", 0x3F, 0x01},  {"PRE3", 0x3F, 0x02},  {"PRE4", 0x3F, 0x03},
    {"PRE5", 0x3F, 0x04}, {"USER1", 0x3F, 0x08}, {"USER2", 0x3F, 0x09}, {"GM", 0x00, 0x00},
};

constexpr VoiceBank kEsBanks[] = {
    {"PRE1", 0x3F, 0x00},  {"PRE2", 0x3F, 0x01},  {"PRE3", 0x3F, 0x02},
    {"PRE4", 0x3F, 0x03},  {"PRE5", 0x3F, 0x04},  {"PRE6", 0x3F, 0x05},
    {"USER1", 0x3F, 0x08}, {"USER2", 0x3F, 0x09}, {"GM", 0x00, 0x00},
};

constexpr FamilyMemory kFamilies[] = {
    // family, banks, voice blocks, common, effect blocks, performances, song mix
    {S90, kThreePresetsOneUser, {66, 15, 24, 25}, 88, {24, 25}, true, false},
    {Motif, kThreePresetsOneUser, {66, 15, 24, 25}, 88, {24, 25}, true, true},
    {MotifRack, kRackBanks, {66, 15, 24, 25}, 88, {24, 25}, false, true},
    {MotifES, kEsBanks, {82, 17, 36, 37}, 101, {36, 37}, true, true},
};

}  // namespace

std::span<const InstrumentModel> instrumentModels() {
    return kModels;
}

const InstrumentModel* findInstrumentModel(std::string_view displayName) {
    for (const InstrumentModel& model : kModels) {
        if (displayName == model.displayName) {
            return &model;
        }
    }
    return nullptr;
}

const FamilyMemory& familyMemory(InstrumentFamily family) {
    for (const FamilyMemory& memory : kFamilies) {
        if (memory.family == family) {
            return memory;
        }
    }
    return kFamilies[0];
}

}  // namespace tessaline
