#include "synth/CopyRecord.h"

#include <algorithm>
#include <fstream>

#include "midi/MidiPort.h"
#include "synth/JsonReader.h"
#include "synth/WholeFileWrite.h"

namespace tessaline {

namespace {

constexpr std::size_t kMaxModelName = 64;
constexpr int kPerformanceParts = 4;
constexpr int kSongMixParts = 16;
constexpr int kAddressBytes = 3;
constexpr int kMaxDataBytes = 4;

// Model names are plain text, but a quote or a backslash must not end the string early.
void appendString(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\u00" + MidiPort::formatHexPairs(static_cast<unsigned char>(c), 1);
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string hexBytes(const std::vector<unsigned char>& bytes) {
    std::string text;
    for (unsigned char byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += MidiPort::formatHexPairs(byte, 1);
    }
    return text;
}

// "31 02 00": pairs of hex digits, one space apart; nothing when the text is anything else.
std::optional<std::vector<unsigned char>> parseHexBytes(std::string_view text) {
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const int high = MidiPort::hexDigit(text[i]);
        const int low = i + 1 < text.size() ? MidiPort::hexDigit(text[i + 1]) : -1;
        const bool separated = i + 2 >= text.size() || (text[i + 2] == ' ' && i + 3 < text.size());
        if (high < 0 || low < 0 || !separated || bytes.size() == kMaxDataBytes) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return bytes;
}

bool isPerformanceName(std::string_view name) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.size() != 3 || name[0] < 'A' || name[0] > 'H' || !isDigit(name[1]) ||
        !isDigit(name[2])) {
        return false;
    }
    const int number = (name[1] - '0') * 10 + (name[2] - '0');
    return number >= 1 && number <= 16;
}

const JsonValue* memberOfType(const JsonValue& object, std::string_view key, JsonValue::Type type) {
    const JsonValue* value = object.member(key);
    return value != nullptr && value->type == type ? value : nullptr;
}

std::string readMessage(const JsonValue& item, std::size_t index, PlannedMessage& message) {
    const std::string which = "message " + std::to_string(index + 1);
    if (item.type != JsonValue::Type::Object) {
        return which + " is not an object";
    }
    const JsonValue* address = memberOfType(item, "address", JsonValue::Type::String);
    const JsonValue* data = memberOfType(item, "data", JsonValue::Type::String);
    const auto addressBytes = address ? parseHexBytes(address->text) : std::nullopt;
    if (!addressBytes || addressBytes->size() != kAddressBytes ||
        std::any_of(addressBytes->begin(), addressBytes->end(),
                    [](unsigned char b) { return b > 0x7F; })) {
        return which + " has no address of three 7-bit bytes";
    }
    auto dataBytes = data ? parseHexBytes(data->text) : std::nullopt;
    if (!dataBytes || dataBytes->empty()) {
        return which + " has no data of one to four bytes";
    }
    message.address = ((*addressBytes)[0] << 16) | ((*addressBytes)[1] << 8) | (*addressBytes)[2];
    message.data = std::move(*dataBytes);
    return {};
}

std::string readFields(const JsonValue& root, CopyRecord& record) {
    if (root.type != JsonValue::Type::Object) {
        return "it is not an object";
    }
    const JsonValue* model = memberOfType(root, "model", JsonValue::Type::String);
    if (model == nullptr || model->text.empty() || model->text.size() > kMaxModelName) {
        return "it names no model";
    }
    record.model = model->text;
    const JsonValue* destination = memberOfType(root, "destination", JsonValue::Type::String);
    const auto kind = destination ? destinationKindFromName(destination->text) : std::nullopt;
    if (!kind) {
        return "its destination is neither \"performance\" nor \"song-mix\"";
    }
    record.kind = *kind;
    const JsonValue* performance = root.member("performance");
    if (record.kind == DestinationKind::Performance) {
        if (performance == nullptr || performance->type != JsonValue::Type::String ||
            !isPerformanceName(performance->text)) {
            return "it names no performance (A01 to H16)";
        }
        record.performance = performance->text;
    } else if (performance != nullptr && performance->type != JsonValue::Type::Null) {
        return "a song mix has no performance";
    }
    const int parts =
        record.kind == DestinationKind::Performance ? kPerformanceParts : kSongMixParts;
    const JsonValue* part = memberOfType(root, "part", JsonValue::Type::Number);
    if (part == nullptr || part->number < 1 || part->number > parts) {
        return "its part is not 1 to " + std::to_string(parts);
    }
    record.part = static_cast<int>(part->number);
    const JsonValue* messages = memberOfType(root, "messages", JsonValue::Type::Array);
    if (messages == nullptr || messages->items.empty() ||
        messages->items.size() > kMaxRecordMessages) {
        return "it holds no list of 1 to " + std::to_string(kMaxRecordMessages) + " messages";
    }
    record.messages.resize(messages->items.size());
    for (std::size_t i = 0; i < messages->items.size(); ++i) {
        if (std::string error = readMessage(messages->items[i], i, record.messages[i]);
            !error.empty()) {
            return error;
        }
    }
    return {};
}

RecordResult refused(const std::string& reason) {
    return {std::nullopt, "The copy's record is not valid: " + reason + "."};
}

}  // namespace

std::string copyRecordToJson(const CopyRecord& record) {
    std::string out = "{\n  \"model\": ";
    appendString(out, record.model);
    out += ",\n  \"destination\": ";
    appendString(out, destinationKindName(record.kind));
    out += ",\n  \"performance\": ";
    if (record.kind == DestinationKind::Performance) {
        appendString(out, record.performance);
    } else {
        out += "null";
    }
    out += ",\n  \"part\": " + std::to_string(record.part) + ",\n  \"messages\": [";
    for (std::size_t i = 0; i < record.messages.size(); ++i) {
        const PlannedMessage& message = record.messages[i];
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"address\": \"" +
               MidiPort::formatHexPairs(static_cast<unsigned>(message.address), 3) +
               "\", \"data\": \"" + hexBytes(message.data) + "\"}";
    }
    out += "\n  ]\n}\n";
    return out;
}

RecordResult copyRecordFromJson(std::string_view text) {
    if (text.size() > kMaxRecordFileBytes) {
        return refused("it is larger than " + std::to_string(kMaxRecordFileBytes >> 10) + " KiB");
    }
    const JsonParse parsed = parseJson(text);
    if (!parsed.value) {
        return refused(parsed.error);
    }
    CopyRecord record;
    if (std::string error = readFields(*parsed.value, record); !error.empty()) {
        return refused(error);
    }
    return {std::move(record), {}};
}

std::string writeCopyRecord(const std::filesystem::path& path, const CopyRecord& record) {
    const std::string text = copyRecordToJson(record);
    // A record that could not be read back would only fail later, at the undo it exists for.
    if (const RecordResult check = copyRecordFromJson(text); !check.record) {
        return "Could not write " + path.string() + ". " + check.error;
    }
    return writeFileWhole(path, {reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

RecordResult readCopyRecord(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return {std::nullopt, "There is no record of the copy at " + path.string() + "."};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {std::nullopt, "Could not open " + path.string() + "."};
    }
    std::string text(kMaxRecordFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return {std::nullopt, "Could not read " + path.string() + "."};
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return copyRecordFromJson(text);
}

}  // namespace tessaline
