#include "online_fixture.h"

#include <gtest/gtest.h>

namespace korvo {
namespace {

using testing::OnlineTest;

class OnlineOperationTest : public OnlineTest {
protected:
    // Starts the I/O test the way the online command does.
    void GoOnline() {
        online_->OnlineCommand();
        ASSERT_TRUE(model_->Online) << ui_.panel1;
    }
    std::vector<std::uint8_t> Outputs(std::size_t count) { return simulator_.controller().outputs(0, count); }
    void SetInputs(std::size_t address, std::vector<std::uint8_t> bytes) {
        simulator_.controller().setInputs(address, bytes);
    }
};

TEST_F(OnlineOperationTest, MatchingStationWithPassiveModulePassesAndSaysSo) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO PB", "KORVO DO 16", "KORVO AI 2"}));
    model_->CurrentStation = 1;
    EXPECT_EQ(online_->CountStationModules(1), 3);
    online_->CheckConfigurationCommand();
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{"check configuration|station OK !!  "});
    ASSERT_GE(ui_.memo.size(), 5u);
    EXPECT_EQ(ui_.memo[0], " Bus configuration list: ");
    EXPECT_EQ(ui_.memo[2], "KORVO DI 16  ");
    EXPECT_EQ(ui_.memo[4], "KORVO AI 2  ");
    EXPECT_TRUE(access_->NodesClosed());
    // The error reset ran before the list was asked for.
    const auto commands = station_->receivedCommands();
    ASSERT_EQ(commands.size(), 8u);
    EXPECT_EQ(commands.back(), 0x030B);
}

TEST_F(OnlineOperationTest, MissingModuleIsADifferentNumber) {
    sim::StationOptions options;
    options.missingModule = 2;
    Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}), options);
    model_->CurrentStation = 1;
    EXPECT_FALSE(online_->CheckConfiguration());
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{"check configuration|station is different number of moduls !!  "});
}

TEST_F(OnlineOperationTest, SwappedTypeIsADifferentStationAndShowsTheLog) {
    sim::StationOptions options;
    options.swappedModule = 1;
    Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}), options);
    model_->CurrentStation = 1;
    online_->CheckConfigurationCommand();
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{"check configuration|station is different  !!  "});
    EXPECT_TRUE(ui_.memoVisible);
    EXPECT_TRUE(online_->DebugShown);
    EXPECT_EQ(ui_.memo[2], "");  // the reported codes name no catalogue type
    // Expected against found, slot by slot, in the log and for the table window.
    ASSERT_EQ(online_->ComparedRows.size(), 2u);
    const ConfigurationRow& first = online_->ComparedRows[0];
    EXPECT_EQ(first.expected, "KORVO DI 16");
    EXPECT_FALSE(first.match);
    EXPECT_EQ(first.found, UnknownModuleText(first.idCode, first.lengthCode));
    EXPECT_TRUE(online_->ComparedRows[1].match);
    EXPECT_TRUE(ui_.MemoHas("KORVO DI 16       unknown module, ID "));
    EXPECT_TRUE(ui_.MemoHas("<-- first difference"));
    EXPECT_EQ(ui_.tables.size(), 1u);
}

TEST(ConfigurationRows, ExpectedAgainstFoundWithTheFirstDifferenceMarkedOnce) {
    ProfileFile catalogueIni = ProfileFile::FromText(testing::kOnlineCatalogue);
    StationModel model(&catalogueIni, "/");
    LoadProject(model, ProfileFile::FromText("[Module]\nAnzahl=5\nName1=KORVO NC ETH\nName2=KORVO DI 16\n"
                                             "Name3=KORVO PB\nName4=KORVO DO 16\nName5=KORVO AI 2\n"));
    std::vector<TAlleModule> bus{{"KORVO DI 16  ", 0x10, 0x10}, {"", 0x99, 0x01}, {"KORVO AI 2  ", 0x42, 0x22},
                                 {"KORVO DI 16  ", 0x10, 0x10}};
    const std::vector<ConfigurationRow> rows = CompareConfigurationRows(model, 1, bus);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[0].match);
    EXPECT_EQ(rows[1].expected, "KORVO DO 16");  // the passive PB takes no bus position
    EXPECT_EQ(rows[1].found, "unknown module, ID 99h length 01h");
    EXPECT_FALSE(rows[1].match);
    EXPECT_TRUE(rows[2].match);
    EXPECT_EQ(rows[3].expected, "");
    EXPECT_FALSE(rows[3].match);
    const std::vector<std::string> lines = ConfigurationRowLines(rows);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[2].find("<-- first difference"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[4].find("<-- first difference"), std::string::npos) << lines[4];
    EXPECT_NE(lines[4].find("(none)"), std::string::npos) << lines[4];

    // A module the coupler did not report at all.
    bus.resize(1);
    const std::vector<ConfigurationRow> missing = CompareConfigurationRows(model, 1, bus);
    ASSERT_EQ(missing.size(), 3u);
    EXPECT_FALSE(missing[1].reported);
    EXPECT_EQ(missing[1].found, "(none reported)");
}

TEST_F(OnlineOperationTest, TypesSharingCodesBothNameTheEntryAndBothMatch) {
    Load(Project({"KORVO NC ETH", "KORVO AI 2"}));
    catalogue_.CatalogueTypes.push_back({"KORVO AI 2X", 0x42, 0x22});
    ++catalogue_.CatalogueTypeCount;
    model_->CurrentStation = 1;
    EXPECT_TRUE(online_->CheckConfiguration());
    EXPECT_EQ(ui_.memo[2], "KORVO AI 2  KORVO AI 2X  ");
}

TEST_F(OnlineOperationTest, UnreachableCouplerIsReportedAndNothingIsOpened) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}));
    pinger_.reachable.clear();
    online_->CheckConfigurationCommand();
    // The fixed text first, the reason on its own line.
    const std::string reason = "no answer to ping from " + address_ + " within 1000 ms";
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{"communication error|ERROR !! check IP settings\n" + reason});
    EXPECT_EQ(ui_.panel1, "ERROR !! check IP settings  - " + reason);
    online_->OnlineCommand();
    EXPECT_FALSE(model_->Online);
    EXPECT_TRUE(station_->receivedCommands().empty());
}

TEST_F(OnlineOperationTest, UnconfirmedListFailsTheCheckInsteadOfComparingNothing) {
    Load(Project({"KORVO NC ETH"}));
    model_->CurrentStation = 1;
    // The firmware confirms every command positively, but never with the list.
    simulator_.controller().setMailboxHandler([](std::uint16_t, const sim::MailboxMessage&) {
        sim::MailboxMessage other;
        other.data = {0x89, 0x99, 0x00, 0x01, 0x00, 0x00};
        return std::vector<sim::MailboxMessage>{other};
    });
    EXPECT_FALSE(online_->CheckConfiguration());
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_TRUE(access_->NodesClosed());
}

TEST_F(OnlineOperationTest, StartingTheTestShowsNoOkBoxAndLocksTheTypeList) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}));
    model_->CurrentStation = 1;
    model_->CurrentCouplerModule = 1;
    GoOnline();
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_TRUE(ui_.timerEnabled);
    EXPECT_TRUE(ui_.onlineButtonDown);
    EXPECT_FALSE(ui_.typeListEnabled);
    EXPECT_TRUE(access_->NodesOpen());
    online_->OnlineCommand();
    EXPECT_FALSE(model_->Online);
    EXPECT_FALSE(ui_.timerEnabled);
    EXPECT_TRUE(ui_.typeListEnabled);
    EXPECT_TRUE(access_->NodesClosed());
    EXPECT_EQ((ui_.leds[{1, 17}]), LedColor::Grey);
}

TEST_F(OnlineOperationTest, InputBytesOfEveryWidthAreListedInDecimalAndHex) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO AI 2"}));
    model_->CurrentStation = 1;
    model_->CurrentCouplerModule = 1;
    GoOnline();
    station_->stop();
    SetInputs(0, {0x00, 0xFF, 9, 10, 99, 100});
    online_->IoCycle();
    ASSERT_TRUE(model_->Online) << ui_.panel1;
    EXPECT_EQ(model_->Module(2)->InputData, "0,255,");
    EXPECT_EQ(model_->Module(2)->InputHex, "00,FF,");
    EXPECT_EQ(model_->Module(3)->InputData, "9,10,99,100,");
    EXPECT_EQ(model_->Module(3)->InputHex, "09,0A,63,64,");
    EXPECT_TRUE(ui_.MemoHas("KORVO AI 2  Date 09,0A,63,64,"));
}

// The lists are rewritten only where the inputs changed, and the LEDs of bits
// that went off go dark: each cycle must show the bytes it read, not the last.
TEST_F(OnlineOperationTest, ListsAndLedsFollowEveryChangeOfTheInputs) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}));
    model_->CurrentStation = 1;
    model_->CurrentCouplerModule = 1;
    GoOnline();
    station_->stop();
    const std::vector<std::vector<std::uint8_t>> inputs = {{0x01, 0xFF}, {0x01, 0x00}, {0x01, 0x00}, {0x80, 0x07}};
    const char* const decimals[] = {"1,255,", "1,0,", "1,0,", "128,7,"};
    const char* const hexes[] = {"01,FF,", "01,00,", "01,00,", "80,07,"};
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SetInputs(0, inputs[i]);
        online_->IoCycle();
        ASSERT_TRUE(model_->Online) << ui_.panel1;
        EXPECT_EQ(model_->Module(2)->InputData, decimals[i]) << "cycle " << i;
        EXPECT_EQ(model_->Module(2)->InputHex, hexes[i]) << "cycle " << i;
        EXPECT_TRUE(ui_.MemoHas(std::string("KORVO DI 16  Date ") + hexes[i])) << "cycle " << i;
    }
    // 8007h: LED 16 (weight 32768) and LEDs 1 to 3; LED 9 (weight 256) went off.
    EXPECT_EQ((ui_.leds[{2, 16}]), LedColor::Yellow);
    EXPECT_EQ((ui_.leds[{2, 3}]), LedColor::Yellow);
    EXPECT_EQ((ui_.leds[{2, 9}]), LedColor::Grey);
    EXPECT_EQ((ui_.leds[{2, 4}]), LedColor::Grey);
}

TEST_F(OnlineOperationTest, CycleLightsInputLedsAndWritesOutputBytesByteByByte) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16", "KORVO AI 2", "KORVO AO 1"}));
    model_->CurrentStation = 1;
    model_->CurrentCouplerModule = 1;
    model_->Module(3)->BitValue = 257;
    model_->Module(3)->OutputData = "0,0,1,1";
    model_->Module(4)->Parameter = "1,2,";
    model_->Module(5)->OutputData = "12,34,";
    GoOnline();
    station_->stop();  // keep the inputs still while they are checked
    SetInputs(0, {0x01, 0x02});
    online_->IoCycle();
    ASSERT_TRUE(model_->Online) << ui_.panel1;
    // LED 9 (weight 256) from bit 0 of the first byte, LED 2 (weight 2) from the second.
    EXPECT_EQ((ui_.leds[{2, 9}]), LedColor::Yellow);
    EXPECT_EQ((ui_.leds[{2, 2}]), LedColor::Yellow);
    EXPECT_EQ((ui_.leds[{2, 1}]), LedColor::Grey);
    EXPECT_EQ(model_->Module(2)->InputData, "1,2,");
    EXPECT_EQ(model_->Module(2)->InputHex, "01,02,");
    EXPECT_EQ(online_->InputLength, 6);
    EXPECT_EQ(online_->OutputLength, 8);
    // DO 16: the two low bytes of BitValue; AI 2: both words + 8000h; AO 1: copied.
    EXPECT_EQ(Outputs(8), (std::vector<std::uint8_t>{1, 1, 0x80, 1, 0x80, 2, 12, 34}));
    EXPECT_TRUE(ui_.MemoHas("KORVO DI 16  Date 01,02,"));
    EXPECT_TRUE(ui_.MemoHas("KORVO AI 2  Date 80,01,80,02,"));
    EXPECT_EQ(ui_.memo.front(), "READ Section ------");
}

// Output texts edited while the test runs reach the coupler and the log in the next cycle.
TEST_F(OnlineOperationTest, OutputTextsChangedBetweenCyclesAreWrittenAndLoggedAnew) {
    Load(Project({"KORVO NC ETH", "KORVO DO 16", "KORVO AO 1"}));
    model_->CurrentStation = 1;
    model_->CurrentCouplerModule = 1;
    model_->Module(2)->OutputData = "0,0,1,1";
    model_->Module(3)->OutputData = "12,34,";
    GoOnline();
    online_->IoCycle();
    EXPECT_EQ(Outputs(4), (std::vector<std::uint8_t>{1, 1, 12, 34}));
    EXPECT_TRUE(ui_.MemoHas("KORVO DO 16  Date 00,00,01,01,"));

    model_->Module(2)->OutputData = "0,0,7,200";
    model_->Module(3)->OutputData = "5,x";
    online_->IoCycle();
    // A bad item leaves the module's bytes of the cycle before.
    EXPECT_EQ(Outputs(4), (std::vector<std::uint8_t>{7, 200, 12, 34}));
    EXPECT_TRUE(ui_.MemoHas("KORVO DO 16  Date 00,00,07,C8,"));
    EXPECT_TRUE(ui_.MemoHas("KORVO AO 1  skipped: output item 'x' is not a byte value"));
    EXPECT_TRUE(ui_.MemoHas("KORVO AO 1  Date 'x' is not a valid integer value"));

    model_->Module(3)->OutputData = "12,34,";
    online_->IoCycle();
    EXPECT_EQ(Outputs(4), (std::vector<std::uint8_t>{7, 200, 12, 34}));
    model_->Module(3)->OutputData = "1,2,";
    model_->Module(2)->OutputData = "0,0,1,1";
    online_->IoCycle();
    EXPECT_EQ(Outputs(4), (std::vector<std::uint8_t>{1, 1, 1, 2}));
    EXPECT_TRUE(ui_.MemoHas("KORVO AO 1  Date 01,02,"));
    EXPECT_FALSE(ui_.MemoHas("KORVO AO 1  skipped: output item 'x' is not a byte value"));

    // A kept log line follows its module's type as well as its text.
    model_->Module(3)->ModulType = "KORVO AO 9";
    online_->IoCycle();
    EXPECT_TRUE(ui_.MemoHas("KORVO AO 9  Date 01,02,"));
}

TEST_F(OnlineOperationTest, CouplerLedBlinksBetweenRedAndGrey) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}));
    model_->CurrentStation = 1;
    model_->CurrentCouplerModule = 1;
    GoOnline();
    online_->IoCycle();
    EXPECT_EQ((ui_.leds[{1, 17}]), LedColor::Red);
    EXPECT_EQ(ui_.onlineImage, 0);
    EXPECT_EQ(ui_.panel1, " ");
    online_->IoCycle();
    EXPECT_EQ((ui_.leds[{1, 17}]), LedColor::Grey);
    EXPECT_EQ(ui_.onlineImage, OnlineOperation::kOnlineImageIndex);
    EXPECT_EQ(ui_.panel1, " --- online ---- ");
}

TEST_F(OnlineOperationTest, MultiplexedModuleRequestsTheChannelItMovedTo) {
    Load(Project({"KORVO NC ETH", "KORVO AI 8"}));
    model_->CurrentStation = 1;
    model_->CurrentCouplerModule = 1;
    model_->Module(2)->Parameter = "10,11,12,13,14,15,16,17,";
    GoOnline();
    station_->stop();
    SetInputs(0, {0x50, 0x00, 0x01, 0x02});
    online_->IoCycle();
    EXPECT_EQ(model_->Module(2)->ChannelValue[1], 0x0102);
    EXPECT_EQ(model_->Module(2)->MuxChannel, 1);
    // Channel 1 (0-based) is requested with 51h and its parameter 11 + 8000h.
    EXPECT_EQ(Outputs(4), (std::vector<std::uint8_t>{0x51, 0x00, 0x80, 11}));
    for (int i = 0; i < 7; ++i) online_->IoCycle();
    EXPECT_EQ(model_->Module(2)->MuxChannel, 0);
}

TEST_F(OnlineOperationTest, ForeignClientWarningShownOnceAndTestGoesOn) {
    Load(Project({"KORVO NC ETH", "KORVO DO 16", "KORVO AO 1"}));
    model_->CurrentStation = 1;
    model_->Module(2)->OutputData = "0,0,0,1";
    GoOnline();
    simulator_.controller().setWriteRefusal(sim::WriteRefusal::ModbusClient);
    online_->IoCycle();
    online_->IoCycle();
    EXPECT_TRUE(model_->Online);
    EXPECT_EQ(ui_.panel1, "Error Write!! ModbusClient aktiv");
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0],
              "communication error|ModbusClient is aktiv !! Write Data is not possible !! remove ModbusClient and "
              "restart NC-ETH");
}

TEST_F(OnlineOperationTest, ReadErrorEndsTheTestWithItsOwnTextAndWritesNothing) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}));
    model_->CurrentStation = 1;
    GoOnline();
    simulator_.stop();
    online_->IoCycle();
    EXPECT_FALSE(model_->Online);
    EXPECT_FALSE(ui_.timerEnabled);
    EXPECT_FALSE(ui_.onlineButtonDown);
    // The output module's write finds the pair closed and leaves the read's text.
    EXPECT_EQ(ui_.panel1.rfind("Error read data  CHECK IP settings ??  - connection lost", 0), 0u) << ui_.panel1;
    EXPECT_TRUE(ui_.MemoHas("KORVO DO 16  Date "));
    EXPECT_TRUE(access_->NodesClosed());
}

TEST_F(OnlineOperationTest, EmptyStationReadsNothingAndWritesNothing) {
    Load(Project({"KORVO NC ETH"}));
    model_->CurrentStation = 1;
    GoOnline();
    online_->IoCycle();
    EXPECT_TRUE(model_->Online);
    EXPECT_EQ(online_->InputLength, 0);
    EXPECT_EQ(online_->OutputLength, 0);
    EXPECT_EQ(ui_.memo, (std::vector<std::string>{"READ Section ------", "WRITE SectionWriteData ------"}));
}

TEST_F(OnlineOperationTest, BrokenModuleDataIsSkippedWithALogLine) {
    Load(Project({"KORVO NC ETH", "KORVO AI 2", "KORVO DO 16", "KORVO AI 8"}));
    model_->CurrentStation = 1;
    model_->Module(2)->Parameter = "40000,0,";  // + 8000h leaves 16 bits
    model_->Module(3)->OutputData = "0,0,1,999";
    model_->Module(4)->Parameter = "-40000,-40000,-40000,-40000,-40000,-40000,-40000,-40000,";
    GoOnline();
    online_->IoCycle();
    EXPECT_TRUE(model_->Online);
    EXPECT_TRUE(ui_.MemoHas("KORVO AI 2  skipped: its parameter words do not fit 16 bits"));
    EXPECT_TRUE(ui_.MemoHas("KORVO DO 16  skipped: output item '999' is not a byte value"));
    EXPECT_TRUE(ui_.MemoHas("KORVO AI 8  skipped"));
    EXPECT_EQ(Outputs(10), std::vector<std::uint8_t>(10, 0));
}

TEST_F(OnlineOperationTest, ModuleBeyondTheImageIsSkippedNotOverrun) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}));
    model_->CurrentStation = 1;
    GoOnline();
    TModul& di = *model_->Module(2);
    di.Input = 600;  // a catalogue value no coupler image can hold
    di.ByteOffsetInput = 600;
    online_->IoCycle();
    EXPECT_TRUE(ui_.MemoHas("KORVO DI 16  skipped: its input bytes lie outside the 512-byte process image"));
    di.InputData = "1";
    online_->ReadMethod1(2);
    EXPECT_TRUE(ui_.MemoHas("KORVO DI 16  skipped: its LEDs need two input bytes"));
}

// A failed check opens the bottom panel with its log; the I/O test shows its log
// there while it runs.
class BottomPanelTest : public OnlineOperationTest {
protected:
    void FailCheckThenRunTheTest(bool debugAllowed) {
        Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}));
        online_->DebugAllowed = debugAllowed;
        model_->CurrentStation = 1;
        model_->CurrentCouplerModule = 1;
        model_->Module(3)->ModulZuStations = 2;  // the coupler reports one module more
        online_->CheckConfigurationCommand();
        EXPECT_TRUE(ui_.debugPanelVisible);
        EXPECT_TRUE(ui_.memoVisible);
        EXPECT_TRUE(ui_.debugButtonDown);
        EXPECT_TRUE(ui_.MemoHas(" Bus configuration list: "));
        model_->Module(3)->ModulZuStations = 1;
        GoOnline();
        EXPECT_TRUE(ui_.debugPanelVisible);
        EXPECT_TRUE(ui_.memoVisible);
        online_->IoCycle();
        online_->OnlineCommand();
        ASSERT_FALSE(model_->Online);
        EXPECT_FALSE(ui_.memoVisible);
    }
};

TEST_F(BottomPanelTest, WithoutDebugButtonStoppingTheTestHidesThePanel) {
    FailCheckThenRunTheTest(false);
    // Nothing but the next command could hide a panel left open here.
    EXPECT_FALSE(ui_.debugPanelVisible);
    EXPECT_FALSE(ui_.memoDebugVisible);
}

TEST_F(BottomPanelTest, WithDebugButtonTheDebugViewOutlastsTheTest) {
    FailCheckThenRunTheTest(true);
    EXPECT_TRUE(ui_.debugPanelVisible);
    EXPECT_TRUE(ui_.memoDebugVisible);
    EXPECT_TRUE(ui_.debugButtonDown);
    online_->DebugCommand();
    EXPECT_FALSE(ui_.debugPanelVisible);
    EXPECT_FALSE(ui_.debugButtonDown);
}

TEST_F(BottomPanelTest, CheckFailingBeforeTheListNeverShowsAnOlderLog) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}));
    model_->CurrentStation = 1;
    GoOnline();
    online_->IoCycle();
    ASSERT_TRUE(ui_.MemoHas("READ Section ------"));
    online_->OnlineCommand();
    // The firmware confirms every command, but never with the list.
    simulator_.controller().setMailboxHandler([](std::uint16_t, const sim::MailboxMessage&) {
        sim::MailboxMessage other;
        other.data = {0x89, 0x99, 0x00, 0x01, 0x00, 0x00};
        return std::vector<sim::MailboxMessage>{other};
    });
    online_->CheckConfigurationCommand();
    EXPECT_TRUE(ui_.debugPanelVisible);
    EXPECT_TRUE(ui_.memoVisible);
    ASSERT_EQ(ui_.memo.size(), 1u);
    EXPECT_EQ(ui_.memo[0].rfind(" no bus configuration list from " + address_ + ": ", 0), 0u) << ui_.memo[0];
}

TEST_F(OnlineOperationTest, OpenFailureShowsTheErrorCode) {
    Load(Project({"KORVO NC ETH"}));
    pinger_.reachable["127.0.0.49"] = true;
    model_->CurrentIP = "127.0.0.49";  // answers the echo, but no controller listens
    EXPECT_FALSE(online_->OpenConnection());
    EXPECT_EQ(ui_.panel1.rfind(" ----   Open failed !    Error-Code: E0071000h  - connection refused", 0), 0u)
        << ui_.panel1;
    EXPECT_EQ(online_->LastFailure, "connection refused (E0071000h)");
}

// The reasons the user reads apart: a coupler that accepts and never answers, one that
// went away in the middle of the test, and one whose watchdog refuses the outputs.
TEST_F(OnlineOperationTest, FailedCyclesSayWhyTheyFailed) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}));
    model_->CurrentStation = 1;
    GoOnline();
    simulator_.controller().setWriteRefusal(sim::WriteRefusal::Watchdog);
    online_->IoCycle();
    EXPECT_FALSE(model_->Online);
    EXPECT_EQ(ui_.panel1, "Error write data  CHECK IP settings ??  - outputs refused by the coupler's watchdog (00A2)");
}

TEST_F(OnlineOperationTest, CouplerThatNeverAnswersSaysSoWithTheLimit) {
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}));
    model_->CurrentStation = 1;
    GoOnline();
    simulator_.controller().setRequestHandler(
        0x0104, [](const sim::Request&, sim::Session&) { return std::optional<sim::Bytes>(); });
    online_->IoCycle();
    EXPECT_FALSE(model_->Online);
    EXPECT_EQ(ui_.panel1.rfind("Error read data  CHECK IP settings ??  - no answer within 1 s", 0), 0u) << ui_.panel1;
}

}  // namespace
}  // namespace korvo
