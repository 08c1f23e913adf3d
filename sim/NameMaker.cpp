#include "sim/NameMaker.h"

#include <array>
#include <cstdio>

namespace tessaline {

namespace {

constexpr int kWordsPerCategory = 5;

// Nouns per category byte, in the order of the category abbreviations.
constexpr std::array<std::array<const char*, kWordsPerCategory>, kCategoryCount> kNouns = {{
    {"Init", "Voice", "Sound", "Patch", "Tone"},        // --
    {"Piano", "Pno", "Grand", "Upright", "Stage"},      // Ap
    {"EP", "Clavi", "Keys", "Tine", "Harpsi"},          // Kb
    {"Organ", "Orgn", "Drawbar", "Pipe", "Perc Org"},   // Or
    {"Guitar", "Gtr", "Nylon", "Steel", "Twang"},       // Gt
    {"Bass", "Fretls", "Finger", "Pick", "Sub"},        // Ba
    {"Strings", "Str", "Violin", "Cello", "Ensmbl"},    // St
    {"Brass", "Horn", "Trumpet", "Trb", "Section"},     // Br
    {"Flute", "Reed", "Oboe", "Sax", "Clarinet"},       // Rp
    {"Lead", "Saw", "Square", "Sync", "Mono"},          // Ld
    {"Pad", "Choir", "Sweep", "Air", "Glass"},          // Pd
    {"Comp", "Synth", "Pluck", "Stab", "Seq"},          // Sc
    {"Vibes", "Marimba", "Bell", "Celesta", "Mallet"},  // Cp
    {"Drums", "Kit", "Perc", "Groove", "Beat"},         // Dr
    {"FX", "Noise", "Wind", "Space", "Alien"},          // Se
    {"Hit", "Rise", "Drone", "Morph", "Scape"},         // Me
    {"Split", "Layer", "Combo", "Stack", "Dual"},       // Co
}};

constexpr const char* kAdjectives[] = {
    "Warm",  "Dark", "Soft", "Big",  "Fat",  "Deep", "Wide", "Hard", "Bright", "Mellow",
    "Clean", "Old",  "New",  "Pure", "Rich", "Thin", "Live", "Solo", "Smooth", "Vintage"};
constexpr int kAdjectiveCount = static_cast<int>(sizeof kAdjectives / sizeof kAdjectives[0]);

constexpr int kAttempts = 64;

std::string padded(std::string text) {
    text.resize(kNameLength, ' ');
    return text;
}

}  // namespace

std::string NameMaker::candidate(int category) {
    const int index = (category >= 0 && category < kCategoryCount) ? category : 0;
    const std::string noun = kNouns[static_cast<std::size_t>(index)]
                                   [static_cast<std::size_t>(random_.below(kWordsPerCategory))];
    const std::string adjective = kAdjectives[random_.below(kAdjectiveCount)];
    std::string text;
    switch (random_.below(3)) {
        case 0:
            text = adjective + " " + noun;
            break;
        case 1:
            text = noun + " " + adjective;
            break;
        default:
            text = noun;
            break;
    }
    // A number at the end, as on factory voices, where it fits.
    if (text.size() + 2 <= static_cast<std::size_t>(kNameLength) && random_.below(2) == 0) {
        text += " " + std::to_string(1 + random_.below(9));
    } else if (text.size() < static_cast<std::size_t>(kNameLength) && random_.below(3) == 0) {
        text += std::to_string(1 + random_.below(9));
    }
    return text.size() > static_cast<std::size_t>(kNameLength) ? std::string() : padded(text);
}

std::string NameMaker::make(int category) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string name = candidate(category);
        if (!name.empty() && used_.insert(name).second) {
            return name;
        }
    }
    // Crowded word space: a short noun and a serial number are always new.
    for (;;) {
        std::string noun = candidate(category).substr(0, 5);
        char serial[8];
        std::snprintf(serial, sizeof serial, "%04d", serial_++ % 10000);
        std::string name = padded(noun + " " + serial);
        if (used_.insert(name).second) {
            return name;
        }
    }
}

}  // namespace tessaline
