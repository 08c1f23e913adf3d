#include "sim/VoiceBanks.h"

namespace tessaline {

namespace {

constexpr unsigned char kVoiceBankMsb = 0x3F;
constexpr unsigned char kFirstPresetLsb = 0x00;
constexpr unsigned char kFirstUserLsb = 0x08;

}  // namespace

std::vector<VoiceBank> voiceBanks(ModelFamily family) {
    const FamilyLayout& layout = familyLayout(family);
    std::vector<VoiceBank> banks;
    for (int d = 1; d <= layout.presetBanks; ++d) {
        banks.push_back({"PRE" + std::to_string(d), kVoiceBankMsb,
                         static_cast<unsigned char>(kFirstPresetLsb + d - 1)});
    }
    for (int d = 1; d <= layout.userBanks; ++d) {
        banks.push_back({"USER" + std::to_string(d), kVoiceBankMsb,
                         static_cast<unsigned char>(kFirstUserLsb + d - 1)});
    }
    banks.push_back({"GM", 0x00, 0x00});
    return banks;
}

std::optional<int> voiceBankIndex(ModelFamily family, unsigned char msb, unsigned char lsb) {
    const std::vector<VoiceBank> banks = voiceBanks(family);
    for (std::size_t i = 0; i < banks.size(); ++i) {
        if (banks[i].msb == msb && banks[i].lsb == lsb) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

}  // namespace tessaline
