#pragma once
// Logic of the "KORVO AO 2V" properties dialog: two output voltages, each checked
// against its channel's range and sent together as two output words; the error
// words the module reports are shown once a second. The ranges and values last sent
// belong to the module, so its window shows them again.

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
    static constexpr const char* kStartValue = "10,000";

    // The window is shown: the current module is edited from now on, with the ranges
    // and values last sent to it (the first range and the start text before).
    void FormShow(const StationModel& model);

    int RangeOption(int channel) const { return ranges_[static_cast<std::size_t>(channel - 1)]; }
    void SetRangeOption(int channel, int option);
    const std::string& ValueText(int channel) const { return values_[static_cast<std::size_t>(channel - 1)]; }
    void SetValueText(int channel, std::string text) {
        values_[static_cast<std::size_t>(channel - 1)] = std::move(text);
    }

    // Button1Click "Send Date": both values are read and checked, channel 1 first;
    // only when both lie in their ranges does OutputData get both words (four bytes),
    // and ranges and texts become the module's. The first value outside its range is
    // reported and nothing is sent, so the module never gets a half-written output;
    // the fields keep their texts. A text that is no number throws ConversionError;
    // nothing is sent.
    ValueOutcome Button1Click(StationModel& model);
    // Timer1Timer: the error labels of both channels by bit matching, or nothing when
    // the module has no (or short) input data.
    std::optional<std::array<std::string, kChannels>> Timer1Timer(const StationModel& model) const;

    int EditedModule() const { return edited_; }

    std::string TypeName() const override { return "KORVO AO 2V"; }
    int ChannelCount() const override { return kChannels; }
    void Open(StationModel& model, int slot) override { Take(model, slot); }
    DialogChannel Channel(int channel) const override;
    void Click(StationModel& model, int channel, int group, int option) override;
    bool HasSave() const override { return false; }
    void Save(StationModel&) override {}
    std::vector<std::string> ValueNames() const override { return {"value"}; }
    ValueOutcome ApplyValues(StationModel& model, const std::vector<ValueSetting>& values) override;
    // A channel's output word in OutputData, in volts.
    bool HasOutputValues() const override { return true; }
    std::optional<EngineeringValue> OutputValue(const StationModel& model, int channel) const override;

private:
    void Take(const StationModel& model, int slot);

    int edited_ = 0;
    std::array<int, kChannels> ranges_{};
    std::array<std::string, kChannels> values_{kStartValue, kStartValue};
};

}  // namespace korvo::Korvo_AO_2V
