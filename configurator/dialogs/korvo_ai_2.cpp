#include "korvo_ai_2.h"

#include "module_data.h"
#include "station/station_model.h"

namespace korvo::Korvo_AI_2 {

void SetDefaults(TModul& module) {
    SetChannelDefaults(module, Dialog::kChannels, "0", "16 average/  0..10/FMT1 15bit/");
}

void Dialog::FormShow(const StationModel& model) {
    edited_ = model.CurrentModule;
}

void Dialog::FormActivate(StationModel& model, const AnalogOptionSetter& setOption) {
    TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module != nullptr) {
        const auto items = ReadParameterItems(module->Parameter, kChannels);
        for (std::size_t c = 0; c < kChannels; ++c)
            words_[c] = items ? static_cast<std::uint16_t>((*items)[c]) : 0;
    }
    loading_ = true;
    for (int channel = 1; channel <= kChannels; ++channel) {
        const AnalogSelection selection = SelectAnalogOptions(AnalogInputType::AI_2, Word(channel));
        for (int g = 0; g < kAnalogGroupCount; ++g) setOption(channel, g, selection.option[g]);
    }
    loading_ = false;
    if (module != nullptr) RebuildComments(*module);
}

void Dialog::OptionClick(int channel, int tag) {
    int group = 0;
    int option = 0;
    if (loading_ || channel < 1 || channel > kChannels ||
        !AnalogOptionOfTag(AnalogInputType::AI_2, tag, group, option))
        return;
    std::uint16_t& word = words_[static_cast<std::size_t>(channel - 1)];
    word = ClickAnalogOption(AnalogInputType::AI_2, word, group, option);
}

void Dialog::SaveConfiguration(StationModel& model) {
    TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr) return;
    RebuildComments(*module);
    const std::array<std::int32_t, kChannels> items{words_[0], words_[1]};
    module->Parameter = ParameterText(items, false);
}

std::optional<std::array<EngineeringValue, Dialog::kChannels>> Dialog::Timer1Timer(
    const StationModel& model) const {
    const TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr || module->InputData.empty()) return std::nullopt;
    const auto bytes = ReadInputBytes(module->InputData, 2 * kChannels);
    if (!bytes) return std::nullopt;
    const std::vector<std::uint16_t> words = SentParameterWords(*module, kChannels);
    std::array<EngineeringValue, kChannels> readings;
    for (std::size_t c = 0; c < kChannels; ++c)
        readings[c] = ToEngineering(AnalogInputScale(AnalogInputType::AI_2, words[c]), WordAt(*bytes, 2 * c));
    return readings;
}

void Dialog::RebuildComments(TModul& module) const {
    for (int channel = 1; channel <= kChannels; ++channel)
        module.ParameterComment[static_cast<std::size_t>(channel)] =
            AnalogComment(AnalogInputType::AI_2, Word(channel), channel);
}

void Dialog::Open(StationModel& model, int slot) {
    edited_ = slot;
    FormActivate(model, [](int, int, int) {});
}

DialogChannel Dialog::Channel(int channel) const {
    return AnalogChannel(AnalogInputType::AI_2, channel, Word(channel));
}

std::optional<WordScale> Dialog::MeasuredScale(const StationModel&, int channel) const {
    return AnalogInputScale(AnalogInputType::AI_2, Word(channel));
}

void Dialog::Click(StationModel&, int channel, int group, int option) {
    OptionClick(channel, AnalogTagOf(AnalogInputType::AI_2, group, option));
}

}  // namespace korvo::Korvo_AI_2
