#include "res/Strings.h"

#include "res/ResourceIds.h"

namespace tessaline {

namespace {

struct StringResource {
    int id;
    const char* text;
};

constexpr StringResource kStrings[] = {
    {IDS_ABOUTBOX, "&About K7Q..."},
};

}  // namespace

std::string loadString(int id) {
    for (const StringResource& entry : kStrings) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return {};
}

}  // namespace tessaline
