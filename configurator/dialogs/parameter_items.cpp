#include "parameter_items.h"

#include "../station/versch.h"

namespace korvo {

std::vector<std::int32_t> ReadParameterItems(const std::string& parameter, int count, std::int32_t min,
                                             std::int32_t max) {
    std::vector<std::int32_t> values;
    std::string list = parameter;
    std::string item;
    for (int i = 0; i < count; ++i) {
        NextItemTrimmed(list, ',', item);
        const std::int32_t value = StrToInt(item);
        if (value < min || value > max) {
            throw ConversionError("'" + item + "' is not a valid parameter value (" + std::to_string(min) + ".." +
                                  std::to_string(max) + ")");
        }
        values.push_back(value);
    }
    return values;
}

std::optional<std::vector<std::uint8_t>> ReadInputBytes(const std::string& inputData, int count) {
    std::vector<std::uint8_t> bytes;
    std::string list = inputData;
    std::string item;
    for (int i = 0; i < count; ++i) {
        if (list.empty()) return std::nullopt;
        NextItemTrimmed(list, ',', item);
        std::int32_t value = 0;
        if (!TryStrToInt(item, value) || value < 0 || value > 255) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

std::string CommaListWithTrailing(const std::vector<std::int32_t>& values) {
    std::string text;
    for (const std::int32_t value : values) text += std::to_string(value) + ",";
    return text;
}

}  // namespace korvo
