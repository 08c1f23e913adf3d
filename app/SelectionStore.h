#pragma once

#include "platform/Profile.h"
#include "ui/SavedSelections.h"

namespace tessaline {

// The six saved selections in the settings store: read with default 0 and written back, both
// in the order VoiceBank, VoiceLetter, VoiceNum, PerfBank, PerfLetter, PerfNum, in the empty
// section. What is read is brought within range first (see withinRange).
void loadSelections(Profile& profile, SavedSelections& saved);
void saveSelections(Profile& profile, const SavedSelections& saved);

}  // namespace tessaline
