#include "analog_output_value.h"

#include "module_data.h"

#include "station/message_text.h"
#include "station/versch.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace korvo {

float ReadOutputValue(const std::string& text) {
    std::string number = text;
    if (const std::size_t point = number.find('.'); point != std::string::npos) number[point] = ',';
    TrimBlanks(number);
    // The decimal separator is ","; from_chars wants ".", and must not see a second one.
    std::string parsed = number;
    if (const std::size_t comma = parsed.find(','); comma != std::string::npos) parsed[comma] = '.';
    const char* first = parsed.data();
    const char* last = parsed.data() + parsed.size();
    if (first != last && *first == '+') ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (parsed.empty() || error != std::errc() || end != last || !std::isfinite(value) ||
        parsed.find_first_of("0123456789") == std::string::npos) {
        throw ConversionError("'" + MessageText(text) + "' is not a valid floating point value");
    }
    return static_cast<float>(value);
}

std::string LimitText(float limit) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(limit));
    std::string shown = text;
    if (const std::size_t point = shown.find('.'); point != std::string::npos) shown[point] = ',';
    return shown;
}

std::string RangeViolation(const OutputRange& range, float value, const std::string& typed) {
    std::string name = range.caption;
    TrimBlanks(name);
    const auto past = [&](const char* side, float limit) {
        return "value " + MessageText(typed) + " lies " + side + " " + LimitText(limit) + ", the end of " +
               name + ": nothing sent";
    };
    if (value > range.upper) return past("above", range.upper);
    if (value < range.lower) return past("below", range.lower);
    return {};
}

std::uint16_t OutputWord(const OutputRange& range, float value) {
    const float m = Slope(range.lower, range.upper, range.lowerWord, range.upperWord);
    const float word = Interpolate(value, range.lower, range.lowerWord, m);
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(std::trunc(word)));
}

std::string WordBytesText(std::uint16_t word) {
    return std::to_string(word >> 8) + "," + std::to_string(word & 0xFF);
}

std::string OutputValueText(const std::optional<EngineeringValue>& output) {
    return output ? output->ValueText() + " (word " + output->WordText() + ")" : "nothing sent";
}

std::vector<std::uint16_t> OutputWords(const std::string& outputData, int count) {
    std::vector<std::uint16_t> words;
    if (const auto bytes = ReadInputBytes(outputData, 2 * count)) {
        for (std::size_t w = 0; w < static_cast<std::size_t>(count); ++w)
            words.push_back(WordAt(*bytes, 2 * w));
    }
    return words;
}

}  // namespace korvo
