#include "synth/BankList.h"

#include <cstdio>

namespace tessaline {

namespace {

// A run of numbered banks: name format, first bank select number, how many come from the layout.
struct BankRun {
    const char* nameFormat;
    int firstNumber;
    int FamilyLayout::*count;
};

constexpr BankRun kRuns[] = {
    {"PRE%d", kFirstPresetBankNumber, &FamilyLayout::presetBanks},
    {"USER%d", kFirstUserBankNumber, &FamilyLayout::userBanks},
};

}  // namespace

std::vector<BankEntry> voiceBanksOf(ModelFamily family) {
    const FamilyLayout& layout = familyLayout(family);
    std::vector<BankEntry> banks;
    for (const BankRun& run : kRuns) {
        for (int d = 1; d <= layout.*run.count; ++d) {
            char name[16];
            std::snprintf(name, sizeof name, run.nameFormat, d);
            banks.push_back({run.firstNumber + d - 1, name});
        }
    }
    banks.push_back({kGmBankNumber, "GM"});
    return banks;
}

}  // namespace tessaline
