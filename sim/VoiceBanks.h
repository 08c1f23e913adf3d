#pragma once

#include <optional>
#include <span>

#include "sim/InstrumentModels.h"

namespace tessaline {

// The voice banks of a family, in bank order.
std::span<const VoiceBank> voiceBanks(InstrumentFamily family);

// Index of the voice bank that a bank select pair names, if any.
std::optional<int> voiceBankIndex(InstrumentFamily family, unsigned char msb, unsigned char lsb);

// Bank select of the USER performances.
inline constexpr unsigned char kPerformanceBankMsb = 0x3F;
inline constexpr unsigned char kPerformanceBankLsb = 0x40;

inline constexpr int kProgramsPerBank = 128;

}  // namespace tessaline
