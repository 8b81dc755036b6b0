#pragma once
// Logic of the "KORVO AI 8" properties dialog: eight parameter words, the options of
// one channel at a time, every click written to Parameter at once, and the values
// of all eight channels as the I/O test reads them one channel per exchange.

#include "analog_input_options.h"
#include "engineering_value.h"
#include "module_dialog.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace korvo {

struct TModul;

namespace Korvo_AI_8 {

// Writes the type's default parameter words and channel comments into a module that
// has just been placed; the dialog's own state is not touched.
void SetDefaults(TModul& module);

// What one tick shows: all eight values, each with its error text, and the marker of
// the channel the I/O test reads next (0: none).
struct Ai8Display {
    std::array<EngineeringValue, 8> values{};
    int marker = 0;
};

class Dialog : public ModuleDialog {
public:
    static constexpr int kChannels = 8;
    static constexpr int kTimerMs = 500;

    // FormActivate: the station's current module becomes the edited one when it is
    // an AI 8; channel 1 is shown and loaded, an empty Parameter giving the default
    // words. A malformed Parameter throws ConversionError and changes neither the
    // words, the options nor the comments.
    void FormActivate(StationModel& model, const AnalogOptionSetter& setOption);
    // Button3Click: the next channel (1 after 8) is shown and loaded.
    void Button3Click(StationModel& model, const AnalogOptionSetter& setOption);
    // "next channel " followed by the channel shown.
    std::string Button3Caption() const { return "next channel " + std::to_string(current_); }
    // Radio1Click: the option with the tag changes the shown channel's word, and
    // Parameter is written from all eight words at once; ignored while loading.
    void OptionClick(StationModel& model, int tag);
    // "Save Configuration" up to the automatic save: the comments of all channels,
    // then Parameter with a trailing comma.
    void SaveConfiguration(StationModel& model);
    // Timer1Timer; nothing while no module is edited.
    std::optional<Ai8Display> Timer1Timer(const StationModel& model) const;

    int EditedModule() const { return edited_; }
    int CurrentChannel() const { return current_; }
    std::uint16_t Word(int channel) const { return words_[static_cast<std::size_t>(channel - 1)]; }

    std::string TypeName() const override { return "KORVO AI 8"; }
    int ChannelCount() const override { return kChannels; }
    void Open(StationModel& model, int slot) override;
    DialogChannel Channel(int channel) const override;
    void Click(StationModel& model, int channel, int group, int option) override;
    void Save(StationModel& model) override { SaveConfiguration(model); }
    std::optional<WordScale> MeasuredScale(const StationModel& model, int channel) const override;

private:
    void LoadChannel(StationModel& model, int channel, const AnalogOptionSetter& setOption);
    void WriteParameter(TModul& module) const;

    int edited_ = 0;
    std::array<std::uint16_t, kChannels> words_{};
    bool loading_ = false;
    int current_ = 1;
};

}  // namespace Korvo_AI_8
}  // namespace korvo
