#include "module_data.h"

#include "station/message_text.h"
#include "station/module.h"
#include "station/versch.h"

#include <algorithm>

namespace korvo {

std::optional<std::vector<std::int32_t>> ReadParameterItems(const std::string& parameter, int count,
                                                            std::int32_t min, std::int32_t max) {
    if (parameter.empty()) return std::nullopt;
    std::string list = parameter;
    std::string item;
    std::vector<std::int32_t> items;
    for (int i = 0; i < count; ++i) {
        NextItemTrimmed(list, ',', item);
        const std::int32_t value = StrToInt(item);
        if (value < min || value > max) {
            throw ConversionError("'" + MessageText(item) + "' is not a value between " + std::to_string(min) + " and " +
                                  std::to_string(max));
        }
        items.push_back(value);
    }
    return items;
}

std::vector<std::uint16_t> SentParameterWords(const TModul& module, int count) {
    std::vector<std::uint16_t> words(static_cast<std::size_t>(count), 0);
    try {
        if (const auto items = ReadParameterItems(module.Parameter, count))
            std::copy(items->begin(), items->end(), words.begin());
    } catch (const ConversionError&) {
        // The module keeps what it had; the default words are the best guess.
    }
    return words;
}

std::string ParameterText(std::span<const std::int32_t> items, bool trailingComma) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += ',';
        text += std::to_string(items[i]);
    }
    if (trailingComma) text += ',';
    return text;
}

std::optional<std::vector<std::uint8_t>> ReadInputBytes(const std::string& inputData, int count) {
    std::string list = inputData;
    std::string item;
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        if (list.empty()) return std::nullopt;
        NextItem(list, ',', item);
        std::int32_t value = 0;
        if (!TryStrToInt(item, value) || value < 0 || value > 255) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

void SetChannelDefaults(TModul& module, int channels, std::string_view word, std::string_view comment) {
    module.Parameter.clear();
    for (int channel = 1; channel <= channels; ++channel) {
        module.Parameter.append(word).append(",");
        module.ParameterComment[static_cast<std::size_t>(channel)] = comment;
    }
}

}  // namespace korvo
