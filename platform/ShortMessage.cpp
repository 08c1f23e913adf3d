#include "platform/ShortMessage.h"

namespace tessaline {

std::size_t shortMessageLength(unsigned char status) {
    if (status < 0x80) {
        return 0;
    }
    if (status < 0xF0) {
        const unsigned kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    switch (status) {
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        case 0xF6:
            return 1;
        case 0xF0:
        case 0xF4:
        case 0xF5:
        case 0xF7:
        case 0xF9:
        case 0xFD:
            return 0;
        default:
            return 1;
    }
}

std::vector<unsigned char> shortMessageBytes(std::uint32_t message) {
    const auto status = static_cast<unsigned char>(message & 0xFF);
    const std::size_t length = shortMessageLength(status);
    if (length == 0) {
        return {};
    }
    // A data byte with its top bit set would read as a status byte at the other end.
    std::vector<unsigned char> bytes{status, static_cast<unsigned char>((message >> 8) & 0x7F),
                                     static_cast<unsigned char>((message >> 16) & 0x7F)};
    bytes.resize(length);
    return bytes;
}

}  // namespace tessaline
