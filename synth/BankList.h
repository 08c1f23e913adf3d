#pragma once

#include <vector>

#include "midi/MidiPort.h"
#include "synth/ModelFamily.h"

namespace tessaline {

// Bank select numbers of the voice banks: presets and users share MSB 3F.
inline constexpr int kFirstPresetBankNumber = 0x3F * 128;    // PRE1
inline constexpr int kFirstUserBankNumber = 0x3F * 128 + 8;  // USER1
inline constexpr int kGmBankNumber = 0;

// The voice banks of a family in list order: PRE1.., USER1.., GM. A bank's index in this list
// is the bank index the window, selectVoice and the copy scripts use.
std::vector<BankEntry> voiceBanksOf(ModelFamily family);

}  // namespace tessaline
