#pragma once
// The parameter word of the analog input modules and its option groups: measuring
// range (bits 0-3), value format (bits 4-7), filter (bits 8-11); bits 12-15 unused.
// The groups are listed as the windows show them: filter, measuring range, size.
// The option tags count through the groups in that order, starting at 1.

#include "module_dialog.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace korvo {

enum class AnalogInputType { AI_2, AI_8 };

struct AnalogOption {
    std::uint16_t code;
    const char* caption;
    const char* hint;      // shown when the pointer rests on the option; may be empty
    const char* comment;   // the piece of the channel comment
    const char* comment2;  // AI 2 channel 2's piece where it differs, else null
};

struct AnalogGroup {
    const char* caption;
    int shift;  // bit position of the field in the word
    std::span<const AnalogOption> options;
};

inline constexpr int kAnalogGroupCount = 3;
inline constexpr int kFilterGroup = 0;
inline constexpr int kRangeGroup = 1;
inline constexpr int kFormatGroup = 2;

const AnalogGroup& AnalogInputGroup(AnalogInputType type, int group);

// The option each group shows for a word (option-setting rule), by group.
struct AnalogSelection {
    int option[kAnalogGroupCount];
};
AnalogSelection SelectAnalogOptions(AnalogInputType type, std::uint16_t word);

// The word after a click on an option: its group's field takes the option's code, the
// other two fields stay, bits 12-15 become 0.
std::uint16_t ClickAnalogOption(AnalogInputType type, std::uint16_t word, int group, int option);

// Filter, range and format pieces of the selected options, joined; channel 1-based.
std::string AnalogComment(AnalogInputType type, std::uint16_t word, int channel);

// The group and option of a tag (1-based through the groups); false for an unknown tag.
bool AnalogOptionOfTag(AnalogInputType type, int tag, int& group, int& option);
int AnalogTagOf(AnalogInputType type, int group, int option);

// The groups of a channel as the dialog shows them, selected from its word.
DialogChannel AnalogChannel(AnalogInputType type, int channel, std::uint16_t word);

// Sets one option control of a window: channel 1-based, group and option as in
// AnalogInputGroup. Called while the dialog's loading flag is set.
using AnalogOptionSetter = std::function<void(int channel, int group, int option)>;

}  // namespace korvo
