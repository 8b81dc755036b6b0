// The RT 2 and TC 2 dialogs' logic: words from option clicks, the option rule for
// codes never written, the comments with their degree signs, saving, and the
// measured values with their units and bit-matched error texts.

#include "dialog_fixture.h"

#include "dialogs/korvo_rt_2.h"
#include "dialogs/module_dialog_registry.h"
#include "dialogs/korvo_tc_2.h"
#include "dialogs/two_channel_temperature.h"
#include "station/versch.h"

#include <gtest/gtest.h>

namespace korvo {
namespace {

using testing::DialogTest;

class TwoChannelTest : public DialogTest {
protected:
    // The caption of the option selected in a channel's group.
    std::string Caption(const TwoChannelTemperatureDialog& dialog, int channel, int group) {
        const WordGroup& g = dialog.Layout().groups[static_cast<std::size_t>(group)];
        return g.options[static_cast<std::size_t>(dialog.Selected(channel, group))].CaptionIn(channel);
    }
};

TEST_F(TwoChannelTest, NewRt2ModuleShowsDefaultsAndRebuildsCommentsWithoutTheBlank) {
    TModul& module = Place("KORVO RT 2");
    EXPECT_EQ(module.ParameterComment[1], "PT DIN/ 15 bit/0.1 \xB0" "C/100 Ohm/3 cond./");
    Korvo_RT_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_TRUE(dialog.TimerEnabled());
    EXPECT_EQ(Caption(dialog, 1, 0), "PT DIN");
    EXPECT_EQ(Caption(dialog, 1, 2), "0.1  \xB0" "C");
    EXPECT_EQ(Caption(dialog, 2, 2), "0.1 \xB0" "C");
    EXPECT_EQ(Caption(dialog, 2, 3), "100");
    EXPECT_EQ(Caption(dialog, 2, 4), "3 conductor");
    for (int channel = 1; channel <= 2; ++channel)
        EXPECT_EQ(module.ParameterComment[channel], "PT DIN/15 bit/0.1 \xB0" "C/100 Ohm/3 cond./");
}

TEST_F(TwoChannelTest, Rt2ClicksBuildWordAndSaveWritesTwoWordsWithoutTrailingComma) {
    TModul& module = Place("KORVO RT 2");
    Korvo_RT_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    // Ni 100, 12 bit diagnostic, 0.01°F, R0 1000, 4 conductor.
    for (const int tag : {6, 17, 22, 37, 43}) EXPECT_TRUE(dialog.OptionClick(2, tag));
    EXPECT_EQ(dialog.Word(2), 11478);
    EXPECT_EQ(dialog.Word(1), 0);
    EXPECT_EQ(dialog.Comment(2), "Ni 100/12 bit/0.01 \xB0" "F/1000 Ohm/4 cond./");
    dialog.SaveConfiguration(*model_);
    EXPECT_EQ(module.Parameter, "0,11478");
    // Saving rebuilds both comments from the saved words, so the documents say what was set.
    EXPECT_EQ(module.ParameterComment[2], "Ni 100/12 bit/0.01 \xB0" "F/1000 Ohm/4 cond./");
    EXPECT_EQ(module.ParameterComment[1], "PT DIN/15 bit/0.1 \xB0" "C/100 Ohm/3 cond./");
    dialog.FormActivate(*model_);
    EXPECT_EQ(module.ParameterComment[2], "Ni 100/12 bit/0.01 \xB0" "F/1000 Ohm/4 cond./");
    EXPECT_EQ(dialog.Word(2), 11478);
}

TEST_F(TwoChannelTest, FieldsNeverWrittenSelectTheHighestContainedCode) {
    TModul& module = Place("KORVO RT 2");
    // Sensor 15, format 3, connection 3 and bits 14-15 set.
    module.Parameter = std::to_string(0xF | 0x30 | 0x3000 | 0xC000) + ",0";
    Korvo_RT_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_EQ(Caption(dialog, 1, 0), "linear 0..4000");
    EXPECT_EQ(Caption(dialog, 1, 1), "15 bit with sign");
    EXPECT_EQ(Caption(dialog, 1, 4), "4 conductor");
    // The next click drops the bits outside the fields but keeps the fields as stored.
    ASSERT_TRUE(dialog.OptionClick(1, 25));
    EXPECT_EQ(dialog.Word(1), 0xF | 0x30 | 0x3000);
}

TEST_F(TwoChannelTest, Tc2ResolutionAndSensorCodesSurviveSaveAndReopen) {
    TModul& module = Place("KORVO TC 2");
    Korvo_TC_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    ASSERT_TRUE(dialog.OptionClick(1, 14));
    ASSERT_TRUE(dialog.OptionClick(1, 20));
    ASSERT_TRUE(dialog.OptionClick(2, 9));
    ASSERT_TRUE(dialog.OptionClick(2, 24));
    EXPECT_EQ(dialog.Word(1), 14 | 1 << 6);
    EXPECT_EQ(dialog.Comment(1), "-15..85mV/15 bit/0.01 \xB0" "C/avarage intern/");
    EXPECT_EQ(dialog.Comment(2), "Typ L/15 bit/0.1 \xB0" "C/average none/");
    dialog.SaveConfiguration(*model_);
    EXPECT_EQ(module.Parameter, "78,265");
    EXPECT_EQ(module.ParameterComment[1], "-15..85mV/15 bit/0.01 \xB0" "C/avarage intern/");

    Korvo_TC_2::Dialog reopened;
    reopened.FormShow(*model_);
    reopened.FormActivate(*model_);
    EXPECT_EQ(Caption(reopened, 1, 0), "-15mV..85mV");
    EXPECT_EQ(Caption(reopened, 1, 2), "1    \xB0" "C");
    EXPECT_EQ(module.ParameterComment[2], "Typ L/15 bit/0.1 \xB0" "C/average none/");
}

TEST_F(TwoChannelTest, UnknownTagsAndChannelsChangeNothing) {
    Place("KORVO TC 2");
    Korvo_TC_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_FALSE(dialog.OptionClick(1, 15));
    EXPECT_FALSE(dialog.OptionClick(1, 25));
    EXPECT_FALSE(dialog.OptionClick(3, 1));
    EXPECT_EQ(dialog.Word(1), 0);
}

TEST_F(TwoChannelTest, MalformedOrOutOfRangeParameterReportsAndKeepsEverything) {
    TModul& module = Place("KORVO RT 2");
    Korvo_RT_2::Dialog dialog;
    dialog.FormShow(*model_);
    module.Parameter = "7,300,";
    dialog.FormActivate(*model_);
    for (const char* bad : {"5,x", "65536,0", "-1,0", "4,,"}) {
        module.Parameter = bad;
        module.ParameterComment[1] = "kept";
        EXPECT_THROW(dialog.FormActivate(*model_), ConversionError) << bad;
        EXPECT_EQ(dialog.Word(1), 7) << bad;
        EXPECT_EQ(dialog.Word(2), 300) << bad;
        EXPECT_EQ(module.ParameterComment[1], "kept") << bad;
    }
}

TEST_F(TwoChannelTest, MeasuredValuesAreSignedWithTheirUnitAndDiagnosticWordsBitMatched) {
    TModul& module = Place("KORVO TC 2");
    Korvo_TC_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_FALSE(dialog.Display(1).has_value());
    module.InputData = "128,2,128,18,";
    dialog.TimerTick(*model_);
    ASSERT_TRUE(dialog.Display(1).has_value());
    EXPECT_EQ(dialog.Display(1)->WordText(), "8002h");
    EXPECT_EQ(dialog.Display(1)->diagnostic, "Error wire breaking");
    EXPECT_EQ(dialog.Display(2)->diagnostic, "Error conf invalid");
    module.InputData = "128,3,128,129,";
    dialog.TimerTick(*model_);
    EXPECT_EQ(dialog.Display(1)->diagnostic, "Error wire breaking");
    EXPECT_EQ(dialog.Display(2)->diagnostic, "Error measuring range");
    // -0.1 degree is a temperature, not a word with every error bit set.
    module.InputData = "0,235,255,255,";
    dialog.TimerTick(*model_);
    EXPECT_EQ(dialog.Display(1)->ValueText(),
              "23.5 \xB0"
              "C");
    EXPECT_EQ(dialog.Display(1)->diagnostic, "");
    EXPECT_EQ(dialog.Display(2)->WordText(), "-1");
    EXPECT_EQ(dialog.Display(2)->ValueText(),
              "-0.1 \xB0"
              "C");
    EXPECT_EQ(dialog.Display(2)->diagnostic, "");
    // The saved words set the unit: channel 2 in 0.1 degree Fahrenheit.
    module.Parameter = "0,128";
    dialog.TimerTick(*model_);
    EXPECT_EQ(dialog.Display(2)->ValueText(),
              "-0.1 \xB0"
              "F");
    // Shown again, the window starts without the values it showed before.
    dialog.FormShow(*model_);
    EXPECT_FALSE(dialog.Display(1).has_value());
}

TEST_F(TwoChannelTest, ShortOrGarbledInputKeepsTheDisplay) {
    TModul& module = Place("KORVO RT 2");
    Korvo_RT_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    module.InputData = "1,0,0,100,";
    dialog.TimerTick(*model_);
    for (const char* bad : {"", "1,2,", "1,2,3,256,", "1,2,x,4,"}) {
        module.InputData = bad;
        dialog.TimerTick(*model_);
        EXPECT_EQ(dialog.Display(1)->WordText(), "256") << bad;
        EXPECT_EQ(dialog.Display(2)->WordText(), "100") << bad;
    }
}

TEST_F(TwoChannelTest, SlotThatNowHoldsAnotherTypeIsNeverWritten) {
    TModul& module = Place("KORVO TC 2");
    Korvo_TC_2::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    ASSERT_TRUE(dialog.OptionClick(1, 14));
    module.ModulType = "KORVO CT 1";
    module.Parameter = "5265,0";
    module.ParameterComment[1] = "counter";
    dialog.SaveConfiguration(*model_);
    dialog.FormActivate(*model_);
    EXPECT_EQ(module.Parameter, "5265,0");
    EXPECT_EQ(module.ParameterComment[1], "counter");
}

TEST_F(TwoChannelTest, HeadlessFaceNamesGroupsTrimmedAndFindsAmbiguousReserve) {
    TModul& module = Place("KORVO RT 2");
    const std::unique_ptr<ModuleDialog> dialog = MakeModuleDialog("KORVO RT 2");
    ASSERT_NE(dialog, nullptr);
    dialog->Open(*model_, model_->ModuleCount);
    const DialogChannel second = dialog->Channel(2);
    EXPECT_EQ(second.word, 0);
    ASSERT_EQ(second.groups.size(), 5u);
    EXPECT_EQ(second.groups[1].caption, "size");
    EXPECT_EQ(second.groups[2].options[static_cast<std::size_t>(second.groups[2].selected)], "0.1 \xB0" "C");
    EXPECT_EQ(second.comment, "PT DIN/15 bit/0.1 \xB0" "C/100 Ohm/3 cond./");
    EXPECT_EQ(FindOption(second, "reserve").result, OptionMatch::Ambiguous);
    const OptionMatch ni100 = FindOption(second, "Ni 100");
    ASSERT_EQ(ni100.result, OptionMatch::Found);
    dialog->Click(*model_, 2, ni100.group, ni100.option);
    dialog->Save(*model_);
    EXPECT_EQ(module.Parameter, "0,6");
}

}  // namespace
}  // namespace korvo
