#include "two_channel_temperature.h"

#include "module_data.h"
#include "option_rule.h"

#include "station/versch.h"

#include <algorithm>

namespace korvo {

int OptionForField(const WordGroup& group, std::uint16_t field) {
    std::vector<std::uint16_t> codes;
    for (const WordOption& option : group.options) codes.push_back(static_cast<std::uint16_t>(option.code));
    return std::max(SelectByBits(codes, field), 0);
}

TwoChannelTemperatureDialog::TwoChannelTemperatureDialog(const TwoChannelLayout& layout) : layout_(layout) {
    for (auto& channel : selected_) channel.assign(layout_.groups.size(), 0);
}

// A slot may have come to hold another module since it was taken (modules move when
// one is deleted); the dialog never writes into a module of another type.
TModul* TwoChannelTemperatureDialog::Edited(StationModel& model) const {
    TModul* module = model.Module(editedModule_);
    return module != nullptr && module->ModulType == layout_.typeName ? module : nullptr;
}

const TModul* TwoChannelTemperatureDialog::Edited(const StationModel& model) const {
    const TModul* module = model.Module(editedModule_);
    return module != nullptr && module->ModulType == layout_.typeName ? module : nullptr;
}

void TwoChannelTemperatureDialog::FormShow(const StationModel& model) {
    editedModule_ = model.CurrentModule;
    display_ = {};
}

void TwoChannelTemperatureDialog::FormActivate(StationModel& model) {
    Load(model);
    timerEnabled_ = true;
}

void TwoChannelTemperatureDialog::Open(StationModel& model, int slot) {
    editedModule_ = slot;
    display_ = {};
    Load(model);
}

void TwoChannelTemperatureDialog::Load(StationModel& model) {
    TModul* module = Edited(model);
    if (module == nullptr) return;
    const auto items = ReadParameterItems(module->Parameter, kChannels);
    for (std::size_t c = 0; c < kChannels; ++c)
        words_[c] = items ? static_cast<std::uint16_t>((*items)[c]) : 0;
    loading_ = true;
    for (std::size_t c = 0; c < kChannels; ++c) {
        for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
            const WordGroup& group = layout_.groups[g];
            selected_[c][g] = OptionForField(group, static_cast<std::uint16_t>((words_[c] >> group.shift) & group.mask));
        }
    }
    loading_ = false;
    for (int channel = 1; channel <= kChannels; ++channel) module->ParameterComment[channel] = Comment(channel);
}

bool TwoChannelTemperatureDialog::OptionClick(int channel, int tag) {
    if (loading_ || channel < 1 || channel > kChannels) return false;
    const auto c = static_cast<std::size_t>(channel - 1);
    std::uint16_t kept = 0;
    for (const WordGroup& group : layout_.groups) kept = static_cast<std::uint16_t>(kept | group.FieldBits());
    for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
        const WordGroup& group = layout_.groups[g];
        for (std::size_t i = 0; i < group.options.size(); ++i) {
            if (group.options[i].tag != tag) continue;
            words_[c] = static_cast<std::uint16_t>((words_[c] & kept & ~group.FieldBits()) |
                                                   (group.options[i].code << group.shift));
            selected_[c][g] = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void TwoChannelTemperatureDialog::Click(StationModel&, int channel, int group, int option) {
    const WordGroup& g = layout_.groups.at(static_cast<std::size_t>(group));
    OptionClick(channel, g.options.at(static_cast<std::size_t>(option)).tag);
}

std::string TwoChannelTemperatureDialog::Comment(int channel) const {
    std::string comment;
    const std::vector<int>& selected = selected_.at(static_cast<std::size_t>(channel - 1));
    for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
        comment += layout_.groups[g].options[static_cast<std::size_t>(selected[g])].comment;
    }
    return comment;
}

DialogChannel TwoChannelTemperatureDialog::Channel(int channel) const {
    DialogChannel shown;
    shown.channel = channel;
    shown.word = Word(channel);
    for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
        const WordGroup& group = layout_.groups[g];
        DialogGroup entry;
        entry.caption = group.caption;
        TrimBlanks(entry.caption);
        for (const WordOption& option : group.options) entry.options.push_back(option.CaptionIn(channel));
        entry.selected = Selected(channel, static_cast<int>(g));
        shown.groups.push_back(std::move(entry));
    }
    shown.comment = Comment(channel);
    return shown;
}

std::optional<WordScale> TwoChannelTemperatureDialog::MeasuredScale(const StationModel&, int channel) const {
    return TwoChannelTemperatureScale(layout_.typeName, Word(channel));
}

void TwoChannelTemperatureDialog::SaveConfiguration(StationModel& model) {
    TModul* module = Edited(model);
    if (module == nullptr) return;
    const std::int32_t words[] = {words_[0], words_[1]};
    module->Parameter = ParameterText(words, false);
    // Documents built from the project must say what the words say.
    for (int channel = 1; channel <= kChannels; ++channel) module->ParameterComment[channel] = Comment(channel);
}

void TwoChannelTemperatureDialog::TimerTick(const StationModel& model) {
    const TModul* module = Edited(model);
    if (module == nullptr) return;
    // A short or garbled input record keeps the last good display.
    const auto bytes = ReadInputBytes(module->InputData, 2 * kChannels);
    if (!bytes) return;
    const std::vector<std::uint16_t> words = SentParameterWords(*module, kChannels);
    for (std::size_t c = 0; c < kChannels; ++c)
        display_[c] =
            ToEngineering(TwoChannelTemperatureScale(layout_.typeName, words[c]), WordAt(*bytes, 2 * c));
}

}  // namespace korvo
