#include "app/SelectionStore.h"

namespace tessaline {

namespace {

struct StoredSelection {
    const char* name;
    int SavedSelections::*field;
};

constexpr StoredSelection kStored[] = {
    {"VoiceBank", &SavedSelections::VoiceBank},   {"VoiceLetter", &SavedSelections::VoiceLetter},
    {"VoiceNum", &SavedSelections::VoiceNum},     {"PerfBank", &SavedSelections::PerfBank},
    {"PerfLetter", &SavedSelections::PerfLetter}, {"PerfNum", &SavedSelections::PerfNum},
};

}  // namespace

void loadSelections(Profile& profile, SavedSelections& saved) {
    SavedSelections stored;
    for (const StoredSelection& entry : kStored) {
        stored.*entry.field = profile.readInt("", entry.name, 0);
    }
    saved = withinRange(stored);
}

void saveSelections(Profile& profile, const SavedSelections& saved) {
    for (const StoredSelection& entry : kStored) {
        profile.writeInt("", entry.name, saved.*entry.field);
    }
}

}  // namespace tessaline
