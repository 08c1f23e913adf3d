#include "synth/DestinationDumpFile.h"

#include <algorithm>
#include <fstream>

#include "midi/MidiPort.h"
#include "synth/DumpCollector.h"

namespace tessaline {

namespace {

constexpr unsigned char kSysExStart = 0xF0;
constexpr unsigned char kSysExEnd = 0xF7;
constexpr unsigned char kManufacturer = 0x43;
constexpr int kChecksumAndEnd = 2;
constexpr int kVoiceDumpHeader = 0x0E0F00;
constexpr int kHeaderHigh = 0x0E;
constexpr int kFooterHigh = 0x0F;
// A dump's data blocks, its header and its footer.
constexpr std::size_t kMaxMessages = DumpCollector::kMaxBlocks + 2;

struct AddressRange {
    int first;
    int last;
};

// What a destination's dump may hold: its header and footer, and the address ranges of its
// blocks (the common area and the parts).
struct DumpShape {
    DestinationKind kind;
    int header;
    int footer;
    AddressRange ranges[2];
};

constexpr DumpShape kShapes[] = {
    {DestinationKind::Performance,
     0x0E4F00,
     0x0F4F00,
     {{0x300000, 0x307F7F}, {0x310000, 0x31037F}}},
    {DestinationKind::SongMix, 0x0E5F00, 0x0F5F00, {{0x360000, 0x367F7F}, {0x370000, 0x370F7F}}},
};

std::string hexByte(unsigned value) {
    return MidiPort::formatHexPairs(value, 1);
}

std::string addressText(int address) {
    return MidiPort::formatHexPairs(static_cast<unsigned>(address), 3);
}

std::string messageText(std::size_t index) {
    return "Message " + std::to_string(index + 1);
}

// Splits the bytes into System Exclusive messages, F0 to F7, with nothing between them.
std::string frameMessages(std::span<const unsigned char> bytes,
                          std::vector<std::vector<unsigned char>>& messages) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        if (bytes[start] != kSysExStart) {
            return "Byte " + std::to_string(start + 1) + " (" + hexByte(bytes[start]) +
                   ") lies outside any System Exclusive message.";
        }
        if (messages.size() == kMaxMessages) {
            return "The file holds more messages than a performance or song mix dump.";
        }
        std::size_t end = start + 1;
        while (end < bytes.size() && bytes[end] < 0x80) {
            ++end;
        }
        const std::string which = messageText(messages.size());
        if (end == bytes.size()) {
            return which + " has no end (F7).";
        }
        if (bytes[end] != kSysExEnd) {
            return which + " holds a byte with its top bit set (" + hexByte(bytes[end]) +
                   " at byte " + std::to_string(end + 1) + ").";
        }
        messages.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                              bytes.begin() + static_cast<std::ptrdiff_t>(end + 1));
        start = end + 1;
    }
    return {};
}

// The model ID a message carries, as text: two bytes when the first is 7F, else one. The
// message holds at least one byte after the ID's first.
std::string modelIdOf(const std::vector<unsigned char>& message) {
    const bool twoBytes = message[3] == 0x7F && message.size() > 5;
    return MidiPort::formatHexPairs(twoBytes ? (message[3] << 8) | message[4] : message[3],
                                    twoBytes ? 2 : 1);
}

// Checks one message as a bulk block of the model and reads its address and data.
std::string readBlock(const std::vector<unsigned char>& message, std::size_t index,
                      const ModelInfo& model, ReceivedBlock& block) {
    const std::string which = messageText(index);
    const FamilyLayout& layout = familyLayout(model.family);
    const auto size = static_cast<int>(message.size());
    if (size < 4 || message[1] != kManufacturer || (message[2] & 0xF0) != 0) {
        return which + " is not a bulk dump block of this instrument family.";
    }
    unsigned char id[kMessageBufferSize];
    const int idLength = MidiPort::hexTextToBytes(model.modelIdText, id);
    if (size <= 3 + idLength) {
        return which + " is cut short.";
    }
    if (!std::equal(id, id + idLength, message.begin() + 3)) {
        return which + " carries model ID " + modelIdOf(message) + ", not the " +
               model.displayName + "'s " + model.modelIdText + ".";
    }
    if (size < layout.dataOffset + kChecksumAndEnd) {
        return which + " is cut short.";
    }
    const int declared = (message[static_cast<std::size_t>(layout.addressOffset - 2)] << 7) |
                         message[static_cast<std::size_t>(layout.addressOffset - 1)];
    const int present = size - layout.dataOffset - kChecksumAndEnd;
    if (declared != present) {
        return which + " says it holds " + std::to_string(declared) + " data bytes but holds " +
               std::to_string(present) + ".";
    }
    if (MidiPort::isBulkChecksumValid(message.data(), size) == 0) {
        return which + " has a bad checksum.";
    }
    const auto o = static_cast<std::size_t>(layout.addressOffset);
    block.address = (message[o] << 16) | (message[o + 1] << 8) | message[o + 2];
    block.data.assign(message.begin() + layout.dataOffset, message.end() - kChecksumAndEnd);
    return {};
}

const DumpShape* shapeWithHeader(int address) {
    for (const DumpShape& shape : kShapes) {
        if (shape.header == address) {
            return &shape;
        }
    }
    return nullptr;
}

bool inShape(const DumpShape& shape, const ReceivedBlock& block) {
    const long long last = static_cast<long long>(block.address) +
                           static_cast<long long>(block.data.size()) - (block.data.empty() ? 0 : 1);
    for (const AddressRange& range : shape.ranges) {
        if (block.address >= range.first && last <= range.last) {
            return true;
        }
    }
    return false;
}

bool modelHas(const ModelInfo& model, DestinationKind kind) {
    const FamilyLayout& layout = familyLayout(model.family);
    return kind == DestinationKind::Performance ? layout.offersPerformance : layout.offersSongMix;
}

const char* kindText(DestinationKind kind) {
    return kind == DestinationKind::Performance ? "performance" : "song mix";
}

// Header first, footer last, and in between only blocks of that destination.
std::string checkShape(const std::vector<ReceivedBlock>& blocks, const ModelInfo& model,
                       DestinationDump& dump) {
    const int first = blocks.front().address;
    if (first == kVoiceDumpHeader) {
        return "The file is a voice dump, not a performance or song mix.";
    }
    const DumpShape* shape = shapeWithHeader(first);
    if (shape == nullptr) {
        return "The file does not begin with the header of a performance or song mix dump.";
    }
    if (!modelHas(model, shape->kind)) {
        return std::string("The file holds a ") + kindText(shape->kind) + ", which the " +
               model.displayName + " does not have.";
    }
    if (blocks.size() < 2 || blocks.back().address != shape->footer) {
        return std::string("The file does not end with the footer of its dump (") +
               addressText(shape->footer) + ").";
    }
    for (std::size_t i = 1; i + 1 < blocks.size(); ++i) {
        const ReceivedBlock& block = blocks[i];
        const int high = block.address >> 16;
        if (high == kHeaderHigh || high == kFooterHigh) {
            return messageText(i) + " starts or ends another dump inside this one.";
        }
        if (!inShape(*shape, block)) {
            return messageText(i) + " (address " + addressText(block.address) + ", " +
                   std::to_string(block.data.size()) + " bytes) lies outside a " +
                   kindText(shape->kind) + " dump.";
        }
        dump.blocks.push_back(block);
    }
    if (dump.blocks.empty()) {
        return "The dump holds no data blocks.";
    }
    dump.kind = shape->kind;
    return {};
}

DumpFileResult refused(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

}  // namespace

DumpFileResult parseDestinationDump(std::span<const unsigned char> bytes, const ModelInfo& model) {
    if (bytes.size() > kMaxDumpFileBytes) {
        return refused("The file is larger than 1 MiB.");
    }
    if (bytes.empty()) {
        return refused("The file is empty.");
    }
    DestinationDump dump;
    if (std::string error = frameMessages(bytes, dump.messages); !error.empty()) {
        return refused(std::move(error));
    }
    std::vector<ReceivedBlock> blocks(dump.messages.size());
    for (std::size_t i = 0; i < dump.messages.size(); ++i) {
        if (std::string error = readBlock(dump.messages[i], i, model, blocks[i]); !error.empty()) {
            return refused(std::move(error));
        }
    }
    if (std::string error = checkShape(blocks, model, dump); !error.empty()) {
        return refused(std::move(error));
    }
    return {std::move(dump), {}};
}

DumpFileResult readDestinationDumpFile(const std::filesystem::path& path, const ModelInfo& model) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return refused(path.string() + " is not a file" + (ec ? ": " + ec.message() : "") + ".");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return refused("Could not open " + path.string() + ".");
    }
    // One byte more than allowed tells a file that is too large, however large it is.
    std::vector<unsigned char> bytes(kMaxDumpFileBytes + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return refused("Could not read " + path.string() + ".");
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return parseDestinationDump(bytes, model);
}

}  // namespace tessaline
