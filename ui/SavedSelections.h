#pragma once

namespace tessaline {

// The six selections that carry the main window's source and destination from one run to the
// next. They come from a settings file that anyone may edit; withinRange() is what the program
// goes by.
struct SavedSelections {
    int VoiceBank = 0;
    int VoiceLetter = 0;
    int VoiceNum = 0;
    int PerfBank = 0;
    int PerfLetter = 0;
    int PerfNum = 0;
};

// A program is a letter A..H and a number 01..16, each an index into its list.
inline constexpr int kProgramLetters = 8;
inline constexpr int kProgramNumbers = 16;

// The selections as the window can show them: a letter and a number within their lists, a voice
// bank below the longest bank list of any model, the one performance bank. A bank may also stay
// -1, nothing chosen, which the window takes as the first bank once it knows the model. Any
// other value counts as missing and becomes 0, the first entry.
SavedSelections withinRange(const SavedSelections& stored);

}  // namespace tessaline
