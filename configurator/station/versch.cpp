#include "versch.h"

#include "message_text.h"

namespace korvo {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The rest keeps every item: a list cut at a fixed length would lose the items
// behind a long run of blanks or zeros.
void CutFirstItem(std::string_view& list, char separator, std::string_view& item) {
    const std::size_t p = list.find(separator);
    if (p == std::string_view::npos) {
        item = list;
        list = {};
        return;
    }
    item = list.substr(0, p);
    list = list.substr(p + 1);
}

// Runs a view cut on a string list and stores both parts.
template <typename Cut>
void CutStringList(std::string& list, std::string& item, Cut cut) {
    std::string_view rest = list;
    std::string_view first;
    cut(rest, first);
    item.assign(first);
    list = std::string(rest);
}

ConversionError NotAnInteger(std::string_view text) {
    return ConversionError("'" + MessageText(text) + "' is not a valid integer value");
}

// printf's "%02X".
void AppendHex(std::uint32_t value, std::string& text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char digits[8];
    int n = 0;
    do {
        digits[n++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    if (n < 2) digits[n++] = '0';
    while (n > 0) text += digits[--n];
}

}  // namespace

bool TryStrToInt(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return false;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull) return false;
    }
    if (hex) {
        const auto bits = static_cast<std::uint32_t>(magnitude);
        const auto signedValue = static_cast<std::int32_t>(bits);
        value = negative ? static_cast<std::int32_t>(0u - bits) : signedValue;
        return true;
    }
    if (negative) {
        if (magnitude > 0x80000000ull) return false;
        value = static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    } else {
        if (magnitude > 0x7FFFFFFFull) return false;
        value = static_cast<std::int32_t>(magnitude);
    }
    return true;
}

std::int32_t StrToInt(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value)) throw NotAnInteger(text);
    return value;
}

void TrimBlanks(std::string_view& text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
}

void TrimBlanks(std::string& text) {
    std::string_view view = text;
    TrimBlanks(view);
    text = std::string(view);
}

void RemoveBlanks(std::string& text) {
    std::erase(text, ' ');
}

void NextItemTrimmed(std::string_view& list, char separator, std::string_view& item) {
    if (list.empty()) return;
    TrimBlanks(list);
    CutFirstItem(list, separator, item);
    TrimBlanks(item);
    TrimBlanks(list);
}

void NextItemTrimmed(std::string& list, char separator, std::string& item) {
    if (list.empty()) return;
    CutStringList(list, item, [separator](std::string_view& rest, std::string_view& first) {
        NextItemTrimmed(rest, separator, first);
    });
}

void NextItem(std::string_view& list, char separator, std::string_view& item) {
    if (list.empty()) {
        item = {};
        return;
    }
    CutFirstItem(list, separator, item);
}

void NextItem(std::string& list, char separator, std::string& item) {
    CutStringList(list, item, [separator](std::string_view& rest, std::string_view& first) {
        NextItem(rest, separator, first);
    });
}

void AppendDecimalListAsHex(std::string_view list, std::string& text) {
    std::string_view item;
    while (!list.empty()) {
        NextItem(list, ',', item);
        std::int32_t value = 0;
        if (!TryStrToInt(item, value)) throw NotAnInteger(item);
        AppendHex(static_cast<std::uint32_t>(value), text);
        text += ',';
    }
}

std::string DecimalListToHex(const std::string& list) {
    std::string result;
    AppendDecimalListAsHex(list, result);
    return result;
}

void ParseIntList(const std::string& list, std::int32_t* values, int highestIndex, int direction, int count) {
    if (list.empty() || values == nullptr) return;
    std::string rest = list;
    std::string item;
    for (int n = 0; n < count; ++n) {
        if (rest.empty()) return;
        NextItem(rest, ',', item);
        std::int32_t value = 0;
        if (!TryStrToInt(item, value)) return;
        const int index = direction == 1 ? n : count - 1 - n;
        if (index >= 0 && index <= highestIndex) values[index] = value;
    }
}

float Slope(float x1, float x2, float y1, float y2) {
    const long double dx = static_cast<long double>(x2) - static_cast<long double>(x1);
    if (dx == 0.0L) throw CalculationError("Division by zero");
    return static_cast<float>((static_cast<long double>(y2) - static_cast<long double>(y1)) / dx);
}

float Interpolate(float x, float x1, float y1, float m) {
    const long double r =
        (static_cast<long double>(x) - static_cast<long double>(x1)) * static_cast<long double>(m) +
        static_cast<long double>(y1);
    return static_cast<float>(r);
}

}  // namespace korvo
