#include "platform/rtmidi/MidiApiChoice.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace tessaline {

namespace {

// The names in the setting, lower case, in their order.
std::vector<std::string> settingWords(const char* setting) {
    std::vector<std::string> words;
    std::string word;
    for (const char* p = setting == nullptr ? "" : setting;; ++p) {
        const char c = *p;
        if (c == '\0' || c == ',' || std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
            if (c == '\0') {
                break;
            }
            continue;
        }
        word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return words;
}

}  // namespace

std::vector<std::string> chooseMidiApis(const char* setting,
                                        const std::vector<std::string>& compiled) {
    const std::vector<std::string> words = settingWords(setting);
    if (words.empty()) {
        return compiled;
    }
    const std::set<std::string> wanted(words.begin(), words.end());
    std::vector<std::string> chosen;
    std::copy_if(compiled.begin(), compiled.end(), std::back_inserter(chosen),
                 [&](const std::string& api) { return wanted.count(api) != 0; });
    return chosen;
}

std::string midiApiSettingProblem(const char* setting, const std::vector<std::string>& compiled) {
    std::string unknown;
    for (const std::string& word : settingWords(setting)) {
        if (word != "none" && std::find(compiled.begin(), compiled.end(), word) == compiled.end()) {
            unknown += (unknown.empty() ? "" : ", ") + word;
        }
    }
    if (unknown.empty()) {
        return {};
    }
    std::string known;
    for (const std::string& api : compiled) {
        known += api + ", ";
    }
    return std::string(kMidiApiVariable) +
           " names a MIDI system this program does not know: " + unknown + " (known: " + known +
           "none)";
}

}  // namespace tessaline
