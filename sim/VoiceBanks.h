#pragma once

#include <optional>
#include <string>
#include <vector>

#include "synth/ModelFamily.h"

namespace tessaline {

// A voice bank of the instrument as bank select addresses it.
struct VoiceBank {
    std::string name;  // PRE1.., USER1.., GM
    unsigned char msb;
    unsigned char lsb;
};

// The instrument's own view of its banks; kept apart from the program's bank list so that the
// virtual instrument checks the program rather than repeating it.
std::vector<VoiceBank> voiceBanks(ModelFamily family);

// Index of the voice bank that a bank select pair names, if any.
std::optional<int> voiceBankIndex(ModelFamily family, unsigned char msb, unsigned char lsb);

// Bank select of the USER performances.
inline constexpr unsigned char kPerformanceBankMsb = 0x3F;
inline constexpr unsigned char kPerformanceBankLsb = 0x40;

inline constexpr int kProgramsPerBank = 128;

}  // namespace tessaline
