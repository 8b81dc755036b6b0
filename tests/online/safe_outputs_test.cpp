// Outputs go only where the user sent them: a stopped test switches its station's
// outputs off (or keeps them when asked), and an exchange outside the test never
// sends what an earlier test left in the output image.

#include "online_fixture.h"

#include <gtest/gtest.h>

namespace korvo {
namespace {

using testing::OnlineTest;

class SafeOutputsTest : public OnlineTest {
protected:
    // Coupler, DO 16, AI 2 and AO 1 on station 1 (in the simulator); a second station
    // behind it with a DO 16 of its own.
    void LoadTwoStations() {
        Load(Project({"KORVO NC ETH", "KORVO DO 16", "KORVO AI 2", "KORVO AO 1", "KORVO NC ETH", "KORVO DO 16"}));
        model_->CurrentStation = 1;
        model_->CurrentCouplerModule = 1;
        model_->Module(2)->BitValue = 0x0101;
        model_->Module(2)->OutputData = "0,0,1,1";
        model_->Module(3)->Parameter = "1,2,";
        model_->Module(4)->OutputData = "12,34,";
    }
    void RunOneCycle() {
        online_->OnlineCommand();
        ASSERT_TRUE(model_->Online) << ui_.panel1;
        online_->IoCycle();
        ASSERT_TRUE(model_->Online) << ui_.panel1;
        ASSERT_EQ(Outputs(), (std::vector<std::uint8_t>{1, 1, 0x80, 1, 0x80, 2, 12, 34}));
    }
    std::vector<std::uint8_t> Outputs() { return simulator_.controller().outputs(0, 8); }
    // A test that kept its outputs, then a coupler whose outputs were cleared behind it:
    // whatever reaches the coupler next comes from the output image the program sends.
    void KeepOutputsThenClearTheCoupler() {
        LoadTwoStations();
        online_->KeepOutputsWhenStopped = true;
        RunOneCycle();
        online_->OnlineCommand();
        simulator_.controller().setOutputs(0, kZeros);
    }
    const std::vector<std::uint8_t> kZeros = std::vector<std::uint8_t>(8, 0);
    // The parameter words of the AI 2 stay; the DO 16 and the AO 1 go off.
    const std::vector<std::uint8_t> kOff{0, 0, 0x80, 1, 0x80, 2, 0, 0};
};

TEST_F(SafeOutputsTest, StoppingTheTestSwitchesRealOutputsOffAndKeepsParameterWords) {
    LoadTwoStations();
    RunOneCycle();
    online_->OnlineCommand();
    ASSERT_FALSE(model_->Online);
    EXPECT_EQ(Outputs(), kOff);
    EXPECT_TRUE(ui_.MemoHas("outputs of station 1 switched off")) << ui_.memo.size();
    // The records start the next test from zero, LEDs included.
    EXPECT_EQ(model_->Module(2)->BitValue, 0u);
    EXPECT_EQ(model_->Module(2)->OutputData, "0,0,0,0");
    EXPECT_EQ(model_->Module(4)->OutputData, "0,0,");
    EXPECT_EQ(model_->Module(3)->Parameter, "1,2,");
}

TEST_F(SafeOutputsTest, KeptOutputsStayAsTheUserSetThem) {
    LoadTwoStations();
    online_->KeepOutputsWhenStopped = true;
    RunOneCycle();
    online_->OnlineCommand();
    ASSERT_FALSE(model_->Online);
    EXPECT_EQ(Outputs(), (std::vector<std::uint8_t>{1, 1, 0x80, 1, 0x80, 2, 12, 34}));
    EXPECT_FALSE(ui_.MemoHas("switched off"));
    EXPECT_EQ(model_->Module(2)->BitValue, 0x0101u);
}

TEST_F(SafeOutputsTest, ConfigurationCheckDuringTheTestEndsItWithOutputsOff) {
    LoadTwoStations();
    RunOneCycle();
    online_->CheckConfigurationCommand();
    EXPECT_FALSE(model_->Online);
    EXPECT_EQ(Outputs(), kOff);
}

// The test of station 1 kept its outputs; the check of station 2 (the same address
// here) must not send station 1's output bytes with its error reset's test write.
TEST_F(SafeOutputsTest, CheckOfAnotherStationNeverSendsTheLastStationsOutputs) {
    KeepOutputsThenClearTheCoupler();
    model_->CurrentStation = 2;
    model_->CurrentCouplerModule = 5;
    online_->CheckConfigurationCommand();
    EXPECT_EQ(Outputs(), kZeros);
}

TEST_F(SafeOutputsTest, DiagnosisOutsideTheTestWritesTheOutputsOff) {
    KeepOutputsThenClearTheCoupler();
    diagnosis_->ReadBusStateClick();
    EXPECT_EQ(Outputs(), kZeros) << "the test write sent the old DO 16 bits";
}

TEST_F(SafeOutputsTest, StopTestEndsTheRunningTestWithoutAnEchoFirst) {
    LoadTwoStations();
    RunOneCycle();
    const int pings = pinger_.pings;
    online_->StopTest();
    EXPECT_FALSE(model_->Online);
    EXPECT_EQ(pinger_.pings, pings);
    EXPECT_EQ(Outputs(), kOff);
    EXPECT_TRUE(access_->NodesClosed());
    EXPECT_TRUE(ui_.typeListEnabled);
    EXPECT_FALSE(ui_.timerEnabled);
}

}  // namespace
}  // namespace korvo
