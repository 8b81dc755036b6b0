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
    edited_ = model.CurrentModule;
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
        if (const std::string limit = ViolatedLimit(range, value); !limit.empty()) {
            SetValueText(channel, limit);
            return {false, "channel " + std::to_string(channel) + " value outside " +
                               std::string(range.caption) + ": set to " + limit + ", nothing sent"};
        }
        bytes += (channel > 1 ? "," : "") + WordBytesText(OutputWord(range, value));
    }
    TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr) return {true, "no module in slot " + std::to_string(edited_) + ", nothing sent"};
    module->OutputData = bytes;
    return {true, "OutputData " + bytes};
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
