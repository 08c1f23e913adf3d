#include "sim/VoiceBanks.h"

namespace tessaline {

std::span<const VoiceBank> voiceBanks(InstrumentFamily family) {
    return familyMemory(family).voiceBanks;
}

std::optional<int> voiceBankIndex(InstrumentFamily family, unsigned char msb, unsigned char lsb) {
    const std::span<const VoiceBank> banks = voiceBanks(family);
    for (std::size_t i = 0; i < banks.size(); ++i) {
        if (banks[i].msb == msb && banks[i].lsb == lsb) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

}  // namespace tessaline
