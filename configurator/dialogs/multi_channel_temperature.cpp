#include "multi_channel_temperature.h"

#include "engineering_value.h"
#include "measured_value_errors.h"
#include "module_data.h"

#include "station/versch.h"

namespace korvo {


MultiChannelTemperatureDialog::MultiChannelTemperatureDialog(const MultiChannelLayout& layout)
    : layout_(layout),
      codes_(static_cast<std::size_t>(layout.channels), 0),
      rows_(static_cast<std::size_t>(layout.valueRows)) {}

// A slot may have come to hold another module since it was taken (modules move when
// one is deleted); the dialog never writes into a module of another type.
TModul* MultiChannelTemperatureDialog::Edited(StationModel& model) const {
    return ModuleOfType(model, editedModule_, layout_.typeName);
}

const TModul* MultiChannelTemperatureDialog::Edited(const StationModel& model) const {
    return ModuleOfType(model, editedModule_, layout_.typeName);
}

const ModuleDialogState& MultiChannelTemperatureDialog::State(const StationModel& model) const {
    static const ModuleDialogState kFresh;
    const TModul* module = Edited(model);
    return module != nullptr ? module->DialogState : kFresh;
}

void MultiChannelTemperatureDialog::FormShow(const StationModel& model) {
    editedModule_ = model.CurrentModule;
    rows_.assign(rows_.size(), ValueRow{});
}

void MultiChannelTemperatureDialog::FormActivate(StationModel& model) {
    // The current module may be one of another type clicked in the station view
    // meanwhile; the dialog then goes on with the module it was opened for.
    const TModul* current = model.Module(model.CurrentModule);
    if (current != nullptr && current->ModulType == layout_.typeName) editedModule_ = model.CurrentModule;
    currentChannel_ = 1;
    LoadChannel(model);
    step_ = kFirstStep;
}

void MultiChannelTemperatureDialog::Open(StationModel& model, int slot) {
    editedModule_ = slot;
    rows_.assign(rows_.size(), ValueRow{});
    currentChannel_ = 1;
    LoadChannel(model);
    step_ = kFirstStep;
    timerEnabled_ = false;
}

int MultiChannelTemperatureDialog::OptionOf(std::int32_t code) const {
    for (std::size_t i = 0; i < layout_.sensors.size(); ++i) {
        if (layout_.sensors[i].code == code) return static_cast<int>(i);
    }
    return 0;
}

void MultiChannelTemperatureDialog::LoadChannel(StationModel& model) {
    TModul* module = Edited(model);
    if (module == nullptr) {
        timerEnabled_ = true;
        return;
    }
    // The first option's code is the type's default.
    const auto items = ReadParameterItems(module->Parameter, layout_.channels, 0, kMaxSensorCode);
    codes_ = items ? *items : std::vector<std::int32_t>(codes_.size(), layout_.sensors.front().code);
    loading_ = true;
    selectedSensor_ = OptionOf(Code(currentChannel_));
    loading_ = false;
    module->ParameterComment[currentChannel_] = layout_.sensors[static_cast<std::size_t>(selectedSensor_)].loadComment;
    timerEnabled_ = true;
}

bool MultiChannelTemperatureDialog::SensorClick(StationModel& model, int option) {
    if (loading_ || option < 0 || option >= static_cast<int>(layout_.sensors.size())) return false;
    selectedSensor_ = option;
    codes_[static_cast<std::size_t>(currentChannel_ - 1)] = layout_.sensors[static_cast<std::size_t>(option)].code;
    WriteParameter(model);
    return true;
}

void MultiChannelTemperatureDialog::OutputClick(StationModel& model, int output, bool ticked) {
    TModul* module = Edited(model);
    if (module == nullptr || output < 1 || output > layout_.outputs) return;
    std::uint8_t& bits = module->DialogState.outputBits;
    const auto bit = static_cast<std::uint8_t>(1u << (output - 1));
    bits = static_cast<std::uint8_t>(ticked ? bits | bit : bits & ~bit);
}

void MultiChannelTemperatureDialog::UnitClick(StationModel& model, bool fahrenheit) {
    if (TModul* module = Edited(model)) module->DialogState.fahrenheit = fahrenheit;
}

void MultiChannelTemperatureDialog::NextChannel(StationModel& model) {
    currentChannel_ = currentChannel_ % layout_.channels + 1;
    LoadChannel(model);
}

void MultiChannelTemperatureDialog::Click(StationModel& model, int channel, int group, int option) {
    if (group != 0 || channel < 1 || channel > layout_.channels) return;
    if (channel != currentChannel_) {
        currentChannel_ = channel;
        LoadChannel(model);
    }
    SensorClick(model, option);
}

DialogChannel MultiChannelTemperatureDialog::Channel(int channel) const {
    DialogChannel shown;
    shown.channel = channel;
    shown.word = Code(channel);
    DialogGroup group;
    group.caption = "sensor typ";
    for (const SensorOption& sensor : layout_.sensors) group.options.emplace_back(sensor.caption);
    group.selected = OptionOf(Code(channel));
    shown.comment = layout_.sensors[static_cast<std::size_t>(group.selected)].loadComment;
    shown.groups.push_back(std::move(group));
    return shown;
}

std::optional<WordScale> MultiChannelTemperatureDialog::MeasuredScale(const StationModel& model,
                                                                      int channel) const {
    return MultiChannelTemperatureScale(Code(channel),
                                        (State(model).appliedFahrenheit >> (channel - 1) & 1u) != 0);
}

void MultiChannelTemperatureDialog::WriteParameter(StationModel& model) {
    if (TModul* module = Edited(model)) module->Parameter = ParameterText(codes_, true);
}

void MultiChannelTemperatureDialog::SaveConfiguration(StationModel& model) {
    TModul* module = Edited(model);
    if (module == nullptr) return;
    std::string previous = layout_.sensors[static_cast<std::size_t>(selectedSensor_)].loadComment;
    module->ParameterComment[currentChannel_] = previous;
    WriteParameter(model);
    // A code no option has takes the comment of the channel before it.
    for (int channel = 1; channel <= layout_.channels; ++channel) {
        for (const SensorOption& sensor : layout_.sensors) {
            if (sensor.code == Code(channel)) previous = sensor.saveComment;
        }
        module->ParameterComment[channel] = previous;
    }
}

std::string MultiChannelTemperatureDialog::CommandText(int code, int byte2, int byte3) {
    std::vector<std::int32_t> record(kRecordBytes, 0);
    record[0] = code;
    record[1] = byte2;
    record[2] = byte3;
    return ParameterText(record, true);
}

void MultiChannelTemperatureDialog::TimerTick(StationModel& model) {
    TModul* module = Edited(model);
    if (module == nullptr) return;
    module->OutputData = NextCommand(module->DialogState);
    ShowResponse(model, *module);
}

std::string MultiChannelTemperatureDialog::NextCommand(ModuleDialogState& state) {
    if (step_ == LastStep() && state.passComplete) {
        step_ = kFirstStep;
        state.passComplete = false;
        // From now on the module reads in the units configured.
        state.appliedFahrenheit = state.configuredFahrenheit;
        return CommandText(kApplyCommand, 0, 0);
    }
    if (step_ == LastStep()) {
        const int channel = state.configurationChannel;
        const bool fahrenheit = layout_.unitChoice && state.fahrenheit;
        const auto bit = static_cast<std::uint8_t>(1u << channel);
        state.configuredFahrenheit = static_cast<std::uint8_t>(
            fahrenheit ? state.configuredFahrenheit | bit : state.configuredFahrenheit & ~bit);
        if (++state.configurationChannel == layout_.channels) {
            state.configurationChannel = 0;
            state.passComplete = true;
        }
        return CommandText(kConfigureCommand + channel, fahrenheit ? kFahrenheit : 0, Code(channel + 1));
    }
    ++step_;
    return CommandText(step_, state.outputBits, 0);
}

void MultiChannelTemperatureDialog::ShowResponse(const StationModel& model, const TModul& module) {
    // A short or garbled response keeps the last good display.
    const auto record = ReadInputBytes(module.InputData, kRecordBytes);
    if (!record) return;
    const std::vector<std::uint8_t>& r = *record;
    const int pair = r[0] - kReadCommand;
    if (pair < 0 || 2 * pair + 1 >= layout_.valueRows) return;
    for (std::size_t k = 0; k < 2; ++k) {
        const int channel = 2 * pair + static_cast<int>(k) + 1;
        ValueRow& row = rows_[static_cast<std::size_t>(channel - 1)];
        const EngineeringValue actual = ToEngineering(*MeasuredScale(model, channel), WordAt(r, 6 + 2 * k));
        row.actual = actual.ValueText();
        row.word = actual.WordText();
        row.current = ToEngineering(SensorCurrentScale(), WordAt(r, 2 + 2 * k)).ValueText();
        const std::uint8_t error = r[10 + k];
        const std::string text = ErrorByteText(error);
        row.error = std::to_string(error) + (text.empty() ? "" : " " + text);
    }
}

}  // namespace korvo
