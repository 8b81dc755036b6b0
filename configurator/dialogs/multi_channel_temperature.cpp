#include "multi_channel_temperature.h"

#include "module_data.h"

#include "station/versch.h"

namespace korvo {

namespace {

// A sensor code travels in one byte of the configuration command.
constexpr std::int32_t kMaxSensorCode = 255;

}  // namespace

MultiChannelTemperatureDialog::MultiChannelTemperatureDialog(const MultiChannelLayout& layout)
    : layout_(layout),
      codes_(static_cast<std::size_t>(layout.channels), 0),
      rows_(static_cast<std::size_t>(layout.valueRows)) {}

// A slot may have come to hold another module since it was taken (modules move when
// one is deleted); the dialog never writes into a module of another type.
TModul* MultiChannelTemperatureDialog::Edited(StationModel& model) const {
    TModul* module = model.Module(editedModule_);
    return module != nullptr && module->ModulType == layout_.typeName ? module : nullptr;
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
    if (const auto items = ReadParameterItems(module->Parameter, layout_.channels, 0, kMaxSensorCode)) codes_ = *items;
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

void MultiChannelTemperatureDialog::OutputClick(int output, bool ticked) {
    if (output < 1 || output > layout_.outputs) return;
    const auto bit = static_cast<std::uint8_t>(1u << (output - 1));
    outputBits_ = static_cast<std::uint8_t>(ticked ? outputBits_ | bit : outputBits_ & ~bit);
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
    std::string command;
    if (step_ == LastStep() && passComplete_) {
        command = CommandText(kApplyCommand, 0, 0);
        step_ = kFirstStep;
        passComplete_ = false;
    } else if (step_ == LastStep()) {
        const int unit = layout_.unitChoice && fahrenheit_ ? kFahrenheit : 0;
        command = CommandText(kConfigureCommand + configurationChannel_, unit, Code(configurationChannel_ + 1));
        if (++configurationChannel_ == layout_.channels) {
            configurationChannel_ = 0;
            passComplete_ = true;
        }
    } else {
        ++step_;
        command = CommandText(step_, outputBits_, 0);
    }
    TModul* module = Edited(model);
    if (module == nullptr) return;
    module->OutputData = command;
    ShowResponse(*module);
}

void MultiChannelTemperatureDialog::ShowResponse(const TModul& module) {
    // A short or garbled response keeps the last good display.
    const auto record = ReadInputBytes(module.InputData, kRecordBytes);
    if (!record) return;
    const std::vector<std::uint8_t>& r = *record;
    const int pair = r[0] - kReadCommand;
    if (pair < 0 || 2 * pair + 1 >= layout_.valueRows) return;
    for (std::size_t k = 0; k < 2; ++k) {
        ValueRow& row = rows_[static_cast<std::size_t>(2 * pair) + k];
        row.current = TenthsText(WordAt(r, 2 + 2 * k));
        row.actual = TenthsText(WordAt(r, 6 + 2 * k));
        row.error = std::to_string(r[10 + k]);
    }
}

}  // namespace korvo
