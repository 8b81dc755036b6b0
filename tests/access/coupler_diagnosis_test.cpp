#include "online_fixture.h"

#include <gtest/gtest.h>

#include <mutex>

namespace korvo {
namespace {

using testing::OnlineTest;

class CouplerDiagnosisTest : public OnlineTest {
protected:
    void SetUp() override { OnlineTest::SetUp(); }
    void LoadStation(sim::StationOptions options = {}) {
        Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}), options);
        model_->CurrentStationName = "Station1";
    }
    // Records every mailbox message on its way to the simulated station.
    void RecordMailbox() {
        simulator_.controller().setMailboxHandler([this](std::uint16_t node, const sim::MailboxMessage& sent) {
            {
                std::lock_guard lock(sentMutex_);
                sent_.push_back(sent.data);
            }
            return station_->onMailbox(node, sent);
        });
    }
    std::vector<sim::Bytes> MailboxMessages() {
        std::lock_guard lock(sentMutex_);
        return sent_;
    }
    std::mutex sentMutex_;
    std::vector<sim::Bytes> sent_;
};

TEST_F(CouplerDiagnosisTest, RunningCouplerShowsReadyActivRunAndNoErrors) {
    LoadStation();
    simulator_.controller().setDiagnosis(sim::kDiagReady | sim::kDiagActive | sim::kDiagRun, 0);
    diagnosis_->ReadBusStateClick();
    EXPECT_TRUE(ui_.shownState.ready);
    EXPECT_TRUE(ui_.shownState.activ);
    EXPECT_TRUE(ui_.shownState.run);
    EXPECT_FALSE(ui_.shownState.busFail || ui_.shownState.userFail || ui_.shownState.warning);
    EXPECT_EQ(ui_.diagnosisStatus, "");
    EXPECT_TRUE(access_->NodesClosed());
}

TEST_F(CouplerDiagnosisTest, ErrorBitsAndRefusalsAreShown) {
    LoadStation();
    simulator_.controller().setDiagnosis(sim::kDiagReady | sim::kDiagBusFail | sim::kDiagWarning, 0);
    simulator_.controller().setWriteRefusal(sim::WriteRefusal::ModbusClient);
    station_->stop();
    EXPECT_FALSE(diagnosis_->ReadBusState());
    EXPECT_TRUE(ui_.shownState.busFail);
    EXPECT_TRUE(ui_.shownState.warning);
    EXPECT_FALSE(ui_.shownState.run);
    EXPECT_EQ(ui_.diagnosisStatus, "Error write!! ModbusClient aktiv  (00AA)");
    simulator_.controller().setWriteRefusal(sim::WriteRefusal::Watchdog);
    diagnosis_->ReadBusState();
    EXPECT_EQ(ui_.diagnosisStatus, "Error write!! Watch Dog aktiv  (00A2)");
}

TEST_F(CouplerDiagnosisTest, PlugPlaySwitchSendsTheSettingAndBlocksWrites) {
    LoadStation();
    RecordMailbox();
    diagnosis_->PlugPlayOnClick();
    EXPECT_TRUE(station_->plugAndPlay());
    EXPECT_TRUE(access_->NodesClosed());
    diagnosis_->ReadBusState();
    EXPECT_TRUE(ui_.shownState.plugPlayActive);
    diagnosis_->PlugPlayOffClick();
    EXPECT_FALSE(station_->plugAndPlay());
    const auto sent = MailboxMessages();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), (sim::Bytes{0x07, 0x50, 0x00, 0x03, 0x00, 0x01, 0x22, 0x40, 0x00, 0x00}));
}

TEST_F(CouplerDiagnosisTest, BootpSwitchKeepsTheFlag) {
    LoadStation();
    diagnosis_->BootpOffClick();
    EXPECT_FALSE(station_->bootp());
    diagnosis_->BootpOnClick();
    EXPECT_TRUE(station_->bootp());
}

TEST_F(CouplerDiagnosisTest, ErrorResetSendsSevenCommandsInOrderWithPauses) {
    LoadStation();
    diagnosis_->ErrorResetClick();
    EXPECT_EQ(station_->receivedCommands(),
              (std::vector<std::uint16_t>{0x0750, 0x0750, 0x0750, 0x1303, 0x0710, 0x0701, 0x0750}));
    EXPECT_EQ(clock_.sleeps, std::vector<std::uint32_t>(7, 200));
    EXPECT_TRUE(ui_.shownState.run);
    EXPECT_TRUE(access_->NodesClosed());
}

TEST_F(CouplerDiagnosisTest, ErrorResetSettingsAreTheDocumentedOnes) {
    LoadStation();
    RecordMailbox();
    diagnosis_->ResetErrors();
    const auto sent = MailboxMessages();
    ASSERT_EQ(sent.size(), 7u);
    const auto setting = [](const sim::Bytes& m) { return (m[6] << 8 | m[7]) << 16 | (m[8] << 8 | m[9]); };
    EXPECT_EQ(setting(sent[0]), 0x22400000);
    EXPECT_EQ(setting(sent[1]), 0x22930000);
    EXPECT_EQ(setting(sent[2]), 0x22750001);
    EXPECT_EQ(setting(sent[6]), 0x22750000);
    EXPECT_EQ(sent[4], (sim::Bytes{0x07, 0x10, 0x00, 0x01, 0x00, 0x01}));
}

TEST_F(CouplerDiagnosisTest, RestartOnUnreachableAddressShowsBoxAndReleasesButton) {
    LoadStation();
    pinger_.reachable.clear();
    diagnosis_->RestartClick(true);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].rfind("communication error|ERROR !! check IP address\nno answer to ping from ", 0), 0u)
        << ui_.boxes[0];
    EXPECT_FALSE(ui_.restartDown);
    EXPECT_FALSE(diagnosis_->TimerEnabled);
}

TEST_F(CouplerDiagnosisTest, RestartWaitTicksUntilTheCouplerRunsAgain) {
    sim::StationOptions options;
    options.restartTime = std::chrono::hours(1);
    LoadStation(options);
    diagnosis_->RestartClick(true);
    EXPECT_TRUE(station_->restarting());
    EXPECT_TRUE(diagnosis_->TimerEnabled);
    EXPECT_EQ(ui_.restartCaption, " wait for restart ");
    diagnosis_->TimerTick();
    diagnosis_->TimerTick();
    EXPECT_EQ(diagnosis_->Progress, 3);
    EXPECT_TRUE(diagnosis_->TimerEnabled);
    simulator_.controller().setDiagnosis(sim::kDiagReady | sim::kDiagActive | sim::kDiagRun, 0);
    diagnosis_->TimerTick();
    EXPECT_FALSE(diagnosis_->TimerEnabled);
    EXPECT_EQ(diagnosis_->Progress, 0);
    EXPECT_EQ(ui_.restartCaption, " restart ");
    EXPECT_FALSE(ui_.restartDown);
}

TEST_F(CouplerDiagnosisTest, ProgressStartsOverAfterTen) {
    sim::StationOptions options;
    options.restartTime = std::chrono::hours(1);
    LoadStation(options);
    diagnosis_->RestartClick(true);
    for (int i = 0; i < 10; ++i) diagnosis_->TimerTick();
    EXPECT_EQ(diagnosis_->Progress, 0);
    diagnosis_->TimerTick();
    EXPECT_EQ(diagnosis_->Progress, 1);
}

TEST_F(CouplerDiagnosisTest, WindowShowsStationAndAddress) {
    LoadStation();
    EXPECT_EQ(CouplerDiagnosis::StationText(*model_), "Station :Station1   IP : " + address_);
}

class RestartWindowTest : public OnlineTest {};

TEST_F(RestartWindowTest, CouplerBackAfterSomeTicksClosesWindowAfterOneErrorReset) {
    sim::StationOptions options;
    options.restartTime = std::chrono::hours(1);
    Load(Project({"KORVO NC ETH", "KORVO DI 16"}), options);
    NcRestart restart(*access_, *online_, *diagnosis_, ui_, clock_);
    restart.Activated();
    EXPECT_TRUE(restart.TimerEnabled);
    EXPECT_EQ(restart.Progress, 1);
    restart.TimerTick();
    restart.TimerTick();
    EXPECT_FALSE(ui_.closed);
    simulator_.controller().setDiagnosis(sim::kDiagReady | sim::kDiagActive | sim::kDiagRun, 0);
    restart.TimerTick();
    EXPECT_TRUE(ui_.closed);
    EXPECT_FALSE(restart.TimerEnabled);
    const auto commands = station_->receivedCommands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x0956), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x1303), 1);
}

TEST_F(RestartWindowTest, CouplerThatNeverAnswersKeepsWindowOpenAndBarCycling) {
    sim::StationOptions options;
    options.restartTime = std::chrono::hours(1);
    Load(Project({"KORVO NC ETH"}), options);
    NcRestart restart(*access_, *online_, *diagnosis_, ui_, clock_);
    restart.Activated();
    for (int i = 0; i < 12; ++i) restart.TimerTick();
    EXPECT_FALSE(ui_.closed);
    EXPECT_TRUE(restart.TimerEnabled);
    EXPECT_EQ(restart.Progress, 2);
}

TEST_F(RestartWindowTest, UnreachableCouplerShowsErrorAndStartsNoTimer) {
    Load(Project({"KORVO NC ETH"}));
    pinger_.reachable.clear();
    NcRestart restart(*access_, *online_, *diagnosis_, ui_, clock_);
    restart.Activated();
    EXPECT_EQ(ui_.diagnosisStatus, "ERROR !! check IP");
    EXPECT_FALSE(restart.TimerEnabled);
}

}  // namespace
}  // namespace korvo
