#include "korvo_ao_2v.h"

#include "measured_value_errors.h"
#include "module_data.h"

#include "station/station_model.h"

#include <stdexcept>

namespace korvo::Korvo_AO_2V {

namespace {

constexpr OutputRange kRanges[] = {
    {"  0..10 Volt", 0.0f, 10.0f, 0.0f, 30000.0f, "V"},
    {"-10..10 Volt", -10.0f, 10.0f, -30000.0f, 30000.0f, "V"},
};

}  // namespace

std::span<const OutputRange> Ranges() {
    return kRanges;
}

void Dialog::FormShow(const StationModel& model) {
    Take(model, model.CurrentModule);
}

void Dialog::Take(const StationModel& model, int slot) {
    edited_ = slot;
    const TModul* module = ModuleOfType(model, edited_, TypeName());
    const ModuleDialogState sent = module != nullptr ? module->DialogState : ModuleDialogState{};
    for (int channel = 1; channel <= kChannels; ++channel) {
        const auto c = static_cast<std::size_t>(channel - 1);
        ranges_[c] = 0;
        SetRangeOption(channel, sent.outputRange[c]);
        values_[c] = sent.outputValue[c].empty() ? kStartValue : sent.outputValue[c];
    }
}

void Dialog::SetRangeOption(int channel, int option) {
    if (channel >= 1 && channel <= kChannels && option >= 0 && option < static_cast<int>(std::size(kRanges)))
        ranges_[static_cast<std::size_t>(channel - 1)] = option;
}

ValueOutcome Dialog::Button1Click(StationModel& model) {
    std::string bytes;
    for (int channel = 1; channel <= kChannels; ++channel) {
        const OutputRange& range = kRanges[static_cast<std::size_t>(RangeOption(channel))];
        const float value = ReadOutputValue(ValueText(channel));
        if (const std::string violation = RangeViolation(range, value, ValueText(channel));
            !violation.empty())
            return {false, "channel " + std::to_string(channel) + ": " + violation};
        bytes += (channel > 1 ? "," : "") + WordBytesText(OutputWord(range, value));
    }
    TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr) return {true, "no module in slot " + std::to_string(edited_) + ", nothing sent"};
    module->OutputData = bytes;
    for (std::size_t c = 0; c < kChannels; ++c) {
        module->DialogState.outputRange[c] = ranges_[c];
        module->DialogState.outputValue[c] = values_[c];
    }
    return {true, "OutputData " + bytes};
}

std::optional<EngineeringValue> Dialog::OutputValue(const StationModel& model, int channel) const {
    const TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr || channel < 1 || channel > kChannels) return std::nullopt;
    const std::vector<std::uint16_t> words = OutputWords(module->OutputData, kChannels);
    if (words.empty()) return std::nullopt;
    // Both ranges give 3000 per volt; the words are two's complement.
    return ToEngineering(AnalogOutputScale(kRanges[1], true), words[static_cast<std::size_t>(channel - 1)]);
}

std::optional<std::array<std::string, Dialog::kChannels>> Dialog::Timer1Timer(
    const StationModel& model) const {
    const TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr) return std::nullopt;
    const auto bytes = ReadInputBytes(module->InputData, 2 * kChannels);
    if (!bytes) return std::nullopt;
    return std::array<std::string, kChannels>{OutputErrorText(WordAt(*bytes, 0)),
                                              OutputErrorText(WordAt(*bytes, 2))};
}

DialogChannel Dialog::Channel(int channel) const {
    DialogChannel shown;
    shown.channel = channel;
    DialogGroup& group = shown.groups.emplace_back();
    group.caption = "output";
    for (const OutputRange& range : kRanges) group.options.emplace_back(range.caption);
    group.selected = RangeOption(channel);
    shown.values.push_back({"value", ValueText(channel)});
    return shown;
}

void Dialog::Click(StationModel&, int channel, int group, int option) {
    if (group == 0) SetRangeOption(channel, option);
}

ValueOutcome Dialog::ApplyValues(StationModel& model, const std::vector<ValueSetting>& values) {
    for (const ValueSetting& setting : values) {
        if (setting.channel < 1 || setting.channel > kChannels || setting.name != "value")
            throw std::invalid_argument("the KORVO AO 2V dialog has one value per channel 1 and 2");
        SetValueText(setting.channel, setting.text);
    }
    return Button1Click(model);
}

}  // namespace korvo::Korvo_AO_2V
