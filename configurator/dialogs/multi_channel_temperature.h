#pragma once
// The logic of the multi-channel temperature dialogs (TC 4, TC 8, RT 6): one sensor
// code per channel, and while the window is active a command step every 500 ms that
// writes the module's "OutputData" (read commands carrying the digital outputs, one
// configuration command per channel, the apply command) and shows the latest
// response from "InputData". The outputs, the unit and the command sequence belong to
// the module (its DialogState), so each module's window goes on where that module's
// left off. The window only binds controls to it.

#include "module_dialog.h"

#include "station/station_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvo {

struct SensorOption {
    int code;
    const char* caption;
    // The comment on loading a channel and on saving; a few differ in letters or blanks.
    const char* loadComment;
    const char* saveComment;
};

struct MultiChannelLayout {
    const char* typeName;
    const char* windowCaption;
    int channels;    // sensor channels kept, cycled and configured
    int valueRows;   // channels whose values the window shows
    int outputs;     // digital outputs "DO1".."DOn"
    bool unitChoice; // the "Celsius/Fahrenheit" group
    std::vector<SensorOption> sensors;
};

class MultiChannelTemperatureDialog : public ModuleDialog {
public:
    static constexpr int kTimerMs = 500;
    static constexpr int kRecordBytes = 12;
    static constexpr int kFirstStep = 7;
    static constexpr int kReadCommand = 8;
    static constexpr int kConfigureCommand = 24;
    static constexpr int kApplyCommand = 32;
    static constexpr int kFahrenheit = 32;
    // A sensor code travels in one byte of the configuration command.
    static constexpr std::int32_t kMaxSensorCode = 255;

    // A channel's row: the actual value with its unit and its word as the module sent
    // it, the sensor current, the error byte with its text.
    struct ValueRow {
        std::string actual;
        std::string word;
        std::string current;
        std::string error;
    };

    explicit MultiChannelTemperatureDialog(const MultiChannelLayout& layout);

    const MultiChannelLayout& Layout() const { return layout_; }
    int EditedModule() const { return editedModule_; }
    int CurrentChannel() const { return currentChannel_; }
    std::string NextChannelCaption() const { return "next channel " + std::to_string(currentChannel_); }
    int Code(int channel) const { return codes_.at(static_cast<std::size_t>(channel - 1)); }
    // Index into the sensor options of the option shown for the current channel.
    int SelectedSensor() const { return selectedSensor_; }
    // The outputs, unit and command sequence of the edited module; a fresh module's
    // while none is edited.
    const ModuleDialogState& State(const StationModel& model) const;
    int Step() const { return step_; }
    bool TimerEnabled() const { return timerEnabled_; }
    const std::vector<ValueRow>& Rows() const { return rows_; }

    // The window is shown: it edits the station's current module from now on, and
    // shows none of another module's values.
    void FormShow(const StationModel& model);
    // Every activation: back to channel 1 with the codes from "Parameter" (an empty
    // one gives the type's default codes) and a new series of read commands; the
    // module's configuration channel carries over. A malformed item throws
    // ConversionError, leaves the codes as they were and starts nothing.
    void FormActivate(StationModel& model);
    void FormDeactivate() { timerEnabled_ = false; }
    void FormClose() { timerEnabled_ = false; }
    // A click on the sensor option with this index; rewrites "Parameter" at once.
    bool SensorClick(StationModel& model, int option);
    // Output check box "DO<output>" (1-based) ticked or cleared.
    void OutputClick(StationModel& model, int output, bool ticked);
    void UnitClick(StationModel& model, bool fahrenheit);
    // "next channel": the following channel, 1 after the last. Throws like FormActivate.
    void NextChannel(StationModel& model);
    // "Save Configuration" up to the automatic save: the comments of every channel
    // and "Parameter".
    void SaveConfiguration(StationModel& model);
    // One command into "OutputData" and the latest response on display.
    void TimerTick(StationModel& model);

    std::string TypeName() const override { return layout_.typeName; }
    int ChannelCount() const override { return layout_.channels; }
    void Open(StationModel& model, int slot) override;
    DialogChannel Channel(int channel) const override;
    // Shows the channel as "next channel" would, then clicks the sensor option.
    void Click(StationModel& model, int channel, int group, int option) override;
    void Save(StationModel& model) override { SaveConfiguration(model); }
    // The actual value, in the unit the module was last configured to read in.
    std::optional<WordScale> MeasuredScale(const StationModel& model, int channel) const override;

    // The record texts the commands are written as.
    static std::string CommandText(int code, int byte2, int byte3);

private:
    TModul* Edited(StationModel& model) const;
    const TModul* Edited(const StationModel& model) const;
    void LoadChannel(StationModel& model);
    // The option a code selects: the one with that code, else the first.
    int OptionOf(std::int32_t code) const;
    // The last read command: one per pair of channels.
    int LastStep() const { return kReadCommand + layout_.channels / 2 - 1; }
    void WriteParameter(StationModel& model);
    // The next command of the sequence, advancing the module's state.
    std::string NextCommand(ModuleDialogState& state);
    void ShowResponse(const StationModel& model, const TModul& module);

    const MultiChannelLayout& layout_;
    int editedModule_ = 0;
    std::vector<std::int32_t> codes_;
    int currentChannel_ = 1;
    int selectedSensor_ = 0;
    int step_ = kFirstStep;
    bool loading_ = false;
    bool timerEnabled_ = false;
    std::vector<ValueRow> rows_;
};

}  // namespace korvo
