#pragma once
// Output values of the analog output dialogs: the typed text in engineering units,
// its range check and its conversion to the module's output word.

#include "engineering_value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

// One output range: the accepted values, the words of its two ends and the unit.
struct OutputRange {
    const char* caption;
    float lower;
    float upper;
    float lowerWord;
    float upperWord;
    const char* unit;
};

// The number in a value field: a first "." counts as the decimal ",", blanks around it
// are ignored. Throws ConversionError when the text is no number.
float ReadOutputValue(const std::string& text);

// A limit as the field shows it, e.g. "10,000" or "-10,000".
std::string LimitText(float limit);

// Why a value cannot be sent, naming the text as typed and the limit it passes;
// empty when it lies in the range.
std::string RangeViolation(const OutputRange& range, float value, const std::string& typed);

// The output word in single precision, truncated toward zero; a negative word comes
// back as its two's complement.
std::uint16_t OutputWord(const OutputRange& range, float value);

// "high,low" of a word in decimal.
std::string WordBytesText(std::uint16_t word);

// What an output channel puts out, as its window and `korvo module` show it:
// "5.000 V (word 32767)", or "nothing sent" before the first send.
std::string OutputValueText(const std::optional<EngineeringValue>& output);

// The `count` words of an OutputData text, two items each, high byte first; none when
// the text holds fewer items or one that is no byte.
std::vector<std::uint16_t> OutputWords(const std::string& outputData, int count);

}  // namespace korvo
