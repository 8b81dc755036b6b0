#include "analog_input_options.h"

#include "option_rule.h"

#include <array>
#include <vector>

namespace korvo {

namespace {

constexpr AnalogOption kAi2Filter[] = {
    {0, "average (16)", "", "average filter/", nullptr},
    {1, "no filter", "", "none filter  /", "none filter    /"},
};
constexpr AnalogOption kAi8Filter[] = {
    {0, "average (16)", "", "16 average/", nullptr},
    {1, "no filter", "", "none filter/", nullptr},
    {2, "average (4)", "", "4  average/", nullptr},
    {3, "average (32)", "", "32 average/", nullptr},
};

constexpr AnalogOption kAi2Range[] = {
    {0, "voltage      0..10 ", "", "  0..10/", nullptr}, {1, "voltage    -10..10 ", "", "-10..10/", nullptr},
    {8, "current       0..20", "", "  0..20/", nullptr}, {9, "current     -20..20", "", "-20..20/", nullptr},
    {10, "current      4..20", "", "  4..20/", nullptr},
};
constexpr AnalogOption kAi8Range[] = {
    {0, "voltage     0..10 ", "", "  0..10/", nullptr}, {1, "voltage    -10..10 ", "", "-10..10/", nullptr},
    {2, "voltage     0..5", "", "  0..5/", nullptr},    {3, "voltage    -5..5", "", " -5..5/", nullptr},
    {4, "voltage     0..25", "", "  0..25/", nullptr},  {5, "voltage   -25..25", "", "-25..25/", nullptr},
    {6, "voltage     0..50", "", "  0..50/", nullptr},  {8, "current     0..20", "", "  0..20/", nullptr},
    {9, "current    -20..20", "", "-20..20/", nullptr}, {10, "current     4..20", "", "  4..20/", nullptr},
    {12, "current     0..40", "", "  0..40/", nullptr}, {13, "current    -40..40", "", "-40..40/", nullptr},
};

constexpr AnalogOption kAi2Format[] = {
    {0, "15 bit diagnostic", "+/- 30000 plus state", "FMT1 15bit/", nullptr},
    {1, "12 bit diagnostic", "includes 3 error bits", "FMT2 12bit/", nullptr},
    {2, "15 bit with sign", "+/- 32767", "FMT3 15bit/", nullptr},
    {3, "standardizes", "mV / uA", "standard  /", "standard   /"},
};
constexpr AnalogOption kAi8Format[] = {
    {0, "15 bit diagnostic", "+/- 30000 plus state", "FMT1 15bit/", nullptr},
    {1, "12 bit diagnostic", "includes 3 error bits", "FMT2 12bit/", nullptr},
    {2, "15 bit with sign", "+/- 32767", "FMT3 15bit/", nullptr},
    {3, "standardizes", "mV / uA", "standard  /", nullptr},
    {4, "16 bit ", "high resolution (mA only)", "PIO       /", nullptr},
};

constexpr AnalogGroup kAi2Groups[kAnalogGroupCount] = {
    {"filter", 8, kAi2Filter}, {"measuring range", 0, kAi2Range}, {"size", 4, kAi2Format}};
constexpr AnalogGroup kAi8Groups[kAnalogGroupCount] = {
    {"filter", 8, kAi8Filter}, {"measuring range", 0, kAi8Range}, {"size", 4, kAi8Format}};

std::vector<std::uint16_t> Codes(const AnalogGroup& group) {
    std::vector<std::uint16_t> codes;
    for (const AnalogOption& option : group.options) codes.push_back(option.code);
    return codes;
}

}  // namespace

const AnalogGroup& AnalogInputGroup(AnalogInputType type, int group) {
    return type == AnalogInputType::AI_2 ? kAi2Groups[group] : kAi8Groups[group];
}

AnalogSelection SelectAnalogOptions(AnalogInputType type, std::uint16_t word) {
    AnalogSelection selection{};
    for (int g = 0; g < kAnalogGroupCount; ++g) {
        const AnalogGroup& group = AnalogInputGroup(type, g);
        selection.option[g] = SelectByBits(Codes(group), (word >> group.shift) & 0xFu);
    }
    return selection;
}

std::uint16_t ClickAnalogOption(AnalogInputType type, std::uint16_t word, int group, int option) {
    std::array<unsigned, kAnalogGroupCount> fields{};
    for (int g = 0; g < kAnalogGroupCount; ++g)
        fields[static_cast<std::size_t>(g)] = word & (0xFu << AnalogInputGroup(type, g).shift);
    const AnalogGroup& clicked = AnalogInputGroup(type, group);
    fields[static_cast<std::size_t>(group)] =
        static_cast<unsigned>(clicked.options[static_cast<std::size_t>(option)].code) << clicked.shift;
    return static_cast<std::uint16_t>(fields[0] + fields[1] + fields[2]);
}

std::string AnalogComment(AnalogInputType type, std::uint16_t word, int channel) {
    const AnalogSelection selection = SelectAnalogOptions(type, word);
    std::string comment;
    for (int g = 0; g < kAnalogGroupCount; ++g) {
        const AnalogOption& option =
            AnalogInputGroup(type, g).options[static_cast<std::size_t>(selection.option[g])];
        comment += channel == 2 && option.comment2 != nullptr ? option.comment2 : option.comment;
    }
    return comment;
}

bool AnalogOptionOfTag(AnalogInputType type, int tag, int& group, int& option) {
    int first = 1;
    for (int g = 0; g < kAnalogGroupCount; ++g) {
        const int count = static_cast<int>(AnalogInputGroup(type, g).options.size());
        if (tag >= first && tag < first + count) {
            group = g;
            option = tag - first;
            return true;
        }
        first += count;
    }
    return false;
}

int AnalogTagOf(AnalogInputType type, int group, int option) {
    int tag = 1;
    for (int g = 0; g < group; ++g) tag += static_cast<int>(AnalogInputGroup(type, g).options.size());
    return tag + option;
}

DialogChannel AnalogChannel(AnalogInputType type, int channel, std::uint16_t word) {
    DialogChannel shown;
    shown.channel = channel;
    shown.word = word;
    const AnalogSelection selection = SelectAnalogOptions(type, word);
    for (int g = 0; g < kAnalogGroupCount; ++g) {
        const AnalogGroup& group = AnalogInputGroup(type, g);
        DialogGroup& out = shown.groups.emplace_back();
        out.caption = group.caption;
        for (const AnalogOption& option : group.options) out.options.emplace_back(option.caption);
        out.selected = selection.option[g];
    }
    shown.comment = AnalogComment(type, word, channel);
    return shown;
}

}  // namespace korvo
