#include "korvo_ai_8.h"

#include "module_data.h"
#include "station/station_model.h"

#include <algorithm>

namespace korvo::Korvo_AI_8 {

void SetDefaults(TModul& module) {
    SetChannelDefaults(module, Dialog::kChannels, "0", "16 average/  0..10/FMT1 15bit/");
}

void Dialog::FormActivate(StationModel& model, const AnalogOptionSetter& setOption) {
    // The current module is the one last clicked in the station view; the dialog
    // keeps its module while that is a module of another type.
    if (ModuleOfType(model, model.CurrentModule, TypeName()) != nullptr) edited_ = model.CurrentModule;
    LoadChannel(model, 1, setOption);
}

void Dialog::Button3Click(StationModel& model, const AnalogOptionSetter& setOption) {
    LoadChannel(model, current_ == kChannels ? 1 : current_ + 1, setOption);
}

// The channel changes only once its words are read, so a malformed Parameter leaves
// the dialog on the channel it showed.
void Dialog::LoadChannel(StationModel& model, int channel, const AnalogOptionSetter& setOption) {
    TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module != nullptr) {
        const auto items = ReadParameterItems(module->Parameter, kChannels);
        for (std::size_t c = 0; c < kChannels; ++c)
            words_[c] = items ? static_cast<std::uint16_t>((*items)[c]) : 0;
    }
    current_ = channel;
    loading_ = true;
    const AnalogSelection selection = SelectAnalogOptions(AnalogInputType::AI_8, Word(current_));
    for (int g = 0; g < kAnalogGroupCount; ++g) setOption(current_, g, selection.option[g]);
    loading_ = false;
    if (module != nullptr)
        module->ParameterComment[static_cast<std::size_t>(current_)] =
            AnalogComment(AnalogInputType::AI_8, Word(current_), current_);
}

void Dialog::OptionClick(StationModel& model, int tag) {
    int group = 0;
    int option = 0;
    if (loading_ || !AnalogOptionOfTag(AnalogInputType::AI_8, tag, group, option)) return;
    std::uint16_t& word = words_[static_cast<std::size_t>(current_ - 1)];
    word = ClickAnalogOption(AnalogInputType::AI_8, word, group, option);
    if (TModul* module = ModuleOfType(model, edited_, TypeName())) WriteParameter(*module);
}

void Dialog::SaveConfiguration(StationModel& model) {
    TModul* module = ModuleOfType(model, edited_, TypeName());
    if (module == nullptr) return;
    // Every channel's comment follows its word, also of channels changed and then
    // left with "next channel".
    for (int channel = 1; channel <= kChannels; ++channel)
        module->ParameterComment[static_cast<std::size_t>(channel)] =
            AnalogComment(AnalogInputType::AI_8, Word(channel), channel);
    WriteParameter(*module);
}

void Dialog::WriteParameter(TModul& module) const {
    std::array<std::int32_t, kChannels> items{};
    std::copy(words_.begin(), words_.end(), items.begin());
    module.Parameter = ParameterText(items, true);
}

std::optional<Ai8Display> Dialog::Timer1Timer(const StationModel& model) const {
    const TModul* module = ModuleOfType(model, edited_, TypeName());
    if (edited_ == 0 || module == nullptr) return std::nullopt;
    Ai8Display display;
    const std::vector<std::uint16_t> words = SentParameterWords(*module, kChannels);
    for (std::size_t c = 0; c < kChannels; ++c) {
        display.values[c] = ToEngineering(AnalogInputScale(AnalogInputType::AI_8, words[c]),
                                          static_cast<std::uint16_t>(module->ChannelValue[c + 1]));
    }
    if (model.Online) display.marker = std::clamp(module->MuxChannel, 0, kChannels - 1) + 1;
    return display;
}

void Dialog::Open(StationModel& model, int slot) {
    edited_ = slot;
    LoadChannel(model, 1, [](int, int, int) {});
}

DialogChannel Dialog::Channel(int channel) const {
    return AnalogChannel(AnalogInputType::AI_8, channel, Word(channel));
}

std::optional<WordScale> Dialog::MeasuredScale(const StationModel&, int channel) const {
    return AnalogInputScale(AnalogInputType::AI_8, Word(channel));
}

void Dialog::Click(StationModel& model, int channel, int group, int option) {
    if (channel < 1 || channel > kChannels) return;
    if (channel != current_) LoadChannel(model, channel, [](int, int, int) {});
    OptionClick(model, AnalogTagOf(AnalogInputType::AI_8, group, option));
}

}  // namespace korvo::Korvo_AI_8
