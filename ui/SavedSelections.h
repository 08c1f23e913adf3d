#pragma once

namespace tessaline {

// The six selections that carry the main window's source and destination from one run to the
// next. Not validated: whatever the settings store held is used as is.
struct SavedSelections {
    int VoiceBank = 0;
    int VoiceLetter = 0;
    int VoiceNum = 0;
    int PerfBank = 0;
    int PerfLetter = 0;
    int PerfNum = 0;
};

}  // namespace tessaline
