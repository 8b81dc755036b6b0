#pragma once
// The logic of the two-channel temperature dialogs (RT 2, TC 2): one parameter word
// per channel split into option groups, the channel comments, the words written to
// "Parameter" and the measured values of both channels. The window only binds
// controls to it; the option tables of each type come with the type's unit.

#include "engineering_value.h"
#include "module_dialog.h"

#include "station/station_model.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

struct WordOption {
    int tag;
    int code;
    const char* caption;
    // The caption in channel 2 where it differs from channel 1, else null.
    const char* caption2;
    const char* comment;

    const char* CaptionIn(int channel) const { return channel == 2 && caption2 ? caption2 : caption; }
};

// One option group: a field of the word, its options in ascending code order.
struct WordGroup {
    const char* objectName;
    const char* caption;
    int shift;
    std::uint16_t mask;  // the field's bits before shifting
    int columns;         // how many columns the window spreads the options over
    const char* hint;    // shown on every option of the group, or null
    std::vector<WordOption> options;

    std::uint16_t FieldBits() const { return static_cast<std::uint16_t>(mask << shift); }
};

struct TwoChannelLayout {
    const char* typeName;
    const char* windowCaption;
    // Groups top to bottom, which is also the order of their comment pieces.
    std::vector<WordGroup> groups;
    // Groups the window places side by side with the group after them.
    std::vector<int> besideNext;
};

class TwoChannelTemperatureDialog : public ModuleDialog {
public:
    static constexpr int kChannels = 2;
    static constexpr int kTimerMs = 1000;

    explicit TwoChannelTemperatureDialog(const TwoChannelLayout& layout);

    const TwoChannelLayout& Layout() const { return layout_; }
    int EditedModule() const { return editedModule_; }
    std::uint16_t Word(int channel) const { return words_.at(static_cast<std::size_t>(channel - 1)); }
    bool TimerEnabled() const { return timerEnabled_; }
    // Index into the group's options of the option selected in a channel.
    int Selected(int channel, int group) const {
        return selected_.at(static_cast<std::size_t>(channel - 1)).at(static_cast<std::size_t>(group));
    }
    // The latest measured value of a channel; none before the first since the window
    // was shown.
    const std::optional<EngineeringValue>& Display(int channel) const {
        return display_.at(static_cast<std::size_t>(channel - 1));
    }

    // The window is shown: it edits the station's current module from now on, and
    // shows none of another module's values.
    void FormShow(const StationModel& model);
    // Every activation: takes the words from "Parameter" (an empty one gives the
    // default words), sets the options, rebuilds both comments and starts the timer.
    // A malformed item throws ConversionError and changes nothing.
    void FormActivate(StationModel& model);
    // A click on the option with the tag in a channel; false when it was ignored.
    bool OptionClick(int channel, int tag);
    // "Save Configuration" up to the automatic save: writes "Parameter" and both
    // channel comments rebuilt from the saved words.
    void SaveConfiguration(StationModel& model);
    void FormClose() { timerEnabled_ = false; }
    // Shows the measured values of both channels from the module's input bytes, in
    // the units of the words the module measures with.
    void TimerTick(const StationModel& model);

    // The comment the selected options of a channel give.
    std::string Comment(int channel) const;

    std::string TypeName() const override { return layout_.typeName; }
    int ChannelCount() const override { return kChannels; }
    void Open(StationModel& model, int slot) override;
    DialogChannel Channel(int channel) const override;
    void Click(StationModel& model, int channel, int group, int option) override;
    void Save(StationModel& model) override { SaveConfiguration(model); }
    std::optional<WordScale> MeasuredScale(const StationModel& model, int channel) const override;

private:
    TModul* Edited(StationModel& model) const;
    const TModul* Edited(const StationModel& model) const;
    void Load(StationModel& model);

    const TwoChannelLayout& layout_;
    int editedModule_ = 0;
    std::array<std::uint16_t, kChannels> words_{};
    std::array<std::vector<int>, kChannels> selected_;
    bool loading_ = false;
    bool timerEnabled_ = false;
    std::array<std::optional<EngineeringValue>, kChannels> display_;
};

// The option of a group that a field value selects: of the options in ascending code
// order, the last one whose code's bits are all set in the field.
int OptionForField(const WordGroup& group, std::uint16_t field);

}  // namespace korvo
