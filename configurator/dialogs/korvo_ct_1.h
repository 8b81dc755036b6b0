#pragma once
// Logic of the "KORVO CT 1" counter dialog: the configuration word W with its three
// families (event counter, time-controlled and state-controlled frequency), the mode
// buttons and option groups that edit it, the comment, and the command words the
// dialog puts into the module's OutputData for the I/O test to send.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace korvo {

class StationModel;
struct TModul;

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

class Korvo_CT_1 {
public:
    static constexpr const char* kTypeName = "KORVO CT 1";
    static constexpr int kTimerMs = 1000;

    // settingsFile is "korvo.ini" in the program folder, written after every save.
    Korvo_CT_1(StationModel& model, std::filesystem::path settingsFile);

    // Window shown: the dialog edits the current module from now on.
    void FormShow();
    // Every activation: loads W from Parameter and sets buttons, groups and options.
    // Throws ConversionError for a first item that is not a word; nothing changes then.
    void FormActivate();
    // An option clicked by the user.
    void OptionClick(int tag);
    // A mode button clicked: the button that is down goes up, any other goes down.
    void ModeButtonClick(CounterMode button);
    // The gate-time field's text changed. Throws ConversionError for a text that is
    // not a number; W stays as it was.
    void Edit1Change(const std::string& text);
    // "Save Configuration" (and "Exit" before closing). Throws ProfileError when
    // "korvo.ini" cannot be written; the module has its new texts already.
    void Save();
    void SendCommand(CounterCommand command);
    // "startvalue" / "endvalue" with the text of the field beside the button.
    // Throws ConversionError for a text that is not a number in 0..65535.
    void SendStartValue(const std::string& text);
    void SendEndValue(const std::string& text);
    // Timer tick: shows the configuration echo and the counter value from InputData.
    // Returns false (showing nothing new) while the module has no complete input.
    bool ShowInputWords();

    std::uint16_t W() const { return w_; }
    CounterMode Mode() const { return mode_; }
    bool GroupEnabled(CounterGroup group) const { return enabled_[static_cast<int>(group)]; }
    // Tag of the selected option of a group, 0 when none is selected.
    int SelectedTag(CounterGroup group) const { return selected_[static_cast<int>(group)]; }
    const std::string& GateTimeText() const { return gateTime_; }
    const std::string& ConfigValueText() const { return configValue_; }
    const std::string& CounterValueText() const { return counterValue_; }
    int EditedModule() const { return edited_; }
    // The comment of the present choice, as Save writes it.
    std::string Comment() const;

private:
    // The counter this dialog edits; null when the slot holds no counter any more.
    TModul* Counter();
    void SelectOptionsFromW();
    void EnableOnly(std::initializer_list<CounterGroup> groups);
    std::uint16_t SelectedValue(CounterGroup group) const;
    void SetCommand(std::uint16_t command, std::uint16_t value);

    StationModel& model_;
    std::filesystem::path settingsFile_;
    int edited_ = 0;
    std::uint16_t w_ = 0;
    CounterMode mode_ = CounterMode::StateFrequency;
    std::array<bool, kCounterGroupCount> enabled_{true, true, true, true, true, true};
    std::array<int, kCounterGroupCount> selected_{};
    std::string gateTime_ = "100";
    std::string configValue_ = "0";
    std::string counterValue_ = "0";
};

}  // namespace korvo
