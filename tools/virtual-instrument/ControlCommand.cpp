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

ControlReply say(std::string text) {
    return {std::move(text), false};
}

// Each command reads its arguments from the rest of the line, and nothing may follow them.
bool nothingMore(std::istringstream& words) {
    std::string extra;
    return !(words >> extra);
}

ControlReply print(std::istringstream& words, VirtualInstrument& instrument) {
    std::string addressText;
    long count = 0;
    unsigned address = 0;
    if (!(words >> addressText >> count) || !parseHex(addressText, address) || count <= 0 ||
        count > 4096) {
        return say("error: usage: print HHMMLL COUNT");
    }
    const BlockMap memory = instrument.snapshot();
    std::string text;
    for (long i = 0; i < count; ++i) {
        unsigned char value = 0;
        if (!byteAt(memory, address + static_cast<unsigned>(i), value)) {
            return say("error: no memory at " + addressText + " + " + std::to_string(i));
        }
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", value);
        if (!text.empty()) {
            text.push_back(' ');
        }
        text += pair;
    }
    return say(text);
}

ControlReply mode(std::istringstream&, VirtualInstrument& instrument) {
    return say(std::to_string(instrument.mode()));
}

ControlReply ignored(std::istringstream&, VirtualInstrument& instrument) {
    const IgnoredCounts counts = instrument.ignored();
    return say("ignored " + std::to_string(counts.total()) + " received " +
               std::to_string(instrument.receivedCount()));
}

ControlReply lost(std::istringstream&, VirtualInstrument& instrument) {
    return say("lost " + std::to_string(instrument.ignored().lostWhileFrozen));
}

ControlReply drop(std::istringstream& words, VirtualInstrument& instrument) {
    std::string addressText;
    unsigned address = 0;
    if (!(words >> addressText) || !parseHex(addressText, address) || !nothingMore(words)) {
        return say("error: usage: drop HHMMLL");
    }
    if (!instrument.dropParameterChangesTo(address, 1)) {
        return say("error: too many drops armed");
    }
    return say("dropping the next parameter change to " + addressText);
}

ControlReply damage(std::istringstream& words, VirtualInstrument& instrument) {
    if (!nothingMore(words)) {
        return say("error: usage: damage");
    }
    instrument.corruptNextBlocks(1);
    return say("damaging the next dump block");
}

ControlReply freeze(std::istringstream& words, VirtualInstrument& instrument) {
    long ms = 0;
    if (!(words >> ms) || ms < 1 || ms > kMaxFreezeMs || !nothingMore(words)) {
        return say("error: usage: freeze MS (1 to " + std::to_string(kMaxFreezeMs) + ")");
    }
    instrument.freezeInput(static_cast<int>(ms));
    return say("frozen for " + std::to_string(ms) + " ms");
}

ControlReply quit(std::istringstream&, VirtualInstrument&) {
    return {"bye", true};
}

struct ControlHandler {
    const char* name;
    ControlReply (*run)(std::istringstream&, VirtualInstrument&);
};

constexpr ControlHandler kHandlers[] = {
    {"print", print}, {"mode", mode},     {"ignored", ignored}, {"lost", lost},
    {"drop", drop},   {"damage", damage}, {"freeze", freeze},   {"quit", quit},
};

}  // namespace

ControlReply runControlCommand(const std::string& line, VirtualInstrument& instrument) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command.empty()) {
        return say("error: empty command");
    }
    for (const ControlHandler& handler : kHandlers) {
        if (command == handler.name) {
            return handler.run(words, instrument);
        }
    }
    return say("error: unknown command \"" + command + "\"");
}

}  // namespace tessaline::tools
