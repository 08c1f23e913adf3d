#include "synth/JsonReader.h"

namespace tessaline {

namespace {

constexpr int kMaxNumberDigits = 15;

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    JsonParse parse() {
        JsonValue value;
        if (!parseValue(value, 0)) {
            return {std::nullopt, error_};
        }
        skipSpace();
        if (at_ != text_.size()) {
            fail("text after the end of the value");
            return {std::nullopt, error_};
        }
        return {std::move(value), {}};
    }

  private:
    bool fail(const std::string& reason) {
        if (error_.empty()) {
            error_ = "at byte " + std::to_string(at_ + 1) + ": " + reason;
        }
        return false;
    }

    void skipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r')) {
            ++at_;
        }
    }

    bool take(char c) {
        skipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    bool takeWord(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) {
            return fail("an unknown word");
        }
        at_ += word.size();
        return true;
    }

    bool parseValue(JsonValue& value, int depth) {
        if (depth > kMaxJsonDepth) {
            return fail("nested too deeply");
        }
        skipSpace();
        if (at_ == text_.size()) {
            return fail("the text ends where a value should be");
        }
        const char c = text_[at_];
        switch (c) {
            case '{':
                value.type = JsonValue::Type::Object;
                return parseObject(value, depth);
            case '[':
                value.type = JsonValue::Type::Array;
                return parseArray(value, depth);
            case '"':
                value.type = JsonValue::Type::String;
                return parseString(value.text);
            case 't':
            case 'f':
                value.type = JsonValue::Type::Bool;
                value.boolean = c == 't';
                return takeWord(c == 't' ? "true" : "false");
            case 'n':
                value.type = JsonValue::Type::Null;
                return takeWord("null");
            default:
                value.type = JsonValue::Type::Number;
                return parseNumber(value.number);
        }
    }

    bool parseObject(JsonValue& value, int depth) {
        ++at_;
        if (take('}')) {
            return true;
        }
        do {
            if (value.members.size() == kMaxJsonMembers) {
                return fail("an object with too many members");
            }
            skipSpace();
            std::string key;
            if (at_ == text_.size() || text_[at_] != '"') {
                return fail("a key should be here");
            }
            if (!parseString(key)) {
                return false;
            }
            if (value.member(key) != nullptr) {
                return fail("the key \"" + key + "\" appears twice");
            }
            if (!take(':')) {
                return fail("':' should follow a key");
            }
            JsonValue member;
            if (!parseValue(member, depth + 1)) {
                return false;
            }
            value.members.push_back({std::move(key), std::move(member)});
        } while (take(','));
        return take('}') || fail("',' or '}' should be here");
    }

    bool parseArray(JsonValue& value, int depth) {
        ++at_;
        if (take(']')) {
            return true;
        }
        do {
            if (value.items.size() == kMaxJsonItems) {
                return fail("an array with too many items");
            }
            JsonValue item;
            if (!parseValue(item, depth + 1)) {
                return false;
            }
            value.items.push_back(std::move(item));
        } while (take(','));
        return take(']') || fail("',' or ']' should be here");
    }

    bool parseHex4(unsigned& code) {
        code = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            if (at_ == text_.size()) {
                return fail("the text ends inside an escape");
            }
            const char c = text_[at_];
            const int digit = (c >= '0' && c <= '9')   ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0) {
                return fail("a \\u escape needs four hex digits");
            }
            code = code * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }

    // Characters of the Basic Multilingual Plane only; our files hold model names and hex.
    bool parseEscape(std::string& out) {
        const char c = text_[at_++];
        constexpr std::string_view kFrom = "\"\\/bfnrt";
        constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
        if (const std::size_t i = kFrom.find(c); i != std::string_view::npos) {
            out += kTo[i];
            return true;
        }
        if (c != 'u') {
            return fail("an unknown escape");
        }
        unsigned code = 0;
        if (!parseHex4(code)) {
            return false;
        }
        if (code >= 0xD800 && code <= 0xDFFF) {
            return fail("a surrogate escape");
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        return true;
    }

    bool parseString(std::string& out) {
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return fail("a control character inside a string");
            }
            ++at_;
            if (c != '\\') {
                out += c;
            } else if (at_ == text_.size()) {
                break;
            } else if (!parseEscape(out)) {
                return false;
            }
        }
        return fail("a string has no end");
    }

    bool parseNumber(long long& number) {
        const bool negative = text_[at_] == '-';
        if (negative) {
            ++at_;
        }
        const std::size_t first = at_;
        number = 0;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            if (at_ - first == kMaxNumberDigits) {
                return fail("a number too long");
            }
            number = number * 10 + (text_[at_++] - '0');
        }
        if (at_ == first) {
            return fail("a value should be here");
        }
        if (text_[first] == '0' && at_ - first > 1) {
            return fail("a number with a leading zero");
        }
        if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E')) {
            return fail("a number that is not whole");
        }
        if (negative) {
            number = -number;
        }
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::member(std::string_view key) const {
    for (const JsonMember& found : members) {
        if (found.key == key) {
            return &found.value;
        }
    }
    return nullptr;
}

JsonParse parseJson(std::string_view text) {
    return Parser(text).parse();
}

}  // namespace tessaline
