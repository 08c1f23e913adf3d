#include <cstdio>
#include <cstring>

#include "midi/MidiPort.h"

namespace tessaline {

std::string MidiPort::formatHexPairs(unsigned value, int count) {
    if (count < 1 || count > 4) {
        return {};
    }
    std::string text;
    for (int i = count - 1; i >= 0; --i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", (value >> (8 * i)) & 0xFFu);
        if (!text.empty()) {
            text += ' ';
        }
        text += pair;
    }
    return text;
}

std::string MidiPort::expandTemplate(const std::string& templateText,
                                     const std::string& modelIdText, std::span<const int> args) {
    std::string result;
    std::size_t next = 0;
    // A template with fewer arguments than placeholders gets 0 for the missing ones.
    auto take = [&]() -> unsigned {
        return next < args.size() ? static_cast<unsigned>(args[next++]) : 0u;
    };
    for (std::size_t i = 0; i < templateText.size(); ++i) {
        const char c = templateText[i];
        if (c == 'M') {
            result += modelIdText;
        } else if (c == '%') {
            if (i + 1 >= templateText.size()) {
                break;  // a lone '%' at the end is dropped
            }
            const char kind = templateText[++i];
            if (kind == 'A') {
                result += formatHexPairs(take(), 3);
            } else if (kind == 'B') {
                const unsigned v = take();
                result += formatHexPairs((v >> 7) & 0x7F, 1);
                result += ' ';
                result += formatHexPairs(v & 0x7F, 1);
            } else if (kind == 'b') {
                result += formatHexPairs(take(), 1);
            }
        } else {
            result += c;
        }
    }
    return result;
}

int MidiPort::sendTemplateArgs(const std::string& templateText, std::initializer_list<int> args) {
    return sendSysEx(expandTemplate(templateText, modelIdText(),
                                    std::span<const int>(args.begin(), args.size())));
}

int MidiPort::sendSysEx(const std::string& body) {
    return sendHexText("F0 " + formatHexPairs(static_cast<unsigned>(manufacturerId), 1) + " " +
                       body + " F7");
}

bool MidiPort::hasTokenBeyond(const std::string& text, int count) {
    int tokens = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ' && (i == 0 || text[i - 1] == ' ') && ++tokens > count) {
            return true;
        }
    }
    return false;
}

int MidiPort::hexTextToBytes(const std::string& text, unsigned char (&buffer)[kMessageBufferSize]) {
    std::memset(buffer, 0, sizeof buffer);
    int count = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && count < kMessageBufferSize) {
        while (i < n && text[i] == ' ') {
            ++i;
        }
        if (i >= n) {
            break;
        }
        // Only the leading hex digits count; the low 8 bits of the number become the byte.
        unsigned value = 0;
        while (i < n && text[i] != ' ' && MidiPort::hexDigit(text[i]) >= 0) {
            value = (value << 4) | static_cast<unsigned>(MidiPort::hexDigit(text[i]));
            ++i;
        }
        while (i < n && text[i] != ' ') {
            ++i;
        }
        buffer[count++] = static_cast<unsigned char>(value & 0xFF);
    }
    return count;
}

int MidiPort::sendHexText(const std::string& text) {
    unsigned char buffer[kMessageBufferSize];
    const int count = hexTextToBytes(text, buffer);
    // Text with more bytes than the buffer holds would go out cut short, without its F7, and
    // look sent: it is refused instead, as a send of a message too long.
    const int failed = count == kMessageBufferSize && hasTokenBeyond(text, kMessageBufferSize)
                           ? check(midiresult::InvalidParam, 0)
                           : sendLong(buffer, count);
    if (failed != 0) {
        failedSends_.fetch_add(1);
    }
    return failed;
}

void MidiPort::sendIdentityRequest() {
    sendHexText("F0 7E 00 06 01 F7");
}

int MidiPort::isBulkChecksumValid(const unsigned char* data, int length) {
    unsigned char sum = 0;
    for (int i = 4; i <= length - 2; ++i) {
        sum = static_cast<unsigned char>(sum + data[i]);
    }
    return (sum & 0x7F) == 0 ? 1 : 0;
}

int MidiPort::hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace tessaline
