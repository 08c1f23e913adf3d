#pragma once

#include <array>
#include <span>

namespace tessaline {

enum ModelFamily : int {
    FamilyS90 = 0,
    FamilyMotif = 1,
    FamilyMotifRack = 2,
    FamilyMotifES = 3,
};

// One row of the model table: Identity Reply bytes 8 and 9 name the model.
struct ModelInfo {
    unsigned char replyByte8;
    unsigned char replyByte9;
    const char* displayName;
    ModelFamily family;
    const char* modelIdText;  // spliced into templates for M
};

// Everything the family decides about layouts and what the window offers.
struct FamilyLayout {
    int presetBanks;
    int userBanks;
    int addressOffset;  // of the address in a received bulk block
    int dataOffset;     // of the first data byte
    std::array<int, 4> voiceBlockSizes;
    int performanceCommonSize;
    bool offersPerformance;
    bool offersSongMix;
};

// The complete model table, in its historic order.
std::span<const ModelInfo> modelTable();
const ModelInfo* findModel(unsigned char byte8, unsigned char byte9);
const ModelInfo* findModelByName(const char* displayName);
const FamilyLayout& familyLayout(ModelFamily family);

}  // namespace tessaline
