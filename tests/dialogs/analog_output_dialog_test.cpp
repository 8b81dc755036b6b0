// The AO 1 and AO 2V dialogs: value texts, range checks with the violated limit put
// back, single-precision conversion to output words and the error display.

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

TEST_F(Ao1DialogTest, ValueOutsideTheRangeTakesTheViolatedLimitAndSendsNothing) {
    Send(2, "12");
    ValueOutcome outcome = Send(2, "3,9");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(dialog.ValueText(), "4,000");
    EXPECT_EQ(At(slot).OutputData, "127,255");
    outcome = Send(0, "10.5");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(dialog.ValueText(), "10,000");
    EXPECT_EQ(At(slot).OutputData, "127,255");
    // Pressing again sends the limit.
    EXPECT_TRUE(dialog.Button1Click(model).inRange);
    EXPECT_EQ(At(slot).OutputData, "255,255");
    Send(1, "20,5");
    EXPECT_EQ(dialog.ValueText(), "20,000");
    Send(1, "-0,1");
    EXPECT_EQ(dialog.ValueText(), "0,000");
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

TEST_F(Ao2vDialogTest, ChannelOutsideItsRangeTakesTheLimitAndNothingIsSent) {
    Send(0, "1", 1, "-10");
    ValueOutcome outcome = Send(1, "-11", 0, "5");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(dialog.ValueText(1), "-10,000");
    EXPECT_EQ(dialog.ValueText(2), "5");
    EXPECT_EQ(At(slot).OutputData, "11,184,138,208");
    // Channel 2 out of range: channel 1 alone would leave the module half written.
    outcome = Send(0, "2", 0, "-1");
    EXPECT_FALSE(outcome.inRange);
    EXPECT_EQ(dialog.ValueText(2), "0,000");
    EXPECT_EQ(At(slot).OutputData, "11,184,138,208");
    EXPECT_THROW(Send(0, "2", 0, "x"), ConversionError);
    EXPECT_EQ(At(slot).OutputData, "11,184,138,208");
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
