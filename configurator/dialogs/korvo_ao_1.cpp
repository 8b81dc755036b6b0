#include "korvo_ao_1.h"

#include "station/station_model.h"

#include <stdexcept>

namespace korvo::Korvo_AO_1 {

namespace {

constexpr OutputRange kRanges[] = {
    {"0..10 Volt", 0.0f, 10.0f, 0.0f, 65535.0f, "V"},
    {"0..20 mA", 0.0f, 20.0f, 0.0f, 65535.0f, "mA"},
    {"4..20 mA", 4.0f, 20.0f, 0.0f, 65535.0f, "mA"},
};

}  // namespace

std::span<const OutputRange> Ranges() {
    return kRanges;
}

void Dialog::FormShow(const StationModel& model) {
    Take(model, model.CurrentModule);
}

void Dialog::Open(StationModel& model, int slot) {
    Take(model, slot);
}

void Dialog::Take(const StationModel& model, int slot) {
    edited_ = slot;
    const TModul* module = ModuleOfType(model, edited_, TypeName());
    const ModuleDialogState sent = module != nullptr ? module->DialogState : ModuleDialogState{};
    range_ = 0;
    SetRangeOption(sent.outputRange[0]);
    value_ = sent.outputValue[0].empty() ? kStartValue : sent.outputValue[0];
}

void Dialog::SetRangeOption(int option) {
    if (option >= 0 && option < static_cast<int>(std::size(kRanges))) range_ = option;
}

ValueOutcome Dialog::Button1Click(StationModel& model) {
    const OutputRange& range = kRanges[static_cast<std::size_t>(range_)];
    const float value = ReadOutputValue(value_);
    if (const std::string violation = RangeViolation(range, value, value_); !violation.empty())
        return {false, violation};
    const std::string bytes = WordBytesText(OutputWord(range, value));
    TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr) return {true, "no module in slot " + std::to_string(edited_) + ", nothing sent"};
    module->OutputData = bytes;
    module->DialogState.outputRange[0] = range_;
    module->DialogState.outputValue[0] = value_;
    return {true, "OutputData " + bytes};
}

std::optional<EngineeringValue> Dialog::OutputValue(const StationModel& model, int channel) const {
    const TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr || channel != 1) return std::nullopt;
    const std::vector<std::uint16_t> words = OutputWords(module->OutputData, 1);
    if (words.empty()) return std::nullopt;
    const OutputRange& sent = kRanges[static_cast<std::size_t>(module->DialogState.outputRange[0])];
    return ToEngineering(AnalogOutputScale(sent, false), words[0]);
}

DialogChannel Dialog::Channel(int channel) const {
    DialogChannel shown;
    shown.channel = channel;
    DialogGroup& group = shown.groups.emplace_back();
    group.caption = "output";
    for (const OutputRange& range : kRanges) group.options.emplace_back(range.caption);
    group.selected = range_;
    shown.values.push_back({"value", value_});
    return shown;
}

void Dialog::Click(StationModel&, int channel, int group, int option) {
    if (channel == 1 && group == 0) SetRangeOption(option);
}

ValueOutcome Dialog::ApplyValues(StationModel& model, const std::vector<ValueSetting>& values) {
    for (const ValueSetting& setting : values) {
        if (setting.channel != 1 || setting.name != "value")
            throw std::invalid_argument("the KORVO AO 1 dialog has one value, on channel 1");
        value_ = setting.text;
    }
    return Button1Click(model);
}

}  // namespace korvo::Korvo_AO_1
