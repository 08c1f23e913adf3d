#include "ui/SavedSelections.h"

#include <algorithm>

#include "synth/BankList.h"
#include "synth/ModelFamily.h"

namespace tessaline {

namespace {

constexpr int kNothingChosen = -1;
constexpr int kPerformanceBanks = 1;  // USER

int longestBankList() {
    int longest = 0;
    for (const ModelInfo& model : modelTable()) {
        longest = std::max(longest, static_cast<int>(voiceBanksOf(model.family).size()));
    }
    return longest;
}

int within(int value, int count) {
    return value >= 0 && value < count ? value : 0;
}

int bankWithin(int value, int count) {
    return value == kNothingChosen ? value : within(value, count);
}

}  // namespace

SavedSelections withinRange(const SavedSelections& stored) {
    SavedSelections valid;
    valid.VoiceBank = bankWithin(stored.VoiceBank, longestBankList());
    valid.VoiceLetter = within(stored.VoiceLetter, kProgramLetters);
    valid.VoiceNum = within(stored.VoiceNum, kProgramNumbers);
    valid.PerfBank = bankWithin(stored.PerfBank, kPerformanceBanks);
    valid.PerfLetter = within(stored.PerfLetter, kProgramLetters);
    valid.PerfNum = within(stored.PerfNum, kProgramNumbers);
    return valid;
}

}  // namespace tessaline
