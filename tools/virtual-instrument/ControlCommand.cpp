#include "tools/virtual-instrument/ControlCommand.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace tessaline::tools {

namespace {

bool parseHex(const std::string& text, unsigned& value) {
    if (text.size() != 6) {
        return false;
    }
    value = 0;
    for (char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    // Three 7-bit bytes.
    return (value & 0x808080u) == 0;
}

// The byte at a memory address, through the block that holds it (the last one starting at
// or below it), as the instrument itself addresses its memory.
bool byteAt(const BlockMap& memory, unsigned address, unsigned char& value) {
    auto it = memory.upper_bound(address);
    if (it == memory.begin()) {
        return false;
    }
    --it;
    if (address - it->first >= it->second.size()) {
        return false;
    }
    value = it->second[address - it->first];
    return true;
}

}  // namespace

ControlReply runControlCommand(const std::string& line, const VirtualInstrument& instrument) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    ControlReply reply;
    if (command == "quit") {
        reply.text = "bye";
        reply.quit = true;
    } else if (command == "mode") {
        reply.text = std::to_string(instrument.mode());
    } else if (command == "ignored") {
        const IgnoredCounts ignored = instrument.ignored();
        reply.text = "ignored " + std::to_string(ignored.total()) + " received " +
                     std::to_string(instrument.receivedCount());
    } else if (command == "print") {
        std::string addressText;
        long count = 0;
        unsigned address = 0;
        if (!(words >> addressText >> count) || !parseHex(addressText, address) || count <= 0 ||
            count > 4096) {
            reply.text = "error: usage: print HHMMLL COUNT";
            return reply;
        }
        const BlockMap memory = instrument.snapshot();
        std::string text;
        for (long i = 0; i < count; ++i) {
            unsigned char value = 0;
            if (!byteAt(memory, address + static_cast<unsigned>(i), value)) {
                reply.text = "error: no memory at " + addressText + " + " + std::to_string(i);
                return reply;
            }
            char pair[4];
            std::snprintf(pair, sizeof pair, "%02X", value);
            if (!text.empty()) {
                text.push_back(' ');
            }
            text += pair;
        }
        reply.text = text;
    } else if (command.empty()) {
        reply.text = "error: empty command";
    } else {
        reply.text = "error: unknown command \"" + command + "\"";
    }
    return reply;
}

}  // namespace tessaline::tools
