#pragma once
// Reading and writing the module texts the dialogs work on: the parameter words in
// Parameter and the input bytes in InputData, both "," lists of decimal items.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvo {

struct TModul;

// Reads `count` items of a Parameter list, blanks around items ignored; a list that
// runs out early repeats its last item. An empty list gives nullopt (the dialog keeps
// its words). An item that is no integer in min..max throws ConversionError naming
// it, and then nothing is taken from the list.
std::optional<std::vector<std::int32_t>> ReadParameterItems(const std::string& parameter, int count,
                                                            std::int32_t min = 0, std::int32_t max = 65535);

// The `count` parameter words of the module's Parameter, which the I/O test sends and
// the module measures with (a dialog's unsaved words may differ); all 0 for a list
// that is empty or does not parse.
std::vector<std::uint16_t> SentParameterWords(const TModul& module, int count);

// The items in decimal joined by ","; with a trailing "," when asked.
std::string ParameterText(std::span<const std::int32_t> items, bool trailingComma);

// The first `count` items of InputData as bytes; nullopt when the text is empty,
// holds fewer items or an item that is no byte value.
std::optional<std::vector<std::uint8_t>> ReadInputBytes(const std::string& inputData, int count);

// The texts of a freshly placed module with `channels` channels: the parameter
// word `word` once per channel, each followed by ",", and `comment` for every channel.
void SetChannelDefaults(TModul& module, int channels, std::string_view word, std::string_view comment);

// Item pairs as 16-bit words, high byte first.
inline std::uint16_t WordAt(const std::vector<std::uint8_t>& bytes, std::size_t first) {
    return static_cast<std::uint16_t>(bytes[first] << 8 | bytes[first + 1]);
}

}  // namespace korvo
