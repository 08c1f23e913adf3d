#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

struct JsonMember;

// A parsed JSON value of the small files this program writes itself: numbers are whole and at
// most 15 digits, which is all it writes; anything else is refused, not guessed at.
struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    long long number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;  // of an object, in their order

    // The member of an object with that key, or nothing.
    const JsonValue* member(std::string_view key) const;
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

struct JsonParse {
    std::optional<JsonValue> value;
    std::string error;  // "at byte N: ..." when there is no value
};

// Deeper nesting, or more members or items, is not one of our files, and would only cost stack
// and time.
inline constexpr int kMaxJsonDepth = 16;
inline constexpr std::size_t kMaxJsonMembers = 64;
inline constexpr std::size_t kMaxJsonItems = 4096;

// One value and nothing after it but white space.
JsonParse parseJson(std::string_view text);

}  // namespace tessaline
