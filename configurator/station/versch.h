#pragma once
// Text helpers for the comma lists and dotted addresses the configurator keeps its
// module data in. Texts are single-byte (Windows-1252) std::strings.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvo {

// A text that should have been a number was not; the message names the text.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A computation that cannot give a result (division by zero in Slope).
class CalculationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Integer conversion of a list item: optional blanks in front, optional sign, decimal
// digits or hexadecimal with "$" or "0x"; anything else is a ConversionError.
// Hexadecimal values up to FFFFFFFF wrap into the signed range.
std::int32_t StrToInt(const std::string& text);
bool TryStrToInt(std::string_view text, std::int32_t& value);

// Cuts the first item off the list, blanks trimmed. An empty list leaves the item
// as it was, so repeated requests past the end return the last item again. The rest
// of the list keeps every item, however long.
void NextItemTrimmed(std::string& list, char separator, std::string& item);

// Like NextItemTrimmed without trimming; an empty list empties the item.
void NextItem(std::string& list, char separator, std::string& item);

void TrimBlanks(std::string& text);

namespace detail {
template <typename Word>
Word LoadWord(const char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}
}  // namespace detail

// Equality of two texts without a library call, for the short texts the I/O
// cycle compares for every module in every cycle. Texts of four characters or
// more are compared in words, the last word overlapping the one before it.
inline bool SameText(std::string_view a, std::string_view b) {
    using detail::LoadWord;
    const std::size_t n = a.size();
    if (n != b.size()) return false;
    const char* p = a.data();
    const char* q = b.data();
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            if (LoadWord<std::uint64_t>(p + i) != LoadWord<std::uint64_t>(q + i)) return false;
        }
        return LoadWord<std::uint64_t>(p + n - 8) == LoadWord<std::uint64_t>(q + n - 8);
    }
    if (n >= 4) {
        return LoadWord<std::uint32_t>(p) == LoadWord<std::uint32_t>(q) &&
               LoadWord<std::uint32_t>(p + n - 4) == LoadWord<std::uint32_t>(q + n - 4);
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] != q[i]) return false;
    }
    return true;
}

// The same cuts on a view, for lists parsed in every I/O cycle: nothing is copied,
// the item views into the list's text.
void NextItemTrimmed(std::string_view& list, char separator, std::string_view& item);
void NextItem(std::string_view& list, char separator, std::string_view& item);
void TrimBlanks(std::string_view& text);
void RemoveBlanks(std::string& text);

// "0,0,1,255" gives "00,00,01,FF,". Throws ConversionError on a non-integer item.
std::string DecimalListToHex(const std::string& list);
// The same, appended to `text` (which keeps what it held before).
void AppendDecimalListAsHex(std::string_view list, std::string& text);

// Stores up to count integers of a "," list in values[0..count-1] (direction 1) or
// values[count-1..0] (any other direction). Indices above highestIndex are never
// written; the first missing or malformed item ends the parsing.
void ParseIntList(const std::string& list, std::int32_t* values, int highestIndex, int direction, int count);

// (y2 - y1) / (x2 - x1) in single precision; throws CalculationError when x1 == x2.
float Slope(float x1, float x2, float y1, float y2);
// (x - x1) * m + y1 in single precision.
float Interpolate(float x, float x1, float y1, float m);

}  // namespace korvo
