#pragma once
// Logic of the "KORVO AO 2V" properties dialog: two output voltages, each checked
// against its channel's range and sent together as two output words; the error
// words the module reports are shown once a second.

#include "analog_output_value.h"
#include "module_dialog.h"

#include <array>
#include <optional>
#include <span>
#include <string>

namespace korvo::Korvo_AO_2V {

// The ranges of each channel's group "output" in the window's order.
std::span<const OutputRange> Ranges();

class Dialog : public ModuleDialog {
public:
    static constexpr int kChannels = 2;
    static constexpr int kTimerMs = 1000;

    void FormShow(const StationModel& model);

    int RangeOption(int channel) const { return ranges_[static_cast<std::size_t>(channel - 1)]; }
    void SetRangeOption(int channel, int option);
    const std::string& ValueText(int channel) const { return values_[static_cast<std::size_t>(channel - 1)]; }
    void SetValueText(int channel, std::string text) {
        values_[static_cast<std::size_t>(channel - 1)] = std::move(text);
    }

    // Button1Click "Send Date": both values are read and checked, channel 1 first;
    // only when both lie in their ranges does OutputData get both words (four bytes).
    // The first value outside its range puts the violated limit into its field and
    // nothing is sent, so the module never gets a half-written output. A text that is
    // no number throws ConversionError; nothing is sent.
    ValueOutcome Button1Click(StationModel& model);
    // Timer1Timer: the error labels of both channels by bit matching, or nothing when
    // the module has no (or short) input data.
    std::optional<std::array<std::string, kChannels>> Timer1Timer(const StationModel& model) const;

    int EditedModule() const { return edited_; }

    std::string TypeName() const override { return "KORVO AO 2V"; }
    int ChannelCount() const override { return kChannels; }
    void Open(StationModel&, int slot) override { edited_ = slot; }
    DialogChannel Channel(int channel) const override;
    void Click(StationModel& model, int channel, int group, int option) override;
    bool HasSave() const override { return false; }
    void Save(StationModel&) override {}
    std::vector<std::string> ValueNames() const override { return {"value"}; }
    ValueOutcome ApplyValues(StationModel& model, const std::vector<ValueSetting>& values) override;

private:
    int edited_ = 0;
    std::array<int, kChannels> ranges_{};
    std::array<std::string, kChannels> values_{"10,000", "10,000"};
};

}  // namespace korvo::Korvo_AO_2V
