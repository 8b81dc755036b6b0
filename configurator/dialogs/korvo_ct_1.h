#pragma once
// Logic of the "KORVO CT 1" counter dialog: the configuration word W with its three
// families (event counter, time-controlled and state-controlled frequency), the mode
// buttons and option groups that edit it, the comment, and the command words the
// dialog puts into the module's OutputData for the I/O test to send.

#include "module_dialog.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace korvo {

// The three mode buttons; None when every button is up.
enum class CounterMode { None, EventCounter, TimeFrequency, StateFrequency };

// The option groups; "time controlled frequenz" holds the gate-time field instead.
enum class CounterGroup { Continuation, Gate, Output, StateGate, Direction, TimeFrequency };
inline constexpr int kCounterGroupCount = 6;

struct CounterOption {
    int tag;
    CounterGroup group;
    std::uint16_t value;  // the field value, or the whole word for the state gate
    const char* caption;  // Windows-1252
    const char* comment;
};

// All options in tag order (1..19).
std::span<const CounterOption> CounterOptions();
// Group captions as the window shows them; two groups are called "Gate".
const char* CounterGroupCaption(CounterGroup group);

// The buttons that write a fixed command word.
enum class CounterCommand { Start, Stop, Reset, Read };

namespace Korvo_CT_1 {

inline constexpr const char* kTypeName = "KORVO CT 1";
// The command-line name of the gate-time field, in 1/100 s.
inline constexpr const char* kGateTimeValue = "gate-time";
// The caption the mode buttons go by where they form one group.
inline constexpr const char* kModeGroup = "mode";

class Dialog : public ModuleDialog {
public:
    static constexpr int kTimerMs = 1000;

    // Window shown: the dialog edits the current module from now on and shows none of
    // another module's values; a gate time typed for another module goes.
    void FormShow(const StationModel& model);
    // Every activation: loads W from Parameter (an empty one gives the default word)
    // and sets buttons, groups and options. Throws ConversionError for a first item
    // that is not a word; nothing changes then.
    void FormActivate(StationModel& model);
    // An option clicked by the user.
    void OptionClick(int tag);
    // A mode button clicked: the button that is down goes up, any other goes down.
    // In the time mode a gate-time text that is no number throws ConversionError.
    void ModeButtonClick(CounterMode button);
    // The gate-time field's text changed. Throws ConversionError for a text that is
    // not a number; W stays as it was.
    void Edit1Change(const std::string& text);
    // "Save Configuration" (and "Exit") up to the automatic save: comment, Parameter
    // and the configuration command in OutputData.
    void SaveConfiguration(StationModel& model);
    void SendCommand(StationModel& model, CounterCommand command);
    // "startvalue" / "endvalue" with the text of the field beside the button.
    // Throws ConversionError for a text that is not a number in 0..65535.
    void SendStartValue(StationModel& model, const std::string& text);
    void SendEndValue(StationModel& model, const std::string& text);
    // Timer tick: shows the configuration echo and the counter value from InputData.
    // Returns false (showing nothing new) while the module has no complete input.
    bool ShowInputWords(const StationModel& model);

    std::uint16_t W() const { return w_; }
    CounterMode Mode() const { return mode_; }
    bool GroupEnabled(CounterGroup group) const { return enabled_[static_cast<int>(group)]; }
    // Tag of the selected option of a group, 0 when none is selected.
    int SelectedTag(CounterGroup group) const { return selected_[static_cast<int>(group)]; }
    const std::string& GateTimeText() const { return gateTime_; }
    const std::string& ConfigValueText() const { return configValue_; }
    const std::string& CounterValueText() const { return counterValue_; }
    // The counter value with its unit, e.g. "300 counts"; empty before the first.
    const std::string& CounterUnitText() const { return counterUnit_; }
    int EditedModule() const { return edited_; }
    // The comment of the present choice, as saving writes it.
    std::string Comment() const;

    // The headless face: one channel whose groups are the mode buttons ("mode") and
    // the option groups enabled now, as only those take clicks in the window (this
    // also keeps the two "Gate" groups apart); choosing the mode that is down already
    // keeps it down.
    std::string TypeName() const override { return kTypeName; }
    int ChannelCount() const override { return 1; }
    void Open(StationModel& model, int slot) override;
    DialogChannel Channel(int channel) const override;
    void Click(StationModel& model, int channel, int group, int option) override;
    void Save(StationModel& model) override { SaveConfiguration(model); }
    std::vector<std::string> ValueNames() const override { return {kGateTimeValue}; }
    ValueOutcome ApplyValues(StationModel& model, const std::vector<ValueSetting>& values) override;
    std::optional<WordScale> MeasuredScale(const StationModel&, int) const override { return CounterScale(); }

private:
    std::vector<CounterGroup> EnabledFaceGroups() const;
    void SelectOptionsFromW();
    void EnableOnly(std::initializer_list<CounterGroup> groups);
    std::uint16_t SelectedValue(CounterGroup group) const;
    void SetCommand(StationModel& model, std::uint16_t command, std::uint16_t value);

    int edited_ = 0;
    std::uint16_t w_ = 0;
    CounterMode mode_ = CounterMode::StateFrequency;
    // At program start "state controlled frequenz" is down and its group enabled.
    std::array<bool, kCounterGroupCount> enabled_{false, false, false, true, true, false};
    std::array<int, kCounterGroupCount> selected_{};
    std::string gateTime_ = "100";
    std::string configValue_ = "0";
    std::string counterValue_ = "0";
    std::string counterUnit_;
};

}  // namespace Korvo_CT_1
}  // namespace korvo
