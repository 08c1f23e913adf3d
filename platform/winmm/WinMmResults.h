#pragma once

#include <string>

#include "platform/MidiService.h"
#include "platform/winmm/WinMmApi.h"

namespace tessaline {

// Our result codes up to this one are WinMM's own (MMSYSERR_ and MIDIERR_); above it they are
// ours alone, where WinMM has other meanings for the same numbers.
inline constexpr MidiResult kLastWinMmCode = 68;

// WinMM's result as one of ours.
MidiResult fromWinMm(MMRESULT result);

// WinMM's own text for one of its codes, ours for the rest (and where WinMM has none).
std::string winMmErrorText(WinMmApi& api, MidiResult code, bool input);

}  // namespace tessaline
