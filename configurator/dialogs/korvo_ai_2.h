#pragma once
// Logic of the "KORVO AI 2" properties dialog: two channels side by side, one
// parameter word per channel, the measured words of both channels once a second.

#include "analog_input_options.h"
#include "engineering_value.h"
#include "module_dialog.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace korvo {

struct TModul;

namespace Korvo_AI_2 {

// Writes the type's default parameter words and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

class Dialog : public ModuleDialog {
public:
    static constexpr int kChannels = 2;
    static constexpr int kTimerMs = 1000;

    // The edited module becomes the station's current module.
    void FormShow(const StationModel& model);
    // Loads both words from Parameter (an empty one gives the default words), sets
    // the options through `setOption` and rebuilds both comments. A malformed
    // Parameter throws ConversionError and changes neither the words, the options
    // nor the comments.
    void FormActivate(StationModel& model, const AnalogOptionSetter& setOption);
    // Radio1Click (channel 1) and RadioClick2 (channel 2): the option with the tag
    // changes the channel's word; ignored while loading.
    void OptionClick(int channel, int tag);
    // "Save Configuration" up to the automatic save: both comments, then Parameter
    // without a trailing comma.
    void SaveConfiguration(StationModel& model);
    // Timer1Timer: the measured words of both channels in the units of the words the
    // module measures with, or nothing when the display is to stay as it is (no
    // module, no or short input data).
    std::optional<std::array<EngineeringValue, kChannels>> Timer1Timer(const StationModel& model) const;

    int EditedModule() const { return edited_; }
    std::uint16_t Word(int channel) const { return words_[static_cast<std::size_t>(channel - 1)]; }
    bool Loading() const { return loading_; }

    std::string TypeName() const override { return "KORVO AI 2"; }
    int ChannelCount() const override { return kChannels; }
    void Open(StationModel& model, int slot) override;
    DialogChannel Channel(int channel) const override;
    void Click(StationModel& model, int channel, int group, int option) override;
    void Save(StationModel& model) override { SaveConfiguration(model); }
    std::optional<WordScale> MeasuredScale(const StationModel& model, int channel) const override;

private:
    void RebuildComments(TModul& module) const;

    int edited_ = 0;
    std::array<std::uint16_t, kChannels> words_{};
    bool loading_ = false;
};

}  // namespace Korvo_AI_2

}  // namespace korvo
