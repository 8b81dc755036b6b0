// The AI 2 and AI 8 dialogs: parameter words, option rule, comments, saving and the
// measured values, through the logic the windows bind.

#include "dialog_station.h"

#include "dialogs/korvo_ai_2.h"
#include "dialogs/korvo_ai_8.h"
#include "station/versch.h"

#include <map>
#include <string>

namespace korvo {
namespace {

using testing::DialogStation;

// Clicks the option with the caption (blanks trimmed) on a channel, as the user does.
void ClickCaption(ModuleDialog& dialog, StationModel& model, int channel, const std::string& caption) {
    const OptionMatch match = FindOption(dialog.Channel(channel), caption);
    ASSERT_EQ(match.result, OptionMatch::Found) << caption;
    dialog.Click(model, channel, match.group, match.option);
}

// group caption -> selected option caption
std::map<std::string, std::string> Selected(const ModuleDialog& dialog, int channel) {
    std::map<std::string, std::string> selected;
    for (const DialogGroup& group : dialog.Channel(channel).groups)
        selected[group.caption] =
            group.selected < 0 ? "" : group.options[static_cast<std::size_t>(group.selected)];
    return selected;
}

class Ai2DialogTest : public DialogStation {
protected:
    Korvo_AI_2::Dialog dialog;
    // What the window's option controls were set to while loading.
    std::map<std::pair<int, int>, int> shownOptions;

    void Activate() {
        dialog.FormShow(model);
        dialog.FormActivate(model, [this](int channel, int group, int option) {
            EXPECT_TRUE(dialog.Loading());
            shownOptions[{channel, group}] = option;
        });
    }
};

TEST_F(Ai2DialogTest, NewModuleShowsFirstOptionsAndSavesTwoWordsWithoutTrailingComma) {
    const int slot = Place("KORVO AI 2");
    EXPECT_EQ(At(slot).Parameter, "0,0,");
    EXPECT_EQ(At(slot).ParameterComment[1], "16 average/  0..10/FMT1 15bit/");
    Activate();
    for (int channel = 1; channel <= 2; ++channel) {
        EXPECT_EQ(Selected(dialog, channel),
                  (std::map<std::string, std::string>{{"filter", "average (16)"},
                                                      {"measuring range", "voltage      0..10 "},
                                                      {"size", "15 bit diagnostic"}}));
        EXPECT_EQ(At(slot).ParameterComment[static_cast<std::size_t>(channel)],
                  "average filter/  0..10/FMT1 15bit/");
        EXPECT_EQ(shownOptions[std::make_pair(channel, 0)], 0);
    }
    EXPECT_FALSE(dialog.Loading());
    dialog.SaveConfiguration(model);
    EXPECT_EQ(At(slot).Parameter, "0,0");
}

TEST_F(Ai2DialogTest, ChoicesGiveWord314AndChannelSpecificComments) {
    const int slot = Place("KORVO AI 2");
    Activate();
    for (int channel = 1; channel <= 2; ++channel) {
        ClickCaption(dialog, model, channel, "no filter");
        ClickCaption(dialog, model, channel, "current      4..20");
        ClickCaption(dialog, model, channel, "  standardizes ");
    }
    EXPECT_EQ(dialog.Word(1), 314);
    EXPECT_EQ(At(slot).Parameter, "0,0,") << "a click alone writes nothing";
    dialog.SaveConfiguration(model);
    EXPECT_EQ(At(slot).Parameter, "314,314");
    EXPECT_EQ(At(slot).ParameterComment[1], "none filter  /  4..20/standard  /");
    EXPECT_EQ(At(slot).ParameterComment[2], "none filter    /  4..20/standard   /");
}

TEST_F(Ai2DialogTest, UnusedHighBitsAndUnwrittenCodesSelectByTheirBitsAndClearOnClick) {
    const int slot = Place("KORVO AI 2");
    At(slot).Parameter = std::to_string(0xF00A) + "," + std::to_string(0x0042);
    Activate();
    EXPECT_EQ(Selected(dialog, 1)["measuring range"], "current      4..20");
    EXPECT_EQ(Selected(dialog, 1)["filter"], "average (16)");
    // Range field 2 and format field 4 are codes the AI 2 never writes.
    EXPECT_EQ(Selected(dialog, 2)["measuring range"], "voltage      0..10 ");
    EXPECT_EQ(Selected(dialog, 2)["size"], "15 bit diagnostic");
    EXPECT_EQ(dialog.Word(1), 0xF00A) << "loading alone keeps the word";
    ClickCaption(dialog, model, 1, "no filter");
    EXPECT_EQ(dialog.Word(1), 266);
}

// What the option with a tag sets, as the windows number their options: the group's
// bit position and the code.
struct TagChoice {
    int tag;
    int shift;
    std::uint16_t code;
};

// The word after the tag's option was clicked on a word whose every field holds
// another choice.
std::uint16_t Chosen(std::uint16_t other, const TagChoice& choice) {
    return static_cast<std::uint16_t>((other & ~(0xFu << choice.shift)) | (choice.code << choice.shift));
}

constexpr int kFilter = 8;
constexpr int kRange = 0;
constexpr int kFormat = 4;

TEST_F(Ai2DialogTest, EveryTagSetsItsGroupsCodeAlsoBackToAGroupsFirstOption) {
    const int slot = Place("KORVO AI 2");
    const TagChoice choices[] = {{1, kFilter, 0},  {2, kFilter, 1},  {3, kRange, 0},  {4, kRange, 1},
                                 {5, kRange, 8},   {6, kRange, 9},   {7, kRange, 10}, {8, kFormat, 0},
                                 {9, kFormat, 1},  {10, kFormat, 2}, {11, kFormat, 3}};
    // "no filter", "current     -20..20", "15 bit with sign": no field at its first option.
    const std::uint16_t other = 0x0129;
    for (const TagChoice& choice : choices) {
        for (int channel = 1; channel <= 2; ++channel) {
            At(slot).Parameter = std::to_string(other) + "," + std::to_string(other);
            Activate();
            dialog.OptionClick(channel, choice.tag);
            EXPECT_EQ(dialog.Word(channel), Chosen(other, choice)) << "tag " << choice.tag << ", channel " << channel;
            EXPECT_EQ(dialog.Word(3 - channel), other) << "tag " << choice.tag << " changed the other channel";
        }
    }
    At(slot).Parameter = std::to_string(other) + "," + std::to_string(other);
    Activate();
    dialog.OptionClick(1, 3);
    dialog.OptionClick(2, 8);
    dialog.SaveConfiguration(model);
    EXPECT_EQ(Selected(dialog, 1)["measuring range"], "voltage      0..10 ");
    EXPECT_EQ(Selected(dialog, 2)["size"], "15 bit diagnostic");
    EXPECT_EQ(At(slot).ParameterComment[1], "none filter  /  0..10/FMT3 15bit/");
    EXPECT_EQ(At(slot).ParameterComment[2], "none filter    /-20..20/FMT1 15bit/");
}

TEST_F(Ai2DialogTest, ActivationDiscardsUnsavedClicks) {
    const int slot = Place("KORVO AI 2");
    At(slot).Parameter = "256, 1";
    Activate();
    EXPECT_EQ(dialog.Word(1), 256);
    EXPECT_EQ(dialog.Word(2), 1);
    ClickCaption(dialog, model, 2, "current     -20..20");
    Activate();
    EXPECT_EQ(dialog.Word(2), 1);
    // A list of one item repeats it.
    At(slot).Parameter = "9";
    Activate();
    EXPECT_EQ(dialog.Word(2), 9);
}

TEST_F(Ai2DialogTest, MalformedParameterChangesNeitherWordsNorComments) {
    const int slot = Place("KORVO AI 2");
    At(slot).Parameter = "266,1";
    Activate();
    for (const std::string bad : {"10,abc", "70000,0", "-1,0", "3,,"}) {
        At(slot).Parameter = bad;
        At(slot).ParameterComment[1] = "kept";
        EXPECT_THROW(Activate(), ConversionError) << bad;
        EXPECT_EQ(dialog.Word(1), 266) << bad;
        EXPECT_EQ(dialog.Word(2), 1) << bad;
        EXPECT_EQ(At(slot).ParameterComment[1], "kept") << bad;
        EXPECT_FALSE(dialog.Loading());
    }
}

TEST_F(Ai2DialogTest, MeasuredWordsAreSignedInTheUnitsOfTheSentWordsWithExactErrors) {
    const int slot = Place("KORVO AI 2");
    Activate();
    At(slot).InputData = "128,1,58,152,";
    auto readings = dialog.Timer1Timer(model);
    ASSERT_TRUE(readings.has_value());
    EXPECT_EQ((*readings)[0].WordText(), "8001h");
    EXPECT_EQ((*readings)[0].diagnostic, "Error measuring range");
    EXPECT_EQ((*readings)[0].ValueText(), "");
    EXPECT_EQ((*readings)[1].WordText(), "15000");
    EXPECT_EQ((*readings)[1].ValueText(), "5.000 V");
    EXPECT_EQ((*readings)[1].diagnostic, "");
    // Exact matching: 0x8003 is no code of its own; a negative reading keeps its sign.
    At(slot).InputData = "128,3,255,255,";
    readings = dialog.Timer1Timer(model);
    ASSERT_TRUE(readings.has_value());
    EXPECT_EQ((*readings)[0].diagnostic, "");
    EXPECT_EQ((*readings)[1].WordText(), "-1");

    // The module measures with the saved words: -10..10 V and 4..20 mA; a click not
    // yet saved changes nothing it sends.
    At(slot).Parameter = "1,10";
    At(slot).InputData = "197,104,117,48,";
    ClickCaption(dialog, model, 1, "current      4..20");
    readings = dialog.Timer1Timer(model);
    ASSERT_TRUE(readings.has_value());
    EXPECT_EQ((*readings)[0].ValueText(), "-5.000 V");
    EXPECT_EQ((*readings)[1].ValueText(), "20.000 mA");
}

TEST_F(Ai2DialogTest, ShortOrBrokenInputDataLeavesTheDisplay) {
    const int slot = Place("KORVO AI 2");
    Activate();
    for (const std::string input : {"", "1,2,3,", "1,2,x,4,", "1,256,3,4,", "1,-2,3,4,"}) {
        At(slot).InputData = input;
        EXPECT_FALSE(dialog.Timer1Timer(model).has_value()) << input;
    }
    model.DeleteModule(slot);
    EXPECT_FALSE(dialog.Timer1Timer(model).has_value());
}

TEST_F(Ai2DialogTest, ModuleThatTookTheEditedSlotIsNeverWritten) {
    Place("KORVO AI 2");
    const int di = Place("KORVO DI 8");
    model.CurrentModule = 1;
    Activate();
    ClickCaption(dialog, model, 1, "no filter");
    model.DeleteModule(1);
    ASSERT_EQ(At(di - 1).ModulType, "KORVO DI 8");
    At(di - 1).InputData = "128,1,0,0,";
    dialog.SaveConfiguration(model);
    EXPECT_EQ(At(di - 1).Parameter, "");
    EXPECT_EQ(At(di - 1).ParameterComment[1], "");
    EXPECT_FALSE(dialog.Timer1Timer(model).has_value());
}

class Ai8DialogTest : public DialogStation {
protected:
    Korvo_AI_8::Dialog dialog;
    std::map<int, int> shownOptions;  // group -> option of the shown channel

    AnalogOptionSetter Setter() {
        return [this](int, int group, int option) { shownOptions[group] = option; };
    }
};

TEST_F(Ai8DialogTest, ClickOnChannel3WritesWord77AtOnce) {
    const int slot = Place("KORVO AI 8");
    dialog.FormActivate(model, Setter());
    for (int i = 0; i < 2; ++i) dialog.Button3Click(model, Setter());
    EXPECT_EQ(dialog.CurrentChannel(), 3);
    ClickCaption(dialog, model, 3, "current    -40..40");
    ClickCaption(dialog, model, 3, "16 bit");
    EXPECT_EQ(dialog.Word(3), 77);
    EXPECT_EQ(At(slot).Parameter, "0,0,77,0,0,0,0,0,");
    EXPECT_EQ(At(slot).ParameterComment[3], "16 average/  0..10/FMT1 15bit/") << "a click builds no comment";
    dialog.SaveConfiguration(model);
    EXPECT_EQ(At(slot).ParameterComment[3], "16 average/-40..40/PIO       /");
    EXPECT_EQ(At(slot).Parameter, "0,0,77,0,0,0,0,0,");
}

TEST_F(Ai8DialogTest, EveryTagSetsItsGroupsCodeAlsoBackToAGroupsFirstOption) {
    const int slot = Place("KORVO AI 8");
    const TagChoice choices[] = {
        {1, kFilter, 0},  {2, kFilter, 1},  {3, kFilter, 2},  {4, kFilter, 3},  {5, kRange, 0},   {6, kRange, 1},
        {7, kRange, 2},   {8, kRange, 3},   {9, kRange, 4},   {10, kRange, 5},  {11, kRange, 6},  {12, kRange, 8},
        {13, kRange, 9},  {14, kRange, 10}, {15, kRange, 12}, {16, kRange, 13}, {17, kFormat, 0}, {18, kFormat, 1},
        {19, kFormat, 2}, {20, kFormat, 3}, {21, kFormat, 4}};
    // "average (32)", "current    -40..40", "16 bit ": no field at its first option.
    const std::uint16_t other = 0x034D;
    std::string others;
    for (int channel = 1; channel <= 8; ++channel) others += std::to_string(other) + ",";
    for (const TagChoice& choice : choices) {
        At(slot).Parameter = others;
        dialog.FormActivate(model, Setter());
        dialog.Button3Click(model, Setter());
        dialog.OptionClick(model, choice.tag);
        EXPECT_EQ(dialog.Word(2), Chosen(other, choice)) << "tag " << choice.tag;
        EXPECT_EQ(dialog.Word(1), other) << "tag " << choice.tag << " changed channel 1";
    }
    At(slot).Parameter = others;
    dialog.FormActivate(model, Setter());
    dialog.OptionClick(model, 5);
    dialog.OptionClick(model, 17);
    EXPECT_EQ(Selected(dialog, 1)["measuring range"], "voltage     0..10 ");
    EXPECT_EQ(Selected(dialog, 1)["size"], "15 bit diagnostic");
    EXPECT_EQ(At(slot).Parameter, "768," + others.substr(others.find(',') + 1));
}

TEST_F(Ai8DialogTest, UnwrittenRangeCodeSelectsHighestContainedCodeWithoutChangingTheWord) {
    const int slot = Place("KORVO AI 8");
    At(slot).Parameter = "7,0,0,0,0,0,0,0,";
    dialog.FormActivate(model, Setter());
    EXPECT_EQ(Selected(dialog, 1)["measuring range"], "voltage     0..50");
    EXPECT_EQ(shownOptions[kRangeGroup], 6);
    EXPECT_EQ(dialog.Word(1), 7);
    EXPECT_EQ(At(slot).Parameter, "7,0,0,0,0,0,0,0,");
    EXPECT_EQ(At(slot).ParameterComment[1], "16 average/  0..50/FMT1 15bit/");
}

TEST_F(Ai8DialogTest, NextChannelCyclesThroughEightAndEveryActivationReturnsToChannel1) {
    Place("KORVO AI 8");
    dialog.FormActivate(model, Setter());
    EXPECT_EQ(dialog.Button3Caption(), "next channel 1");
    dialog.Button3Click(model, Setter());
    EXPECT_EQ(dialog.Button3Caption(), "next channel 2");
    for (int i = 0; i < 7; ++i) dialog.Button3Click(model, Setter());
    EXPECT_EQ(dialog.CurrentChannel(), 1);
    EXPECT_EQ(dialog.Button3Caption(), "next channel 1");
    dialog.Button3Click(model, Setter());
    dialog.FormActivate(model, Setter());
    EXPECT_EQ(dialog.CurrentChannel(), 1);
}

TEST_F(Ai8DialogTest, ShortListRepeatsItsLastItem) {
    const int slot = Place("KORVO AI 8");
    At(slot).Parameter = "5,7";
    dialog.FormActivate(model, Setter());
    EXPECT_EQ(dialog.Word(1), 5);
    for (int c = 2; c <= 8; ++c) EXPECT_EQ(dialog.Word(c), 7) << c;
}

TEST_F(Ai8DialogTest, SavingRebuildsTheCommentsOfChannelsChangedAndLeft) {
    const int slot = Place("KORVO AI 8");
    dialog.FormActivate(model, Setter());
    ClickCaption(dialog, model, 1, "average (32)");
    dialog.Button3Click(model, Setter());
    dialog.SaveConfiguration(model);
    EXPECT_EQ(At(slot).ParameterComment[1], "32 average/  0..10/FMT1 15bit/");
    EXPECT_EQ(At(slot).Parameter, "768,0,0,0,0,0,0,0,");
}

TEST_F(Ai8DialogTest, MalformedParameterKeepsTheShownChannel) {
    const int slot = Place("KORVO AI 8");
    dialog.FormActivate(model, Setter());
    At(slot).Parameter = "1,2,x,";
    EXPECT_THROW(dialog.Button3Click(model, Setter()), ConversionError);
    EXPECT_EQ(dialog.CurrentChannel(), 1);
    EXPECT_EQ(dialog.Word(2), 0);
}

TEST_F(Ai8DialogTest, ActivationWithAnotherTypeCurrentKeepsEditingTheAi8) {
    const int slot = Place("KORVO AI 8");
    dialog.FormActivate(model, Setter());
    const int di = Place("KORVO DI 8");
    ASSERT_EQ(model.CurrentModule, di);
    dialog.FormActivate(model, Setter());
    EXPECT_EQ(dialog.EditedModule(), slot);
    ClickCaption(dialog, model, 1, "no filter");
    EXPECT_EQ(At(slot).Parameter, "256,0,0,0,0,0,0,0,");
    EXPECT_EQ(At(di).Parameter, "");
    EXPECT_EQ(At(di).ParameterComment[1], "");
}

TEST_F(Ai8DialogTest, EveryChannelShowsItsOwnValueAndErrorTextAndTheMarkerOnlyOnline) {
    const int slot = Place("KORVO AI 8");
    EXPECT_FALSE(dialog.Timer1Timer(model).has_value()) << "no module edited yet";
    dialog.FormActivate(model, Setter());
    TModul& m = At(slot);
    for (int c = 1; c <= 8; ++c) m.ChannelValue[static_cast<std::size_t>(c)] = 3000 * c;
    m.ChannelValue[4] = 0x8002;
    // Channel 2 in 0..20 mA with 16 bit: a word above 7FFFh is a reading there.
    m.Parameter = "0,72,0,0,0,0,0,0,";
    m.ChannelValue[2] = 40000;
    m.MuxChannel = 6;
    auto display = dialog.Timer1Timer(model);
    ASSERT_TRUE(display.has_value());
    EXPECT_EQ(display->values[0].WordText(), "3000");
    EXPECT_EQ(display->values[0].ValueText(), "1.000 V");
    EXPECT_EQ(display->values[1].WordText(), "40000");
    EXPECT_EQ(display->values[1].ValueText(), "12.207 mA");
    // The wire break shows although the I/O test reads channel 7 next.
    EXPECT_EQ(display->values[3].WordText(), "8002h");
    EXPECT_EQ(display->values[3].diagnostic, "Error wire breaking");
    EXPECT_EQ(display->values[7].ValueText(), "8.000 V");
    for (std::size_t c : {0, 1, 2, 4, 5, 6, 7}) EXPECT_EQ(display->values[c].diagnostic, "") << c;
    EXPECT_EQ(display->marker, 0);
    model.Online = true;
    m.MuxChannel = 7;
    display = dialog.Timer1Timer(model);
    EXPECT_EQ(display->marker, 8);
    EXPECT_EQ(display->values[3].diagnostic, "Error wire breaking");
}

}  // namespace
}  // namespace korvo
