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
    for (const StoredSelection& entry : kStored) {
        saved.*entry.field = profile.readInt("", entry.name, 0);
    }
}

void saveSelections(Profile& profile, const SavedSelections& saved) {
    for (const StoredSelection& entry : kStored) {
        profile.writeInt("", entry.name, saved.*entry.field);
    }
}

}  // namespace tessaline
