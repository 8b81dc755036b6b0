// The TC 4, TC 8 and RT 6 dialogs' logic: the command sequence over the ticks, the
// unit and output bits in the commands, the configuration channel across openings,
// the sensor codes and comments, and the responses shown per channel pair.

#include "dialog_fixture.h"

#include "dialogs/korvo_rt_6.h"
#include "dialogs/korvo_tc_4.h"
#include "dialogs/korvo_tc_8.h"
#include "dialogs/automatic_save.h"
#include "dialogs/module_dialog_registry.h"
#include "dialogs/multi_channel_temperature.h"
#include "station/versch.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace korvo {
namespace {

using testing::DialogTest;

class MultiChannelTest : public DialogTest {
protected:
    // The command code (byte 1) of each of the next ticks.
    std::vector<int> Codes(MultiChannelTemperatureDialog& dialog, const TModul& module, int ticks) {
        std::vector<int> codes;
        for (int i = 0; i < ticks; ++i) {
            dialog.TimerTick(*model_);
            codes.push_back(StrToInt(module.OutputData.substr(0, module.OutputData.find(','))));
        }
        return codes;
    }
};

TEST_F(MultiChannelTest, NewTc8RunsReadsThenEachChannelsConfigurationThenApply) {
    TModul& module = Place("KORVO TC 8");
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_EQ(dialog.Layout().sensors[static_cast<std::size_t>(dialog.SelectedSensor())].caption,
              std::string("tc typ L"));
    EXPECT_EQ(module.ParameterComment[1], " tc typ L ");
    EXPECT_EQ(dialog.NextChannelCaption(), "next channel 1");
    EXPECT_TRUE(dialog.TimerEnabled());

    dialog.TimerTick(*model_);
    EXPECT_EQ(module.OutputData, "8,0,0,0,0,0,0,0,0,0,0,0,");
    EXPECT_EQ(Codes(dialog, module, 3), (std::vector<int>{9, 10, 11}));
    for (int channel = 0; channel < 8; ++channel) {
        dialog.TimerTick(*model_);
        EXPECT_EQ(module.OutputData, MultiChannelTemperatureDialog::CommandText(24 + channel, 0, 0));
    }
    EXPECT_TRUE(module.DialogState.passComplete);
    dialog.TimerTick(*model_);
    EXPECT_EQ(module.OutputData, "32,0,0,0,0,0,0,0,0,0,0,0,");
    EXPECT_EQ(Codes(dialog, module, 5), (std::vector<int>{8, 9, 10, 11, 24}));
}

TEST_F(MultiChannelTest, ConfigurationChannelCarriesOverAndReactivationStartsWithRead8) {
    TModul& module = Place("KORVO TC 8");
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_EQ(Codes(dialog, module, 6), (std::vector<int>{8, 9, 10, 11, 24, 25}));
    dialog.FormDeactivate();
    EXPECT_FALSE(dialog.TimerEnabled());
    dialog.FormActivate(*model_);
    EXPECT_EQ(Codes(dialog, module, 11), (std::vector<int>{8, 9, 10, 11, 26, 27, 28, 29, 30, 31, 32}));
    // Leaving after the last configuration command: the apply command follows the reads.
    EXPECT_EQ(Codes(dialog, module, 12), (std::vector<int>{8, 9, 10, 11, 24, 25, 26, 27, 28, 29, 30, 31}));
    dialog.FormClose();
    dialog.FormActivate(*model_);
    EXPECT_EQ(Codes(dialog, module, 6), (std::vector<int>{8, 9, 10, 11, 32, 8}));
}

TEST_F(MultiChannelTest, FahrenheitAndSensorCodesGoIntoTheConfigurationCommands) {
    TModul& module = Place("KORVO TC 8");
    module.Parameter = "1,2,3,4,5,6,7,11,";
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    dialog.UnitClick(*model_, true);
    Codes(dialog, module, 4);
    const std::vector<int> codes{1, 2, 3, 4, 5, 6, 7, 11};
    for (int channel = 0; channel < 8; ++channel) {
        dialog.TimerTick(*model_);
        EXPECT_EQ(module.OutputData, MultiChannelTemperatureDialog::CommandText(24 + channel, 32, codes[channel]));
    }
    dialog.UnitClick(*model_, false);
    EXPECT_EQ(Codes(dialog, module, 6), (std::vector<int>{32, 8, 9, 10, 11, 24}));
    EXPECT_EQ(module.OutputData, "24,0,1,0,0,0,0,0,0,0,0,0,");
}

// The twelve command bytes the last tick put into OutputData.
std::vector<int> CommandBytes(const TModul& module) {
    std::vector<int> bytes;
    std::string rest = module.OutputData;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        bytes.push_back(StrToInt(rest.substr(0, comma)));
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return bytes;
}

TEST_F(MultiChannelTest, EachConfigurationStepCarriesItsChannelItsOwnCodeAndThePassFlag) {
    struct Case {
        std::string type;
        std::vector<int> codes;  // no two neighbours alike, so a slip to the next channel shows
        bool fahrenheit;
        int expectedUnit;
    };
    const Case cases[] = {
        {"KORVO TC 4", {3, 7, 1, 11, 0, 9, 4, 6}, true, 32},
        {"KORVO TC 8", {10, 2, 8, 5, 7, 0, 11, 3}, false, 0},
        {"KORVO RT 6", {25, 21, 28, 20, 26, 23}, true, 0},
    };
    for (const Case& c : cases) {
        TModul& module = Place(c.type);
        std::string parameter;
        for (const int code : c.codes) parameter += std::to_string(code) + ",";
        module.Parameter = parameter;
        std::unique_ptr<ModuleDialog> opened = MakeModuleDialog(c.type);
        auto& dialog = dynamic_cast<MultiChannelTemperatureDialog&>(*opened);
        dialog.FormShow(*model_);
        dialog.FormActivate(*model_);
        dialog.UnitClick(*model_, c.fahrenheit);
        const int channels = static_cast<int>(c.codes.size());
        Codes(dialog, module, channels / 2);
        for (int k = 0; k < channels; ++k) {
            dialog.TimerTick(*model_);
            std::vector<int> expected(12, 0);
            expected[0] = 24 + k;
            expected[1] = c.expectedUnit;
            expected[2] = c.codes[static_cast<std::size_t>(k)];
            EXPECT_EQ(CommandBytes(module), expected) << c.type << ", configuration of channel " << k + 1;
            EXPECT_EQ(dialog.State(*model_).passComplete, k == channels - 1) << c.type << ", after channel " << k + 1;
            EXPECT_EQ(dialog.State(*model_).configurationChannel, (k + 1) % channels) << c.type;
        }
        dialog.TimerTick(*model_);
        EXPECT_EQ(CommandBytes(module), (std::vector<int>{32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})) << c.type;
        EXPECT_FALSE(dialog.State(*model_).passComplete) << c.type;
        dialog.FormClose();
    }
}

TEST_F(MultiChannelTest, Rt6SendsNoUnitAndCyclesThreeReadsAndSixChannels) {
    TModul& module = Place("KORVO RT 6");
    Korvo_RT_6::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    dialog.UnitClick(*model_, true);
    EXPECT_EQ(Codes(dialog, module, 11), (std::vector<int>{8, 9, 10, 24, 25, 26, 27, 28, 29, 32, 8}));
    dialog.FormActivate(*model_);
    Codes(dialog, module, 3);
    dialog.TimerTick(*model_);
    EXPECT_EQ(module.OutputData, "24,0,20,0,0,0,0,0,0,0,0,0,");
}

TEST_F(MultiChannelTest, TickedOutputsTravelInTheReadCommands) {
    TModul& module = Place("KORVO TC 8");
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    dialog.OutputClick(*model_, 1, true);
    dialog.OutputClick(*model_, 8, true);
    EXPECT_EQ(module.DialogState.outputBits, 129);
    dialog.TimerTick(*model_);
    EXPECT_EQ(module.OutputData, "8,129,0,0,0,0,0,0,0,0,0,0,");
    dialog.OutputClick(*model_, 1, false);
    dialog.OutputClick(*model_, 9, true);
    dialog.TimerTick(*model_);
    EXPECT_EQ(module.OutputData, "9,128,0,0,0,0,0,0,0,0,0,0,");
}

TEST_F(MultiChannelTest, ResponsesFillTheRowsOfTheirPairSignedWithUnitsAndErrorTexts) {
    TModul& module = Place("KORVO TC 8");
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    module.InputData = "9,0,0,5,48,57,0,235,255,255,3,0,";
    dialog.TimerTick(*model_);
    const auto& rows = dialog.Rows();
    EXPECT_EQ(rows[2].actual,
              "23.5 \xB0"
              "C");
    EXPECT_EQ(rows[2].word, "235");
    EXPECT_EQ(rows[2].current, "0.5 mA");
    EXPECT_EQ(rows[2].error, "3 Error wire breaking");
    EXPECT_EQ(rows[3].current, "1234.5 mA");
    EXPECT_EQ(rows[3].actual,
              "-0.1 \xB0"
              "C");
    EXPECT_EQ(rows[3].word, "-1");
    EXPECT_EQ(rows[3].error, "0");
    EXPECT_EQ(rows[0].actual, "");
    // Other codes and short or garbled records change nothing.
    for (const char* ignored : {"12,0,0,1,0,1,0,1,0,1,0,0,", "9,0,0,1,0,1,0,1,", "9,0,0,1,0,1,0,1,0,x,0,0,",
                                "9,0,0,1,0,1,0,1,0,256,0,0,"}) {
        module.InputData = ignored;
        dialog.TimerTick(*model_);
        EXPECT_EQ(rows[2].actual,
                  "23.5 \xB0"
                  "C")
            << ignored;
    }
}

TEST_F(MultiChannelTest, ValuesReadInTheUnitTheModuleWasConfiguredWithOnceApplied) {
    TModul& module = Place("KORVO TC 8");
    module.Parameter = "0,0,0,0,0,0,0,0,";
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    dialog.UnitClick(*model_, true);
    module.InputData = "8,0,0,40,0,40,2,232,2,232,0,0,";
    // Reads and the configuration commands: the module still reads in Celsius.
    Codes(dialog, module, 12);
    EXPECT_EQ(dialog.Rows()[0].actual,
              "74.4 \xB0"
              "C");
    // The apply command.
    EXPECT_EQ(Codes(dialog, module, 1), (std::vector<int>{32}));
    EXPECT_EQ(dialog.Rows()[0].actual,
              "74.4 \xB0"
              "F");
    EXPECT_EQ(dialog.MeasuredScale(*model_, 1)->unit,
              "\xB0"
              "F");
}

// The ticked outputs, the unit and the place in the configuration sequence are the
// module's: a second module of the type starts fresh, the first goes on as it was.
TEST_F(MultiChannelTest, OutputsUnitAndConfigurationSequenceBelongToEachModule) {
    TModul& first = Place("KORVO TC 8");
    const int firstSlot = model_->ModuleCount;
    TModul& second = Place("KORVO TC 8");
    const int secondSlot = model_->ModuleCount;
    Korvo_TC_8::Dialog dialog;
    model_->CurrentModule = firstSlot;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    dialog.OutputClick(*model_, 1, true);
    dialog.OutputClick(*model_, 8, true);
    dialog.UnitClick(*model_, true);
    EXPECT_EQ(Codes(dialog, first, 6), (std::vector<int>{8, 9, 10, 11, 24, 25}));
    dialog.FormDeactivate();

    model_->CurrentModule = secondSlot;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_EQ(dialog.State(*model_).outputBits, 0);
    EXPECT_FALSE(dialog.State(*model_).fahrenheit);
    dialog.TimerTick(*model_);
    EXPECT_EQ(second.OutputData, "8,0,0,0,0,0,0,0,0,0,0,0,");
    EXPECT_EQ(Codes(dialog, second, 4), (std::vector<int>{9, 10, 11, 24}));
    EXPECT_EQ(second.OutputData, MultiChannelTemperatureDialog::CommandText(24, 0, 0));
    dialog.FormDeactivate();

    model_->CurrentModule = firstSlot;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    EXPECT_EQ(dialog.State(*model_).outputBits, 129);
    dialog.TimerTick(*model_);
    EXPECT_EQ(first.OutputData, "8,129,0,0,0,0,0,0,0,0,0,0,");
    Codes(dialog, first, 3);
    dialog.TimerTick(*model_);
    EXPECT_EQ(first.OutputData, MultiChannelTemperatureDialog::CommandText(26, 32, 0));
}

TEST_F(MultiChannelTest, Tc4IgnoresResponsesOfChannelsItDoesNotShowButStillReadsThem) {
    TModul& module = Place("KORVO TC 4");
    Korvo_TC_4::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    ASSERT_EQ(dialog.Rows().size(), 4u);
    module.InputData = "10,0,0,1,0,1,0,100,0,100,0,0,";
    EXPECT_EQ(Codes(dialog, module, 4), (std::vector<int>{8, 9, 10, 11}));
    module.InputData = "11,0,0,1,0,1,0,100,0,100,0,0,";
    dialog.TimerTick(*model_);
    for (const auto& row : dialog.Rows()) EXPECT_EQ(row.actual, "");
    module.InputData = "9,0,0,1,0,1,0,100,0,100,0,0,";
    dialog.TimerTick(*model_);
    EXPECT_EQ(dialog.Rows()[3].actual,
              "10.0 \xB0"
              "C");
    // All eight channels are configured.
    EXPECT_EQ(Codes(dialog, module, 7), (std::vector<int>{26, 27, 28, 29, 30, 31, 32}));
}

TEST_F(MultiChannelTest, SensorClickWritesParameterAtOnceAndSaveUsesTheSavingTexts) {
    TModul& module = Place("KORVO TC 8");
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    for (int i = 0; i < 4; ++i) dialog.NextChannel(*model_);
    EXPECT_EQ(dialog.CurrentChannel(), 5);
    EXPECT_EQ(dialog.NextChannelCaption(), "next channel 5");
    ASSERT_TRUE(dialog.SensorClick(*model_, 4));
    EXPECT_EQ(module.Parameter, "0,0,0,0,4,0,0,0,");
    dialog.SaveConfiguration(*model_);
    EXPECT_EQ(module.ParameterComment[5], " tc typ S ");
    dialog.FormActivate(*model_);
    for (int i = 0; i < 4; ++i) dialog.NextChannel(*model_);
    EXPECT_EQ(module.ParameterComment[5], " tc typ s ");
    for (int i = 0; i < 4; ++i) dialog.NextChannel(*model_);
    EXPECT_EQ(dialog.CurrentChannel(), 1);
    EXPECT_EQ(dialog.NextChannelCaption(), "next channel 1");
}

TEST_F(MultiChannelTest, UnknownCodeShowsFirstOptionKeepsCodeAndTakesPreviousComment) {
    TModul& module = Place("KORVO TC 8");
    module.Parameter = "2,99,";
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    dialog.NextChannel(*model_);
    EXPECT_EQ(dialog.SelectedSensor(), 0);
    EXPECT_EQ(module.ParameterComment[2], " tc typ L ");
    dialog.SaveConfiguration(*model_);
    EXPECT_EQ(module.Parameter, "2,99,99,99,99,99,99,99,");
    EXPECT_EQ(module.ParameterComment[1], " tc typ K ");
    for (int channel = 2; channel <= 8; ++channel) EXPECT_EQ(module.ParameterComment[channel], " tc typ K ");
}

TEST_F(MultiChannelTest, Rt6StoresOptionNumberPlusTwentyAndWrapsAfterSix) {
    TModul& module = Place("KORVO RT 6");
    Korvo_RT_6::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    ASSERT_TRUE(dialog.SensorClick(*model_, 7));
    EXPECT_EQ(module.Parameter, "27,20,20,20,20,20,");
    dialog.FormActivate(*model_);
    EXPECT_EQ(module.ParameterComment[1], " R0 0..450");
    dialog.SaveConfiguration(*model_);
    EXPECT_EQ(module.ParameterComment[1], " R0 0..450 ");
    for (int i = 0; i < 6; ++i) dialog.NextChannel(*model_);
    EXPECT_EQ(dialog.CurrentChannel(), 1);
}

TEST_F(MultiChannelTest, MalformedCodeStopsTheLoadAndStartsNothing) {
    TModul& module = Place("KORVO TC 8");
    module.Parameter = "3,";
    Korvo_TC_8::Dialog dialog;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    dialog.FormDeactivate();
    for (const char* bad : {"1,x,", "1,256,", "-1,"}) {
        module.Parameter = bad;
        EXPECT_THROW(dialog.FormActivate(*model_), ConversionError) << bad;
        EXPECT_FALSE(dialog.TimerEnabled()) << bad;
        for (int channel = 1; channel <= 8; ++channel) EXPECT_EQ(dialog.Code(channel), 3) << bad;
    }
}

TEST_F(MultiChannelTest, ModuleOfAnotherTypeMadeCurrentNeverReceivesCommands) {
    TModul& tc8 = Place("KORVO TC 8");
    const int tc8Slot = model_->ModuleCount;
    TModul& outputs = Place("KORVO DO 16");
    Korvo_TC_8::Dialog dialog;
    model_->CurrentModule = tc8Slot;
    dialog.FormShow(*model_);
    dialog.FormActivate(*model_);
    // The user clicks the output module in the station view and comes back.
    model_->CurrentModule = model_->ModuleCount;
    dialog.FormActivate(*model_);
    dialog.TimerTick(*model_);
    EXPECT_EQ(dialog.EditedModule(), tc8Slot);
    EXPECT_EQ(tc8.OutputData, "8,0,0,0,0,0,0,0,0,0,0,0,");
    EXPECT_EQ(outputs.OutputData, "");
    EXPECT_EQ(outputs.ParameterComment[1], "");

    // The slot now holds another type (modules moved up after a deletion).
    tc8.ModulType = "KORVO DI 8";
    tc8.OutputData.clear();
    dialog.TimerTick(*model_);
    ASSERT_TRUE(dialog.SensorClick(*model_, 3));
    dialog.SaveConfiguration(*model_);
    EXPECT_EQ(tc8.OutputData, "");
    EXPECT_EQ(tc8.Parameter, "0,0,0,0,0,0,0,0,");
}

TEST_F(MultiChannelTest, HeadlessFaceShowsChannelsAndClicksByCaptionOnAnyChannel) {
    TModul& module = Place("KORVO TC 4");
    module.Parameter = "2,2,2,2,2,2,2,77,";
    const std::unique_ptr<ModuleDialog> dialog = MakeModuleDialog("KORVO TC 4");
    ASSERT_NE(dialog, nullptr);
    dialog->Open(*model_, model_->ModuleCount);
    EXPECT_EQ(dialog->ChannelCount(), 8);
    const DialogChannel eighth = dialog->Channel(8);
    EXPECT_EQ(eighth.word, 77);
    ASSERT_EQ(eighth.groups.size(), 1u);
    EXPECT_EQ(eighth.groups[0].caption, "sensor typ");
    EXPECT_EQ(eighth.groups[0].selected, 0);
    EXPECT_EQ(eighth.comment, " tc typ L ");

    const OptionMatch match = FindOption(dialog->Channel(5), " tc typ S ");
    ASSERT_EQ(match.result, OptionMatch::Found);
    dialog->Click(*model_, 5, match.group, match.option);
    EXPECT_EQ(module.Parameter, "2,2,2,2,4,2,2,77,");
    EXPECT_EQ(dialog->Channel(5).comment, " tc typ s ");
    dialog->Save(*model_);
    SaveStationAutomatically(*model_);
    EXPECT_EQ(module.ParameterComment[5], " tc typ S ");
    EXPECT_EQ(module.ParameterComment[8], " tc typ K ");
    const std::string saved = SavedSettings();
    EXPECT_NE(saved.find("2,2,2,2,4,2,2,77,"), std::string::npos) << saved;
    EXPECT_NE(saved.find(" tc typ S "), std::string::npos) << saved;
}

}  // namespace
}  // namespace korvo
