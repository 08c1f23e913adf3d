#include <cstring>

#include "synth/ModelFamily.h"

namespace tessaline {

namespace {

// Identity Reply bytes 8 and 9 (family member code, low then high) name the model.
constexpr ModelInfo kModels[] = {
    {0x05, 0x2A, "S90", FamilyS90, "6B"},
    {0x7C, 0x04, "Motif 6", FamilyMotif, "6B"},
    {0x7D, 0x04, "Motif 7", FamilyMotif, "6B"},
    {0x7E, 0x04, "Motif 8", FamilyMotif, "6B"},
    {0x58, 0x04, "Motif Rack", FamilyMotifRack, "6F"},
    {0x69, 0x05, "Motif ES6", FamilyMotifES, "7F 00"},
    {0x6A, 0x05, "Motif ES7", FamilyMotifES, "7F 00"},
    {0x6B, 0x05, "Motif ES8", FamilyMotifES, "7F 00"},
};

// Indexed by ModelFamily.
constexpr FamilyLayout kLayouts[] = {
    /* FamilyS90 */ {3, 1, 6, 9, {66, 15, 24, 25}, 88, true, false},
    /* FamilyMotif */ {3, 1, 6, 9, {66, 15, 24, 25}, 88, true, true},
    /* FamilyMotifRack */ {5, 2, 6, 9, {66, 15, 24, 25}, 88, false, true},
    /* FamilyMotifES */ {6, 2, 7, 10, {82, 17, 36, 37}, 101, true, true},
};

}  // namespace

std::span<const ModelInfo> modelTable() {
    return kModels;
}

const ModelInfo* findModel(unsigned char byte8, unsigned char byte9) {
    for (const ModelInfo& model : kModels) {
        if (model.replyByte8 == byte8 && model.replyByte9 == byte9) {
            return &model;
        }
    }
    return nullptr;
}

const ModelInfo* findModelByName(const char* displayName) {
    for (const ModelInfo& model : kModels) {
        if (std::strcmp(model.displayName, displayName) == 0) {
            return &model;
        }
    }
    return nullptr;
}

const FamilyLayout& familyLayout(ModelFamily family) {
    const int index = (family >= FamilyS90 && family <= FamilyMotifES) ? family : FamilyS90;
    return kLayouts[index];
}

}  // namespace tessaline
