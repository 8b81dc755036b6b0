#pragma once
// Text helpers for the comma lists and dotted addresses the configurator keeps its
// module data in. Texts are single-byte (Windows-1252) std::strings.

#include <cstdint>
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
// of the list keeps at most 255 characters.
void NextItemTrimmed(std::string& list, char separator, std::string& item);

// Like NextItemTrimmed without trimming; an empty list empties the item and the
// rest of the list keeps at most 2000 characters.
void NextItem(std::string& list, char separator, std::string& item);

void TrimBlanks(std::string& text);

// The same cuts on a view, for lists parsed in every I/O cycle: nothing is copied,
// the item views into the list's text and the rest keeps the same limits.
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

// 235 gives "23.5", 5 gives " 0.5", -12 gives "-1.2".
std::string TenthsText(std::int32_t tenths);

// (y2 - y1) / (x2 - x1) in single precision; throws CalculationError when x1 == x2.
float Slope(float x1, float x2, float y1, float y2);
// (x - x1) * m + y1 in single precision.
float Interpolate(float x, float x1, float y1, float m);

}  // namespace korvo
