#pragma once
// Reading the comma lists of a module record for the dialogs: parameter items with
// their range checked before any of them is used, and the module's input bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

// Takes count items off the list with NextItemTrimmed, so a list that runs out early
// repeats its last item. Each item must be an integer in min..max; otherwise a
// ConversionError names the item and nothing is returned, so the caller never keeps
// half a list.
std::vector<std::int32_t> ReadParameterItems(const std::string& parameter, int count, std::int32_t min,
                                             std::int32_t max);

// The first count items of an InputData text as bytes; nothing when there are fewer
// items or one of them is not a byte value.
std::optional<std::vector<std::uint8_t>> ReadInputBytes(const std::string& inputData, int count);

// "8,5,0," style: every value followed by ",".
std::string CommaListWithTrailing(const std::vector<std::int32_t>& values);

}  // namespace korvo
