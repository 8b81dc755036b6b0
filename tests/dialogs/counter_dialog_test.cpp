#include "dialog_fixture.h"

#include "dialogs/korvo_ct_1.h"
#include "dialogs/module_dialog_registry.h"
#include "station/versch.h"

namespace korvo {
namespace {

constexpr const char* kDefaultComment =
    "event counter :  recurring     ;  Output : high puls direction : downward; ";

class CounterDialog : public testing::DialogTest {
protected:
    // A coupler and a counter in slot 2 with the given Parameter; the dialog opened on it.
    void Open(const std::string& parameter) {
        Load("[Module]\r\nAnzahl=2\r\nName1=KORVO NC ETH\r\nName2=KORVO CT 1\r\n[Parameter]\r\nName2=" +
             parameter + "\r\n");
        model_->CurrentModule = 2;
        dialog_.FormShow(*model_);
        dialog_.FormActivate(*model_);
    }
    Korvo_CT_1::Dialog& Dialog() { return dialog_; }
    TModul& Counter() { return Module(2); }
    void Save() {
        dialog_.SaveConfiguration(*model_);
        SaveProject(*model_, SettingsFile());
    }

    Korvo_CT_1::Dialog dialog_;
};

TEST_F(CounterDialog, NewCounterLoadsDefaultWordWithoutGate) {
    Open("");
    EXPECT_EQ(Dialog().W(), 0x1401);
    EXPECT_EQ(Dialog().Mode(), CounterMode::EventCounter);
    EXPECT_EQ(Dialog().SelectedTag(CounterGroup::Continuation), 1);
    EXPECT_EQ(Dialog().SelectedTag(CounterGroup::Gate), 0);
    EXPECT_EQ(Dialog().SelectedTag(CounterGroup::Output), 8);
    EXPECT_EQ(Dialog().SelectedTag(CounterGroup::Direction), 18);
    EXPECT_TRUE(Dialog().GroupEnabled(CounterGroup::Gate));
    EXPECT_FALSE(Dialog().GroupEnabled(CounterGroup::TimeFrequency));
    EXPECT_FALSE(Dialog().GroupEnabled(CounterGroup::StateGate));
    EXPECT_TRUE(Dialog().GroupEnabled(CounterGroup::Direction));
    EXPECT_EQ(Counter().ParameterComment[1], kDefaultComment);
    EXPECT_TRUE(Counter().Parameter.empty());
}

TEST_F(CounterDialog, EventWordGivesCommentOfAllFourGroups) {
    Open("5265,0");
    EXPECT_EQ(Counter().ParameterComment[1],
              "event counter :  nonrecurring  ;  high pegel   ; Output : high puls direction : downward; ");
    Save();
    EXPECT_EQ(Counter().Parameter, "5265,0");
    EXPECT_EQ(Counter().OutputData, "20,145,0,0");
}

TEST_F(CounterDialog, StateWordSavesItselfAndItsConfigurationCommand) {
    Open("5116,0");
    EXPECT_EQ(Dialog().Mode(), CounterMode::StateFrequency);
    EXPECT_EQ(Dialog().SelectedTag(CounterGroup::StateGate), 14);
    EXPECT_TRUE(Dialog().GroupEnabled(CounterGroup::StateGate));
    EXPECT_FALSE(Dialog().GroupEnabled(CounterGroup::Gate));
    Save();
    EXPECT_EQ(Counter().Parameter, "5116,0");
    EXPECT_EQ(Counter().OutputData, "19,252,0,0");
    EXPECT_EQ(Counter().ParameterComment[1], "frequenz state controll :  :  high pegel");
    EXPECT_NE(Read(SettingsFile()).find("Name2=5116,0\r\n"), std::string::npos);
}

TEST_F(CounterDialog, StateGateOptionsAreMatchedAsWholeWords) {
    Open("5118,0");
    EXPECT_EQ(Dialog().SelectedTag(CounterGroup::StateGate), 16);
    Dialog().OptionClick(17);
    EXPECT_EQ(Dialog().W(), 0x13FF);
    // An event option in the state mode only moves its selection.
    Dialog().OptionClick(19);
    EXPECT_EQ(Dialog().W(), 0x13FF);
}

TEST_F(CounterDialog, Word1400hCountsAsStateControlled) {
    Open("5120,0");
    EXPECT_EQ(Dialog().Mode(), CounterMode::StateFrequency);
    EXPECT_EQ(Dialog().SelectedTag(CounterGroup::StateGate), 0);
    EXPECT_EQ(Counter().ParameterComment[1], "frequenz state controll :  : ");
}

TEST_F(CounterDialog, TimeWordShowsGateTimeAndSavesUnchanged) {
    Open("4196,0");
    EXPECT_EQ(Dialog().Mode(), CounterMode::TimeFrequency);
    EXPECT_EQ(Dialog().GateTimeText(), "100");
    EXPECT_TRUE(Dialog().GroupEnabled(CounterGroup::TimeFrequency));
    EXPECT_FALSE(Dialog().GroupEnabled(CounterGroup::StateGate));
    Save();
    EXPECT_EQ(Counter().Parameter, "4196,0");
    EXPECT_EQ(Counter().ParameterComment[1], "frequenz time controll :  : 100 1/100 [sec]");
}

TEST_F(CounterDialog, GateTimeOutsideRangeBecomesTen) {
    Open("4196,0");
    Dialog().Edit1Change("2000");
    EXPECT_EQ(Dialog().GateTimeText(), "10");
    EXPECT_EQ(Dialog().W(), 0x100A);
    Dialog().Edit1Change("0");
    EXPECT_EQ(Dialog().GateTimeText(), "10");
    Dialog().Edit1Change("1000");
    EXPECT_EQ(Dialog().W(), 0x13E8);
}

TEST_F(CounterDialog, StoredGateTimeAbove1000LoadsAsTenWhateverModeWasDown) {
    Open("5265,0");
    Counter().Parameter = "5104,0";  // 13F0h: gate time 1008
    Dialog().FormActivate(*model_);
    EXPECT_EQ(Dialog().Mode(), CounterMode::TimeFrequency);
    EXPECT_EQ(Dialog().GateTimeText(), "10");
    EXPECT_EQ(Dialog().W(), 0x100A);
    Save();
    EXPECT_EQ(Counter().Parameter, "4106,0");
    EXPECT_EQ(Counter().ParameterComment[1], "frequenz time controll :  : 10 1/100 [sec]");
}

TEST_F(CounterDialog, GateTimeOutsideTimeModeLeavesWord) {
    Open("5265,0");
    Dialog().Edit1Change("250");
    EXPECT_EQ(Dialog().GateTimeText(), "250");
    EXPECT_EQ(Dialog().W(), 5265);
    Dialog().ModeButtonClick(CounterMode::TimeFrequency);
    EXPECT_EQ(Dialog().W(), 0x1000 + 250);
    EXPECT_EQ(Dialog().Mode(), CounterMode::TimeFrequency);
}

TEST_F(CounterDialog, MalformedGateTimeChangesNothing) {
    Open("4196,0");
    EXPECT_THROW(Dialog().Edit1Change(""), ConversionError);
    EXPECT_EQ(Dialog().W(), 4196);
    Dialog().ModeButtonClick(CounterMode::EventCounter);
    const std::uint16_t event = Dialog().W();
    EXPECT_THROW(Dialog().ModeButtonClick(CounterMode::TimeFrequency), ConversionError);
    EXPECT_EQ(Dialog().Mode(), CounterMode::EventCounter);
    EXPECT_EQ(Dialog().W(), event);
}

TEST_F(CounterDialog, OptionClickReplacesOneFieldAndDropsHighBits) {
    Open("62609,0");  // F491h: an event word with stray high bits
    EXPECT_EQ(Dialog().Mode(), CounterMode::EventCounter);
    Dialog().OptionClick(19);
    EXPECT_EQ(Dialog().W(), 0x1499);
    Dialog().OptionClick(9);
    EXPECT_EQ(Dialog().W(), 0x149A);
    Dialog().OptionClick(7);
    EXPECT_EQ(Dialog().W(), 0x14FA);
    Dialog().OptionClick(1);
    EXPECT_EQ(Dialog().W(), 0x147A);
}

TEST_F(CounterDialog, EventButtonWithoutGateSelectionContributesZero) {
    Open("");
    Dialog().ModeButtonClick(CounterMode::StateFrequency);
    EXPECT_EQ(Dialog().W(), 0x1401);  // no state gate selected: W stays
    Dialog().OptionClick(12);         // output "high" moves the selection only
    Dialog().ModeButtonClick(CounterMode::EventCounter);
    EXPECT_EQ(Dialog().W(), 0x1405);
    EXPECT_EQ(Dialog().Mode(), CounterMode::EventCounter);
}

TEST_F(CounterDialog, ClickOnDownButtonRaisesItAndStillRuns) {
    Open("5116,0");
    Dialog().OptionClick(19);
    Dialog().ModeButtonClick(CounterMode::StateFrequency);
    EXPECT_EQ(Dialog().Mode(), CounterMode::None);
    EXPECT_EQ(Dialog().W(), 5116);
    Dialog().OptionClick(15);
    EXPECT_EQ(Dialog().W(), 5116);  // no mode down: clicks leave W
}

TEST_F(CounterDialog, WordOfTimeBaseOrLessKeepsModeButtons) {
    Open("5116,0");
    Counter().Parameter = "4096,0";
    Dialog().FormActivate(*model_);
    EXPECT_EQ(Dialog().Mode(), CounterMode::StateFrequency);
    EXPECT_EQ(Dialog().W(), 4096);
}

TEST_F(CounterDialog, MalformedParameterStopsLoadingAndKeepsWord) {
    Open("5116,0");
    for (const char* bad : {"x,0", "70000,0", "-1,0"}) {
        Counter().Parameter = bad;
        EXPECT_THROW(Dialog().FormActivate(*model_), ConversionError) << bad;
        EXPECT_EQ(Dialog().W(), 5116) << bad;
        EXPECT_EQ(Dialog().Mode(), CounterMode::StateFrequency) << bad;
    }
}

TEST_F(CounterDialog, CommandButtonsWriteCommandAndValueBytes) {
    Open("5265,0");
    Dialog().SendCommand(*model_, CounterCommand::Start);
    EXPECT_EQ(Counter().OutputData, "36,0,0,0");
    Dialog().SendCommand(*model_, CounterCommand::Stop);
    EXPECT_EQ(Counter().OutputData, "32,0,0,0");
    Dialog().SendCommand(*model_, CounterCommand::Reset);
    EXPECT_EQ(Counter().OutputData, "40,0,0,0");
    Dialog().SendCommand(*model_, CounterCommand::Read);
    EXPECT_EQ(Counter().OutputData, "0,0,0,0");
    Dialog().SendStartValue(*model_, "258");
    EXPECT_EQ(Counter().OutputData, "64,0,1,2");
    Dialog().SendEndValue(*model_, "300");
    EXPECT_EQ(Counter().OutputData, "80,0,1,44");
    Dialog().SendEndValue(*model_, "65535");
    EXPECT_EQ(Counter().OutputData, "80,0,255,255");
}

TEST_F(CounterDialog, StartOrEndValueThatIsNoWordIsRejected) {
    Open("5265,0");
    Dialog().SendStartValue(*model_, "258");
    for (const char* bad : {"", "12a", "65536", "-1"}) {
        EXPECT_THROW(Dialog().SendStartValue(*model_, bad), ConversionError) << bad;
        EXPECT_THROW(Dialog().SendEndValue(*model_, bad), ConversionError) << bad;
    }
    EXPECT_EQ(Counter().OutputData, "64,0,1,2");
}

TEST_F(CounterDialog, InputShowsEchoInHexAndCounterInDecimalCounts) {
    Open("5265,0");
    EXPECT_FALSE(Dialog().ShowInputWords(*model_));
    Counter().InputData = "20,145,1,44,";
    ASSERT_TRUE(Dialog().ShowInputWords(*model_));
    EXPECT_EQ(Dialog().ConfigValueText(), "1491");
    EXPECT_EQ(Dialog().CounterValueText(), "300");
    EXPECT_EQ(Dialog().CounterUnitText(), "300 counts");
    Counter().InputData = "0,10,255,255,";
    ASSERT_TRUE(Dialog().ShowInputWords(*model_));
    EXPECT_EQ(Dialog().ConfigValueText(), "000A");
    EXPECT_EQ(Dialog().CounterValueText(), "65535");
    for (const char* bad : {"20,145,", "20,256,1,1,", "a,1,1,1,"}) {
        Counter().InputData = bad;
        EXPECT_FALSE(Dialog().ShowInputWords(*model_)) << bad;
        EXPECT_EQ(Dialog().CounterValueText(), "65535") << bad;
    }
}

// Shown for another counter, the window starts with none of the first one's values
// and without the gate time typed for it.
TEST_F(CounterDialog, AnotherCounterStartsWithoutTheValuesAndGateTimeOfTheFirst) {
    Open("5265,0");
    Dialog().Edit1Change("250");
    Counter().InputData = "20,145,1,44,";
    ASSERT_TRUE(Dialog().ShowInputWords(*model_));
    model_->AppendModule("KORVO CT 1");
    model_->CurrentModule = 3;
    Dialog().FormShow(*model_);
    Dialog().FormActivate(*model_);
    EXPECT_EQ(Dialog().CounterValueText(), "0");
    EXPECT_EQ(Dialog().ConfigValueText(), "0");
    EXPECT_EQ(Dialog().CounterUnitText(), "");
    EXPECT_EQ(Dialog().GateTimeText(), "100");
    EXPECT_EQ(Dialog().W(), 0x1401);
}

TEST_F(CounterDialog, SlotThatNoLongerHoldsTheCounterIsNotWritten) {
    Open("5265,0");
    model_->DeleteModule(2);
    model_->AppendModule("KORVO AI 2");
    ASSERT_EQ(Module(2).ModulType, "KORVO AI 2");
    const std::string parameter = Module(2).Parameter;
    Save();
    Dialog().SendCommand(*model_, CounterCommand::Start);
    EXPECT_EQ(Module(2).Parameter, parameter);
    EXPECT_TRUE(Module(2).OutputData.empty());
}

TEST_F(CounterDialog, HeadlessFaceChoosesModeAndOptionsByCaption) {
    Open("5116,0");
    const std::unique_ptr<ModuleDialog> face = MakeModuleDialog("KORVO CT 1");
    ASSERT_NE(face, nullptr);
    face->Open(*model_, 2);
    DialogChannel shown = face->Channel(1);
    ASSERT_EQ(shown.groups.size(), 3u);  // mode, direction and the state "Gate"
    EXPECT_EQ(shown.groups[0].caption, "mode");
    EXPECT_EQ(shown.groups[0].selected, 2);
    EXPECT_EQ(shown.word, 5116);
    EXPECT_EQ(FindOption(shown, "einmalig").result, OptionMatch::Unknown) << "disabled groups take no clicks";
    ASSERT_EQ(FindOption(shown, "start falling").result, OptionMatch::Found);

    // "high pegel" is the event gate once the event counter is down.
    for (const char* caption : {"event counter", "event counter", "upward", "high pegel", "toggle (h)"}) {
        const OptionMatch match = FindOption(face->Channel(1), caption);
        ASSERT_EQ(match.result, OptionMatch::Found) << caption;
        face->Click(*model_, 1, match.group, match.option);
    }
    shown = face->Channel(1);
    EXPECT_EQ(shown.groups.size(), 5u);
    EXPECT_EQ(shown.groups[0].selected, 0) << "choosing the mode that is down keeps it";
    // The options selected from 13FCh went into the event word, then the clicks.
    EXPECT_EQ(shown.word, 0x149C);
    face->Save(*model_);
    EXPECT_EQ(Counter().Parameter, "5276,0");
    EXPECT_EQ(Counter().OutputData, "20,156,0,0");
}

TEST_F(CounterDialog, HeadlessGateTimeIsCorrectedAndSaysSo) {
    Open("4196,0");
    Korvo_CT_1::Dialog& face = Dialog();
    ValueOutcome outcome = face.ApplyValues(*model_, {{1, "gate-time", "250"}});
    EXPECT_TRUE(outcome.inRange);
    EXPECT_EQ(face.W(), 0x1000 + 250);
    outcome = face.ApplyValues(*model_, {{1, "gate-time", "2000"}});
    EXPECT_FALSE(outcome.inRange);
    EXPECT_NE(outcome.message.find("10"), std::string::npos) << outcome.message;
    EXPECT_EQ(face.W(), 0x100A);
    EXPECT_THROW(face.ApplyValues(*model_, {{1, "gate-time", "ten"}}), ConversionError);
    EXPECT_THROW(face.ApplyValues(*model_, {{1, "value", "1"}}), std::invalid_argument);
    EXPECT_EQ(face.Channel(1).values.at(0).text, "10");
}

TEST(CounterOptions, TagsCaptionsAndStaendigInWindows1252) {
    const auto options = CounterOptions();
    ASSERT_EQ(options.size(), 19u);
    for (std::size_t i = 0; i < options.size(); ++i) EXPECT_EQ(options[i].tag, static_cast<int>(i) + 1);
    EXPECT_STREQ(options[1].caption, "st\xE4ndig");
    EXPECT_STREQ(options[6].caption, "reset falling/high pegel");
    EXPECT_EQ(options[17].group, CounterGroup::Direction);
}

}  // namespace
}  // namespace korvo
