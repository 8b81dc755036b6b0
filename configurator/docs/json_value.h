#pragma once
// Reading the JSON files the programs write (the I/O test records, the check results)
// back, as files from other machines: every length and depth is bounded, and anything
// that is not JSON is refused with where and why.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvo {

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // UTF-8
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    // The member's value, or null when this is no object or has no such member.
    const JsonValue* Member(const std::string& name) const;
    // A member's text or number, or the fallback when it is missing or of another kind.
    std::string Text(const std::string& name, const std::string& fallback = {}) const;
    std::optional<double> Number(const std::string& name) const;
    std::optional<bool> Bool(const std::string& name) const;
};

inline constexpr std::size_t kMaxJsonDepth = 64;
inline constexpr std::size_t kMaxJsonBytes = 16 * 1024 * 1024;

struct JsonParse {
    std::optional<JsonValue> value;
    std::string error;  // "line 3, column 7: expected ':'"
};

JsonParse ParseJson(std::string_view text);

}  // namespace korvo
