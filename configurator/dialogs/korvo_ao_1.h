#pragma once
// Logic of the "KORVO AO 1" properties dialog: one output value in engineering
// units, checked against the chosen range and sent as the module's output word. The
// range and value last sent belong to the module, so its window shows them again.

#include "analog_output_value.h"
#include "module_dialog.h"

#include <span>
#include <string>

namespace korvo::Korvo_AO_1 {

// The ranges of the group "output" in the window's order.
std::span<const OutputRange> Ranges();

class Dialog : public ModuleDialog {
public:
    static constexpr const char* kStartValue = "10,000";

    // The window is shown: the current module is edited from now on, with the range
    // and value last sent to it (the first range and the start text before).
    void FormShow(const StationModel& model);

    int RangeOption() const { return range_; }
    void SetRangeOption(int option);
    const std::string& ValueText() const { return value_; }
    void SetValueText(std::string text) { value_ = std::move(text); }

    // Button1Click "Send Date": a value in range goes into OutputData as high and low
    // byte of its word, and range and text become the module's. One outside says so
    // and sends nothing; the field keeps the text. A text that is no number throws
    // ConversionError; nothing is sent.
    ValueOutcome Button1Click(StationModel& model);

    int EditedModule() const { return edited_; }

    std::string TypeName() const override { return "KORVO AO 1"; }
    int ChannelCount() const override { return 1; }
    void Open(StationModel& model, int slot) override;
    DialogChannel Channel(int channel) const override;
    void Click(StationModel& model, int channel, int group, int option) override;
    bool HasSave() const override { return false; }
    void Save(StationModel&) override {}
    std::vector<std::string> ValueNames() const override { return {"value"}; }
    ValueOutcome ApplyValues(StationModel& model, const std::vector<ValueSetting>& values) override;
    // The output word in OutputData, in the range it was sent for.
    bool HasOutputValues() const override { return true; }
    std::optional<EngineeringValue> OutputValue(const StationModel& model, int channel) const override;

private:
    void Take(const StationModel& model, int slot);

    int edited_ = 0;
    int range_ = 0;
    std::string value_ = kStartValue;
};

}  // namespace korvo::Korvo_AO_1
