#include "platform/rtmidi/VirtualPortNames.h"

#include <algorithm>
#include <string_view>

namespace tessaline {

namespace {
constexpr std::string_view kInputName = "MIDI In";
constexpr std::string_view kOutputName = "MIDI Out";

bool continuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

std::string portName(const std::string& owner, std::string_view name, std::size_t portLimit) {
    return cutName(owner.empty() ? std::string(name) : owner + " " + std::string(name), portLimit);
}
}  // namespace

std::string cutName(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = maxBytes;
    while (end > 0 && continuesCharacter(text[end])) {
        --end;
    }
    while (end > 0 && text[end - 1] == ' ') {
        --end;
    }
    return text.substr(0, end);
}

VirtualPortNames virtualPortNames(const std::string& clientName, std::size_t clientLimit,
                                  std::size_t portLimit) {
    VirtualPortNames names;
    names.client = cutName(clientName, clientLimit);
    // Room for a blank and the longer of the two names, so that both ports show the same part
    // of the client's name.
    const std::size_t suffix = 1 + std::max(kInputName.size(), kOutputName.size());
    const std::string owner = cutName(names.client, portLimit > suffix ? portLimit - suffix : 0);
    names.input = portName(owner, kInputName, portLimit);
    names.output = portName(owner, kOutputName, portLimit);
    return names;
}

}  // namespace tessaline
