#include "multi_channel_temperature.h"

#include "parameter_items.h"

#include "../station/project_file.h"
#include "../station/station_model.h"
#include "../station/versch.h"

#include <filesystem>

namespace korvo {

namespace {

// A sensor code travels in one byte of the configuration command.
constexpr std::int32_t kMaxSensorCode = 255;

}  // namespace

MultiChannelTemperatureDialog::MultiChannelTemperatureDialog(const MultiChannelLayout& layout, StationModel& model)
    : layout_(layout),
      model_(model),
      codes_(static_cast<std::size_t>(layout.channels), 0),
      rows_(static_cast<std::size_t>(layout.valueRows)) {}

void MultiChannelTemperatureDialog::FormShow() { editedModule_ = model_.CurrentModule; }

void MultiChannelTemperatureDialog::FormActivate() {
    editedModule_ = model_.CurrentModule;
    currentChannel_ = 1;
    LoadChannel();
    step_ = kFirstStep;
}

void MultiChannelTemperatureDialog::LoadChannel() {
    const TModul* module = model_.Module(editedModule_);
    if (module == nullptr) {
        timerEnabled_ = true;
        return;
    }
    if (!module->Parameter.empty()) {
        codes_ = ReadParameterItems(module->Parameter, layout_.channels, 0, kMaxSensorCode);
    }
    loading_ = true;
    selectedSensor_ = 0;
    for (std::size_t i = 0; i < layout_.sensors.size(); ++i) {
        if (layout_.sensors[i].code == Code(currentChannel_)) selectedSensor_ = static_cast<int>(i);
    }
    loading_ = false;
    model_.Module(editedModule_)->ParameterComment[currentChannel_] =
        layout_.sensors[static_cast<std::size_t>(selectedSensor_)].loadComment;
    timerEnabled_ = true;
}

bool MultiChannelTemperatureDialog::SensorClick(int option) {
    if (loading_ || option < 0 || option >= static_cast<int>(layout_.sensors.size())) return false;
    selectedSensor_ = option;
    codes_[static_cast<std::size_t>(currentChannel_ - 1)] = layout_.sensors[static_cast<std::size_t>(option)].code;
    WriteParameter();
    return true;
}

void MultiChannelTemperatureDialog::OutputClick(int output, bool ticked) {
    if (output < 1 || output > layout_.outputs) return;
    const auto bit = static_cast<std::uint8_t>(1u << (output - 1));
    outputBits_ = static_cast<std::uint8_t>(ticked ? outputBits_ | bit : outputBits_ & ~bit);
}

void MultiChannelTemperatureDialog::NextChannel() {
    currentChannel_ = currentChannel_ % layout_.channels + 1;
    LoadChannel();
}

void MultiChannelTemperatureDialog::WriteParameter() {
    if (TModul* module = model_.Module(editedModule_)) module->Parameter = CommaListWithTrailing(codes_);
}

void MultiChannelTemperatureDialog::Save() {
    TModul* module = model_.Module(editedModule_);
    if (module == nullptr) return;
    std::string previous = layout_.sensors[static_cast<std::size_t>(selectedSensor_)].loadComment;
    module->ParameterComment[currentChannel_] = previous;
    WriteParameter();
    // A code no option has takes the comment of the channel before it.
    for (int channel = 1; channel <= layout_.channels; ++channel) {
        for (const SensorOption& sensor : layout_.sensors) {
            if (sensor.code == Code(channel)) previous = sensor.saveComment;
        }
        module->ParameterComment[channel] = previous;
    }
    SaveProject(model_, std::filesystem::path(model_.ProgramFolder()) / "korvo.ini");
}

std::string MultiChannelTemperatureDialog::CommandText(int code, int byte2, int byte3) {
    std::vector<std::int32_t> record(kRecordBytes, 0);
    record[0] = code;
    record[1] = byte2;
    record[2] = byte3;
    return CommaListWithTrailing(record);
}

void MultiChannelTemperatureDialog::TimerTick() {
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
    TModul* module = model_.Module(editedModule_);
    if (module == nullptr) return;
    module->OutputData = command;
    ShowResponse();
}

void MultiChannelTemperatureDialog::ShowResponse() {
    const TModul* module = model_.Module(editedModule_);
    if (module->InputData.empty()) return;
    // A short or garbled response keeps the last good display.
    const auto record = ReadInputBytes(module->InputData, kRecordBytes);
    if (!record) return;
    const std::vector<std::uint8_t>& r = *record;
    const int pair = r[0] - kReadCommand;
    if (pair < 0 || 2 * pair + 1 >= layout_.valueRows) return;
    for (int k = 0; k < 2; ++k) {
        ValueRow& row = rows_[static_cast<std::size_t>(2 * pair + k)];
        row.current = TenthsText(r[static_cast<std::size_t>(2 + 2 * k)] << 8 | r[static_cast<std::size_t>(3 + 2 * k)]);
        row.actual = TenthsText(r[static_cast<std::size_t>(6 + 2 * k)] << 8 | r[static_cast<std::size_t>(7 + 2 * k)]);
        row.error = std::to_string(r[static_cast<std::size_t>(10 + k)]);
    }
}

}  // namespace korvo
