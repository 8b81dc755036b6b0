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

}  // namespace
}  // namespace korvo
