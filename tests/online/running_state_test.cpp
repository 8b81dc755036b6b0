// A test shown as running is running: the diagnosis works beside it on the same node
// pair, and a pair closed by anything else stops the test where the user sees it.

#include "online_fixture.h"

#include <gtest/gtest.h>

namespace korvo {
namespace {

using testing::OnlineTest;

class RunningStateTest : public OnlineTest {
protected:
    void StartTest() {
        Load(Project({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}));
        model_->CurrentStation = 1;
        model_->CurrentCouplerModule = 1;
        online_->OnlineCommand();
        ASSERT_TRUE(model_->Online) << ui_.panel1;
        station_->stop();  // inputs held still
        const std::uint8_t inputs[2] = {0xFF, 0xFF};
        simulator_.controller().setInputs(0, inputs);
        online_->IoCycle();
        ASSERT_TRUE(model_->Online) << ui_.panel1;
        ASSERT_EQ((ui_.leds[{2, 1}]), LedColor::Yellow);
    }
};

TEST_F(RunningStateTest, DiagnosisDuringTheTestSharesTheNodePairAndTheTestGoesOn) {
    StartTest();
    diagnosis_->ReadBusStateClick();
    EXPECT_TRUE(access_->NodesOpen());
    diagnosis_->ErrorResetClick();
    EXPECT_TRUE(access_->NodesOpen());
    model_->Module(3)->OutputData = "0,0,0,5";
    online_->IoCycle();
    EXPECT_TRUE(model_->Online) << ui_.panel1;
    EXPECT_EQ(simulator_.controller().outputs(0, 2), (sim::Bytes{0, 5}));
    EXPECT_TRUE(ui_.diagnosisStatus.empty()) << ui_.diagnosisStatus;
}

TEST_F(RunningStateTest, PairClosedBehindTheTestStopsItVisibly) {
    StartTest();
    access_->CloseNodePair();
    online_->IoCycle();
    EXPECT_FALSE(model_->Online);
    EXPECT_FALSE(ui_.timerEnabled);
    EXPECT_FALSE(ui_.onlineButtonDown);
    EXPECT_TRUE(ui_.MemoHas("the I/O test stopped: its connection to " + address_ + " was closed"));
    EXPECT_EQ((ui_.leds[{2, 1}]), LedColor::Grey) << "input LEDs froze in their last state";
    EXPECT_EQ((ui_.leds[{1, 17}]), LedColor::Grey);
}

// The coupler drops the connection in the middle of the test, does not answer the
// first retry and answers the second: the test goes on by itself, outputs from off.
TEST_F(RunningStateTest, LostCouplerIsRetriedEveryTwoSecondsAndTheTestResumes) {
    StartTest();
    online_->Reconnect = true;
    model_->Module(3)->OutputData = "0,0,0,9";
    online_->IoCycle();
    ASSERT_EQ(simulator_.controller().outputs(0, 2), (sim::Bytes{0, 9}));
    simulator_.inject(sim::Fault::of(sim::FaultKind::CloseMidMessage, 0x0104));
    online_->IoCycle();
    EXPECT_TRUE(model_->Online);
    EXPECT_TRUE(online_->Reconnecting());
    EXPECT_TRUE(ui_.timerEnabled) << "the timer keeps ticking for the retries";
    EXPECT_EQ(ui_.panel1, "coupler not answering, retrying (0)");
    EXPECT_TRUE(ui_.MemoHas("connection lost: Error read data  CHECK IP settings ??"));
    EXPECT_EQ((ui_.leds[{2, 1}]), LedColor::Grey);
    EXPECT_EQ(model_->Module(3)->OutputData, "0,0,0,0");

    pinger_.reachable.clear();
    const int pings = pinger_.pings;
    online_->IoCycle();  // one second: no attempt yet
    EXPECT_EQ(pinger_.pings, pings);
    online_->IoCycle();
    EXPECT_EQ(pinger_.pings, pings + 1);
    EXPECT_EQ(ui_.panel1, "coupler not answering, retrying (1)");
    EXPECT_TRUE(online_->Reconnecting());

    pinger_.reachable[address_] = true;
    online_->IoCycle();
    online_->IoCycle();
    EXPECT_FALSE(online_->Reconnecting());
    EXPECT_TRUE(ui_.MemoHas("connection to " + address_ + " back after 2 retries; the outputs restart from off"));
    EXPECT_TRUE(access_->NodesOpen());
    EXPECT_EQ(simulator_.controller().outputs(0, 2), (sim::Bytes{0, 0}));

    online_->IoCycle();
    EXPECT_TRUE(model_->Online);
    EXPECT_EQ((ui_.leds[{2, 1}]), LedColor::Yellow) << "the inputs are live again";
}

TEST_F(RunningStateTest, StopWhileRetryingEndsTheTest) {
    StartTest();
    online_->Reconnect = true;
    simulator_.inject(sim::Fault::of(sim::FaultKind::CloseMidMessage, 0x0104));
    online_->IoCycle();
    ASSERT_TRUE(online_->Reconnecting());
    online_->OnlineCommand();
    EXPECT_FALSE(model_->Online);
    EXPECT_FALSE(online_->Reconnecting());
    EXPECT_FALSE(ui_.timerEnabled);
    EXPECT_FALSE(ui_.onlineButtonDown);
}

}  // namespace
}  // namespace korvo
