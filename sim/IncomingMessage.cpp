#include "sim/IncomingMessage.h"

#include <algorithm>

#include "sim/BulkBlock.h"

namespace tessaline {

namespace {

constexpr unsigned char kSysExStart = 0xF0;
constexpr unsigned char kSysExEnd = 0xF7;
constexpr unsigned char kUniversalNonRealtime = 0x7E;
constexpr unsigned char kUniversalRealtime = 0x7F;
constexpr unsigned char kManufacturer = 0x43;
constexpr unsigned char kBulkDump = 0x00;
constexpr unsigned char kParameterChange = 0x10;
constexpr unsigned char kDumpRequest = 0x20;
constexpr std::size_t kAddressLength = 3;
constexpr std::size_t kCountLength = 2;
// A bulk block's checksum covers everything from this byte on.
constexpr std::size_t kFirstSummedByte = 4;
constexpr std::size_t kMaxParameterBytes = 4;

IncomingMessage kindOnly(MessageKind kind) {
    IncomingMessage message;
    message.kind = kind;
    return message;
}

unsigned addressAt(std::span<const unsigned char> bytes, std::size_t at) {
    return (static_cast<unsigned>(bytes[at]) << 16) | (static_cast<unsigned>(bytes[at + 1]) << 8) |
           bytes[at + 2];
}

// Bytes a short message of this status carries, status included; 0 for System Exclusive.
std::size_t shortLength(unsigned char status) {
    switch (status & 0xF0) {
        case 0xC0:
        case 0xD0:
            return 2;
        case 0xF0:
            if (status == 0xF1 || status == 0xF3) {
                return 2;
            }
            if (status == 0xF2) {
                return 3;
            }
            return status == kSysExStart ? 0 : 1;
        default:
            return 3;
    }
}

IncomingMessage classifyShort(std::span<const unsigned char> bytes) {
    const unsigned char status = bytes[0];
    if (bytes.size() != shortLength(status) ||
        std::any_of(bytes.begin() + 1, bytes.end(), [](unsigned char b) { return b >= 0x80; })) {
        return kindOnly(MessageKind::Malformed);
    }
    IncomingMessage message;
    message.kind = MessageKind::Unsupported;
    if (status == 0xB0 && bytes[1] == 0x00) {
        message.kind = MessageKind::BankSelectMsb;
        message.value = bytes[2];
    } else if (status == 0xB0 && bytes[1] == 0x20) {
        message.kind = MessageKind::BankSelectLsb;
        message.value = bytes[2];
    } else if (status == 0xC0) {
        message.kind = MessageKind::ProgramChange;
        message.value = bytes[1];
    }
    return message;
}

IncomingMessage classifyUniversal(std::span<const unsigned char> bytes) {
    const bool identityRequest = bytes.size() == 6 && bytes[1] == kUniversalNonRealtime &&
                                 (bytes[2] == 0x00 || bytes[2] == 0x7F) && bytes[3] == 0x06 &&
                                 bytes[4] == 0x01;
    return kindOnly(identityRequest ? MessageKind::IdentityRequest : MessageKind::Unsupported);
}

// A bulk block as the instrument sends them; its byte count (two 7-bit bytes) starts at
// `countAt`, its address follows. Whole SysEx with data bytes only, as the caller has checked.
IncomingMessage classifyBulkBlock(std::span<const unsigned char> bytes, std::size_t countAt) {
    const std::size_t dataStart = countAt + kCountLength + kAddressLength;
    const std::size_t checksumAt = bytes.size() - 2;
    if (checksumAt < dataStart) {
        return kindOnly(MessageKind::Malformed);
    }
    const std::size_t declared = (std::size_t{bytes[countAt]} << 7) | bytes[countAt + 1];
    const std::span<const unsigned char> summed =
        bytes.subspan(kFirstSummedByte, checksumAt - kFirstSummedByte);
    if (declared != checksumAt - dataStart || bulkChecksum(summed) != bytes[checksumAt]) {
        return kindOnly(MessageKind::DamagedBlock);
    }
    IncomingMessage message;
    message.kind = MessageKind::BulkBlock;
    message.address = addressAt(bytes, countAt + kCountLength);
    message.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(dataStart),
                        bytes.begin() + static_cast<std::ptrdiff_t>(checksumAt));
    return message;
}

IncomingMessage classifyOwn(std::span<const unsigned char> bytes,
                            std::span<const unsigned char> modelId) {
    const std::size_t addressAtIndex = 3 + modelId.size();
    if (bytes.size() < addressAtIndex + 1) {
        return kindOnly(MessageKind::Malformed);
    }
    if (!std::equal(modelId.begin(), modelId.end(), bytes.begin() + 3)) {
        return kindOnly(MessageKind::OtherModelId);
    }
    const std::size_t end = bytes.size() - 1;  // index of F7
    const unsigned char command = bytes[2] & 0xF0;
    if (command == kBulkDump) {
        return classifyBulkBlock(bytes, addressAtIndex);
    }
    if (command != kParameterChange && command != kDumpRequest) {
        return kindOnly(MessageKind::Unsupported);
    }
    if (end < addressAtIndex + kAddressLength) {
        return kindOnly(MessageKind::Malformed);
    }
    IncomingMessage message;
    message.address = addressAt(bytes, addressAtIndex);
    const std::size_t dataStart = addressAtIndex + kAddressLength;
    const std::size_t dataCount = end - dataStart;
    if (command == kDumpRequest) {
        message.kind = dataCount == 0 ? MessageKind::DumpRequest : MessageKind::Malformed;
        return message;
    }
    if (dataCount == 0 || dataCount > kMaxParameterBytes) {
        return kindOnly(MessageKind::Malformed);
    }
    message.kind = MessageKind::ParameterChange;
    message.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(dataStart),
                        bytes.begin() + static_cast<std::ptrdiff_t>(end));
    return message;
}

}  // namespace

IncomingMessage classifyMessage(std::span<const unsigned char> message,
                                std::span<const unsigned char> modelId) {
    if (message.empty() || message[0] < 0x80) {
        return kindOnly(MessageKind::Malformed);
    }
    if (message[0] != kSysExStart) {
        return classifyShort(message);
    }
    // F0, a manufacturer byte, F7 at the end and nothing but data bytes between.
    if (message.size() < 3 || message.back() != kSysExEnd ||
        std::any_of(message.begin() + 1, message.end() - 1,
                    [](unsigned char b) { return b >= 0x80; })) {
        return kindOnly(MessageKind::Malformed);
    }
    const unsigned char maker = message[1];
    if (maker == kUniversalNonRealtime || maker == kUniversalRealtime) {
        return classifyUniversal(message);
    }
    if (maker != kManufacturer) {
        return kindOnly(MessageKind::OtherManufacturer);
    }
    return classifyOwn(message, modelId);
}

}  // namespace tessaline
