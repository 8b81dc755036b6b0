// The AO 1 and AO 2V dialogs: value texts, range checks that say which limit a value
// passes, single-precision conversion to output words, the value being output, the
// range and value kept per module, and the error display.

#include "dialog_station.h"

#include "dialogs/korvo_ao_1.h"
#include "dialogs/korvo_ao_2v.h"
#include "station/versch.h"

#include <string>

namespace korvo {
namespace {

using testing::DialogStation;

TEST(OutputValueTest, ReadsCommaOrFirstPointAsDecimalSeparator) {
    EXPECT_FLOAT_EQ(ReadOutputValue("10,000"), 10.0f);
    EXPECT_FLOAT_EQ(ReadOutputValue("2.5"), 2.5f);
    EXPECT_FLOAT_EQ(ReadOutputValue(" -5,5555 "), -5.5555f);
    EXPECT_FLOAT_EQ(ReadOutputValue("7"), 7.0f);
    for (const std::string bad :
         {"", " ", "abc", "1.5.3", "1,5,3", "1.2,3", "-", ",", "nan", "inf", "1e999", "5 V"})
        EXPECT_THROW(ReadOutputValue(bad), ConversionError) << bad;
}

TEST(OutputValueTest, LimitsAreShownWithThreeDecimalsAndComma) {
    EXPECT_EQ(LimitText(10.0f), "10,000");
    EXPECT_EQ(LimitText(-10.0f), "-10,000");
    EXPECT_EQ(LimitText(4.0f), "4,000");
    EXPECT_EQ(LimitText(0.0f), "0,000");
}

class Ao1DialogTest : public DialogStation {
protected:
    Korvo_AO_1::Dialog dialog;
    int slot = 0;

    void SetUp() override {
        slot = Place("KORVO AO 1");
        dialog.FormShow(model);
    }
    ValueOutcome Send(int range, const std::string& value) {
        dialog.SetRangeOption(range);
        dialog.SetValueText(value);
        return dialog.Button1Click(model);
    }
};

TEST_F(Ao1DialogTest, WordsAreTruncatedTowardZeroInEveryRange) {
    EXPECT_TRUE(Send(0, "5").inRange);
    EXPECT_EQ(At(slot).OutputData, "127,255");
    Send(0, "10,000");
    EXPECT_EQ(At(slot).OutputData, "255,255");
    Send(0, "2.5");
    EXPECT_EQ(At(slot).OutputData, "63,255");
    Send(1, "10");
    EXPECT_EQ(At(slot).OutputData, "127,255");
    Send(2, "4");
    EXPECT_EQ(At(slot).OutputData, "0,0");
    Send(2, "12");
    EXPECT_EQ(At(slot).OutputData, "127,255");
    Send(2, "20");
    EXPECT_EQ(At(slot).OutputData, "255,255");
}

TEST_F(Ao1DialogTest, ValueOutsideTheRangeSaysWhichLimitItPassesAndSendsNothing) {
    Send(2, "12");
    ValueOutcome outcome = Send(2, "3,9");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(outcome.message, "value 3,9 lies below 4,000, the end of 4..20 mA: nothing sent");
    EXPECT_EQ(dialog.ValueText(), "3,9");
    EXPECT_EQ(At(slot).OutputData, "127,255");
    outcome = Send(0, "10.5");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(outcome.message, "value 10.5 lies above 10,000, the end of 0..10 Volt: nothing sent");
    EXPECT_EQ(dialog.ValueText(), "10.5");
    // Pressing again sends nothing either.
    EXPECT_FALSE(dialog.Button1Click(model).inRange);
    EXPECT_EQ(At(slot).OutputData, "127,255");
    EXPECT_FALSE(Send(1, "-0,1").inRange);
    EXPECT_TRUE(Send(1, "20").inRange);
    EXPECT_EQ(At(slot).OutputData, "255,255");
}

TEST_F(Ao1DialogTest, OutputValueReadsTheSentWordInTheRangeItWasSentFor) {
    EXPECT_FALSE(dialog.OutputValue(model, 1).has_value()) << "nothing sent yet";
    EXPECT_EQ(OutputValueText(dialog.OutputValue(model, 1)), "nothing sent");
    Send(2, "12");
    // Another range chosen but not sent does not change what the module puts out.
    dialog.SetRangeOption(0);
    ASSERT_TRUE(dialog.OutputValue(model, 1).has_value());
    EXPECT_EQ(OutputValueText(dialog.OutputValue(model, 1)), "12.000 mA (word 32767)");
    // The I/O test switched the output off: word 0 is the range's lower end.
    At(slot).OutputData = "0,0";
    EXPECT_EQ(dialog.OutputValue(model, 1)->ValueText(), "4.000 mA");
}

// The range and value sent belong to the module: another AO 1 opens with its own.
TEST_F(Ao1DialogTest, EachModuleOpensWithTheRangeAndValueLastSentToIt) {
    Send(2, "12");
    Send(0, "99");
    const int second = Place("KORVO AO 1");
    dialog.FormShow(model);
    EXPECT_EQ(dialog.EditedModule(), second);
    EXPECT_EQ(dialog.RangeOption(), 0);
    EXPECT_EQ(dialog.ValueText(), "10,000");
    EXPECT_FALSE(dialog.OutputValue(model, 1).has_value());
    model.CurrentModule = slot;
    dialog.FormShow(model);
    EXPECT_EQ(dialog.RangeOption(), 2);
    EXPECT_EQ(dialog.ValueText(), "12");
}

TEST_F(Ao1DialogTest, TextThatIsNoNumberSendsNothing) {
    Send(0, "5");
    EXPECT_THROW(Send(0, "five"), ConversionError);
    EXPECT_EQ(At(slot).OutputData, "127,255");
    EXPECT_EQ(dialog.ValueText(), "five");
}

class Ao2vDialogTest : public DialogStation {
protected:
    Korvo_AO_2V::Dialog dialog;
    int slot = 0;

    void SetUp() override {
        slot = Place("KORVO AO 2V");
        dialog.FormShow(model);
    }
    ValueOutcome Send(int range1, const std::string& value1, int range2, const std::string& value2) {
        dialog.SetRangeOption(1, range1);
        dialog.SetRangeOption(2, range2);
        dialog.SetValueText(1, value1);
        dialog.SetValueText(2, value2);
        return dialog.Button1Click(model);
    }
};

TEST_F(Ao2vDialogTest, BothWordsAreSentAsTwosComplementHighByteFirst) {
    EXPECT_TRUE(Send(0, "10", 0, "0").inRange);
    EXPECT_EQ(At(slot).OutputData, "117,48,0,0");
    Send(0, "1", 1, "-10");
    EXPECT_EQ(At(slot).OutputData, "11,184,138,208");
    // -5.5555 V gives -16666.5 in single precision, truncated to -16666 (0xBEE6).
    Send(1, "-5.5555", 1, "10,000");
    EXPECT_EQ(At(slot).OutputData, "190,230,117,48");
}

TEST_F(Ao2vDialogTest, ChannelOutsideItsRangeIsNamedAndNothingIsSent) {
    Send(0, "1", 1, "-10");
    ValueOutcome outcome = Send(1, "-11", 0, "5");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(outcome.message,
              "channel 1: value -11 lies below -10,000, the end of -10..10 Volt: nothing sent");
    EXPECT_EQ(dialog.ValueText(1), "-11");
    EXPECT_EQ(dialog.ValueText(2), "5");
    EXPECT_EQ(At(slot).OutputData, "11,184,138,208");
    // Channel 2 out of range: channel 1 alone would leave the module half written.
    outcome = Send(0, "2", 0, "-1");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(outcome.message, "channel 2: value -1 lies below 0,000, the end of 0..10 Volt: nothing sent");
    EXPECT_EQ(At(slot).OutputData, "11,184,138,208");
    EXPECT_THROW(Send(0, "2", 0, "x"), ConversionError);
    EXPECT_EQ(At(slot).OutputData, "11,184,138,208");
    EXPECT_EQ(OutputValueText(dialog.OutputValue(model, 1)), "1.000 V (word 3000)");
    EXPECT_EQ(OutputValueText(dialog.OutputValue(model, 2)), "-10.000 V (word -30000)");
    // Opened again, the window shows what went out, not the values refused since.
    dialog.FormShow(model);
    EXPECT_EQ(dialog.ValueText(1), "1");
    EXPECT_EQ(dialog.RangeOption(2), 1);
    EXPECT_EQ(dialog.ValueText(2), "-10");
}

TEST_F(Ao2vDialogTest, ErrorLabelsUseTheOutputTableWithBitMatching) {
    EXPECT_FALSE(dialog.Timer1Timer(model).has_value()) << "the module has no input bytes";
    At(slot).InputData = "128,18,128,96,";
    const auto errors = dialog.Timer1Timer(model);
    ASSERT_TRUE(errors.has_value());
    EXPECT_EQ((*errors)[0], "Error conf invalid");
    EXPECT_EQ((*errors)[1], "Error modul defect");
    At(slot).InputData = "0,0,0,0,";
    EXPECT_EQ((*dialog.Timer1Timer(model))[0], "");
}

TEST_F(Ao2vDialogTest, HeadlessFaceSetsRangesByCaptionAndSendsValues) {
    ModuleDialog& face = dialog;
    const OptionMatch match = FindOption(face.Channel(2), "-10..10 Volt");
    ASSERT_EQ(match.result, OptionMatch::Found);
    face.Click(model, 2, match.group, match.option);
    const ValueOutcome outcome = face.ApplyValues(model, {{1, "value", "0"}, {2, "value", "-10"}});
    EXPECT_TRUE(outcome.inRange);
    EXPECT_EQ(At(slot).OutputData, "0,0,138,208");
    EXPECT_EQ(face.Channel(2).values.at(0).text, "-10");
    EXPECT_FALSE(face.HasSave());
}

}  // namespace
}  // namespace korvo
