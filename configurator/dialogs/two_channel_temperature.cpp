#include "two_channel_temperature.h"

#include "module_error_codes.h"
#include "parameter_items.h"

#include "../station/project_file.h"
#include "../station/station_model.h"

#include <filesystem>

namespace korvo {

int OptionForField(const WordGroup& group, std::uint16_t field) {
    int chosen = 0;
    for (std::size_t i = 0; i < group.options.size(); ++i) {
        const auto code = static_cast<std::uint16_t>(group.options[i].code);
        if ((field & code) == code) chosen = static_cast<int>(i);
    }
    return chosen;
}

TwoChannelTemperatureDialog::TwoChannelTemperatureDialog(const TwoChannelLayout& layout, StationModel& model)
    : layout_(layout), model_(model) {
    for (auto& channel : selected_) channel.assign(layout_.groups.size(), 0);
}

void TwoChannelTemperatureDialog::FormShow() { editedModule_ = model_.CurrentModule; }

void TwoChannelTemperatureDialog::FormActivate() {
    TModul* module = model_.Module(editedModule_);
    if (module == nullptr) return;
    if (!module->Parameter.empty()) {
        const std::vector<std::int32_t> items = ReadParameterItems(module->Parameter, kChannels, 0, 0xFFFF);
        for (int c = 0; c < kChannels; ++c) words_[c] = static_cast<std::uint16_t>(items[c]);
    }
    SelectFromWords();
    for (int channel = 1; channel <= kChannels; ++channel) module->ParameterComment[channel] = Comment(channel);
    timerEnabled_ = true;
}

void TwoChannelTemperatureDialog::SelectFromWords() {
    loading_ = true;
    for (int c = 0; c < kChannels; ++c) {
        for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
            const WordGroup& group = layout_.groups[g];
            selected_[c][g] = OptionForField(group, static_cast<std::uint16_t>((words_[c] >> group.shift) & group.mask));
        }
    }
    loading_ = false;
}

bool TwoChannelTemperatureDialog::OptionClick(int channel, int tag) {
    if (loading_ || channel < 1 || channel > kChannels) return false;
    std::uint16_t kept = 0;
    for (const WordGroup& group : layout_.groups) kept = static_cast<std::uint16_t>(kept | group.FieldBits());
    for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
        const WordGroup& group = layout_.groups[g];
        for (std::size_t i = 0; i < group.options.size(); ++i) {
            if (group.options[i].tag != tag) continue;
            std::uint16_t& word = words_[channel - 1];
            word = static_cast<std::uint16_t>((word & kept & ~group.FieldBits()) | (group.options[i].code << group.shift));
            selected_[channel - 1][g] = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

std::string TwoChannelTemperatureDialog::Comment(int channel) const {
    std::string comment;
    for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
        comment += layout_.groups[g].options[static_cast<std::size_t>(selected_.at(channel - 1)[g])].comment;
    }
    return comment;
}

std::string TwoChannelTemperatureDialog::ParameterText() const {
    return std::to_string(words_[0]) + "," + std::to_string(words_[1]);
}

void TwoChannelTemperatureDialog::Save() {
    TModul* module = model_.Module(editedModule_);
    if (module == nullptr) return;
    module->Parameter = ParameterText();
    SaveProject(model_, std::filesystem::path(model_.ProgramFolder()) / "korvo.ini");
}

void TwoChannelTemperatureDialog::TimerTick() {
    const TModul* module = model_.Module(editedModule_);
    if (module == nullptr || module->InputData.empty()) return;
    // A short or garbled input record keeps the last good display.
    const auto bytes = ReadInputBytes(module->InputData, 2 * kChannels);
    if (!bytes) return;
    for (int c = 0; c < kChannels; ++c) {
        const auto value = static_cast<std::uint16_t>((*bytes)[2 * c] << 8 | (*bytes)[2 * c + 1]);
        display_[c].value = std::to_string(value);
        display_[c].error = ErrorTextBitMatched(value);
    }
}

}  // namespace korvo
