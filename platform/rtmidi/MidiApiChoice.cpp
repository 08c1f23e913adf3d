#include "platform/rtmidi/MidiApiChoice.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace tessaline {

std::vector<std::string> chooseMidiApis(const char* setting,
                                        const std::vector<std::string>& compiled) {
    std::set<std::string> wanted;
    std::string word;
    bool any = false;
    for (const char* p = setting == nullptr ? "" : setting;; ++p) {
        const char c = *p;
        if (c == '\0' || c == ',' || std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty()) {
                wanted.insert(word);
                any = true;
                word.clear();
            }
            if (c == '\0') {
                break;
            }
            continue;
        }
        word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (!any) {
        return compiled;
    }
    std::vector<std::string> chosen;
    std::copy_if(compiled.begin(), compiled.end(), std::back_inserter(chosen),
                 [&](const std::string& api) { return wanted.count(api) != 0; });
    return chosen;
}

}  // namespace tessaline
