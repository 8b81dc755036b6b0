// The checks that open every call: the handle's error before any argument
// error, and an open confirmation that ends right after the node id.
#include "random_loopback.h"
#include "simulator_fixture.h"

#include <array>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using korvo::sim::Fault;

constexpr uint16_t kOpen = 0x0101;
constexpr uint32_t kOutsideRange = 5;

class NodeChecksTest : public SimulatorTest {
protected:
    NodeChecksTest() : SimulatorTest(RandomLoopbackAddress()) {}

    void TearDown() override
    {
        for (uint32_t handle = 0; handle < QUORRIN_MANAGEMENT_ENTRIES; ++handle)
            ETH_AbortManagement(handle);
        SimulatorTest::TearDown();
    }

    // Every node call given null records and buffers, or a command outside the table.
    static std::vector<std::function<uint32_t(uint32_t)>> callsWithBadArguments()
    {
        return {
            [](uint32_t h) { return DDI_DTI_ReadData(h, nullptr); },
            [](uint32_t h) { return DDI_DTI_WriteData(h, nullptr); },
            [](uint32_t h) { return DDI_DTI_ReadWriteData(h, nullptr, nullptr); },
            [](uint32_t h) { return DDI_MXI_SndMessage(h, nullptr); },
            [](uint32_t h) { return DDI_MXI_SndMultipleMessages(h, nullptr, 0); },
            [](uint32_t h) { return DDI_MXI_RcvMessage(h, nullptr); },
            [](uint32_t h) { return DDI_SetMsgNotification(h, nullptr); },
            [](uint32_t h) { return DDI_ClrMsgNotification(h, nullptr); },
            [](uint32_t h) { return GetKNSDiagnostic(h, nullptr); },
            [](uint32_t h) { return GetDIPSwitch(h, nullptr); },
            [](uint32_t h) { return GetSysFailRegister(h, nullptr); },
            [](uint32_t h) { return DDI_DevIOCtrl(h, 0x0811, nullptr); },
            [](uint32_t h) { return DDI_DevIOCtrl(h, ETH_CMD_READ_MPM, nullptr); },
            [](uint32_t h) { return DDI_MPM_ReadData(h, nullptr); },
            [](uint32_t h) { return DDI_MPM_WriteData(h, nullptr); },
            [](uint32_t h) { return ETH_SetHostChecking(h, nullptr); },
            [](uint32_t h) { return ETH_SetDTITimeoutCtrl(h, nullptr); },
            [](uint32_t h) { return ETH_GetWatchdogStatus(h, nullptr); },
            [](uint32_t h) { return WaitForPDInIndication(h, nullptr); },
            [](uint32_t h) { return ETH_WaitForDataIndication(h, nullptr); },
            [](uint32_t h) { return ETH_SetExceptionHandler(h, nullptr); },
        };
    }
};

TEST_F(NodeChecksTest, BadHandleIsReportedBeforeBadArguments)
{
    const auto calls = callsWithBadArguments();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i](kOutsideRange), ERR_HANDLE_RANGE) << "call " << i;
        EXPECT_EQ(calls[i](QUORRIN_LAST_HANDLE), ERR_NODE_STATE) << "call " << i;
    }

    // On an open node the same calls name the argument, send nothing and leave it usable.
    uint32_t handle = openData();
    std::size_t before = requestCount();
    for (std::size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(calls[i](handle), ERR_INVALID_ARGUMENT) << "call " << i;
    EXPECT_EQ(requestCount(), before);
    uint8_t byte = 0;
    DDI_PD_RECORD record{1, 0, 2, &byte};
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), DDI_OK);
}

TEST_F(NodeChecksTest, BadManagementHandleIsReportedBeforeBadArguments)
{
    const std::string longText(QUORRIN_MANAGEMENT_TEXT + 1, 'x');
    ETH_ETHERNET_ADDRESS ethernet{};
    for (auto [handle, expected] : {std::pair{16u, ERR_MGMT_HANDLE}, std::pair{3u, ERR_MGMT_STATE}}) {
        EXPECT_EQ(ETH_Status(handle, nullptr), expected);
        EXPECT_EQ(ETH_Identify(handle, nullptr), expected);
        EXPECT_EQ(ETH_SetInternetAddress(handle, nullptr), expected);
        EXPECT_EQ(ETH_GetNetConfiguration(handle, 0, nullptr), expected);
        EXPECT_EQ(ETH_GetTCPMode(handle, nullptr, nullptr), expected);
        EXPECT_EQ(ETH_SetEthernetAddress(handle, &ethernet, longText.c_str()), expected);
    }

    uint32_t handle = 99;
    ASSERT_EQ(ETH_InitiateManagement(address_.c_str(), &handle), DDI_OK);
    EXPECT_EQ(ETH_Status(handle, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(ETH_SetEthernetAddress(handle, &ethernet, longText.c_str()), ERR_MGMT_TEXT_LENGTH);
    ETH_STATUS_RECORD status{};
    EXPECT_EQ(ETH_Status(handle, &status), DDI_OK);
}

TEST_F(NodeChecksTest, OpenConfirmationEndingAfterNodeIdIsAccepted)
{
    simulator_.inject(Fault::truncate(kOpen, 18));
    uint32_t handle = 0;
    ASSERT_EQ(open("N1_D", handle), DDI_OK);
    std::array<uint8_t, 2> data{};
    DDI_PD_RECORD record{2, 0, 2, data.data()};
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), DDI_OK);
    EXPECT_EQ(DDI_DevCloseNode(handle), DDI_OK);

    // Without the whole node id there is nothing to open, and the entry is freed again.
    simulator_.inject(Fault::truncate(kOpen, 17));
    uint32_t refused = 0;
    EXPECT_EQ(open("N1_D", refused), ERR_CONFIRMATION);
    EXPECT_EQ(refused, 0u);
    EXPECT_EQ(open("N1_D", refused), DDI_OK);
    EXPECT_EQ(refused, handle);
}

} // namespace
