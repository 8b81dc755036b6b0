// A controller that drips its confirmation, one that streams indications
// instead of confirming, a stranger that forges datagrams, and management
// connections whose send failed: each ends in bounded time and frees what it held.
#include "frame.h"
#include "management.h"
#include "simulator_fixture.h"

#include "korvo_sim/control_services.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

using korvo::sim::Fault;
using namespace std::chrono_literals;

constexpr uint16_t kReadData = 0x0104;

class HardeningTest : public SimulatorTest {
protected:
    void TearDown() override
    {
        setExchangeTimeout(0);
        SimulatorTest::TearDown();
    }

    static void setExchangeTimeout(int32_t seconds)
    {
        ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_EXCHANGE_TIMEOUT, &seconds, 4), DDI_OK);
    }

    uint16_t dataNodeId() { return lastNodeId(korvo::sim::kDataNode); }
};

TEST_F(HardeningTest, ExchangeTimeoutIsAClientOptionWithFourTimesTheReceiveLimitByDefault)
{
    EXPECT_EQ(timeout(ETH_OPTION_EXCHANGE_TIMEOUT), 0);
    setExchangeTimeout(7);
    EXPECT_EQ(timeout(ETH_OPTION_EXCHANGE_TIMEOUT), 7);
    int64_t wide = 7;
    EXPECT_EQ(ETH_SetClientOptions(ETH_OPTION_EXCHANGE_TIMEOUT, &wide, sizeof wide), ERR_OPTION_SIZE);
}

TEST_F(HardeningTest, DrippedConfirmationEndsAtTheExchangeDeadlineAndDropsTheNode)
{
    setExchangeTimeout(1);
    uint32_t handle = openData();
    uint8_t data[64] = {};
    DDI_PD_RECORD record{sizeof data, 0, 2, data};

    // Pieces well inside the receive limit that together take longer than the exchange may.
    simulator_.inject(Fault::split(kReadData, 84, 100ms));
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), ERR_TIMEOUT);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), static_cast<int32_t>(ERR_TIMEOUT));
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), ERR_NODE_STATE);

    // The same read in three pieces fits the deadline.
    handle = openData();
    simulator_.inject(Fault::split(kReadData, 3, 100ms));
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), DDI_OK);
}

std::atomic<int> indicationsSeen{0};

void countIndication(uint32_t, DDI_PD_RECORD*)
{
    ++indicationsSeen;
}

TEST_F(HardeningTest, IndicationsWithoutConfirmationEndTheCallAfterTheLimit)
{
    setExchangeTimeout(60);
    uint32_t handle = openData();
    ETH_MONITOR_RECORD monitor{ETH_MODE_CALLBACK, 0, 0, nullptr, countIndication, -1};
    ASSERT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), DDI_OK);
    indicationsSeen = 0;

    uint16_t node = dataNodeId();
    simulator_.inject(Fault::silent(kReadData));
    std::atomic<bool> streaming{true};
    std::thread stream([&] {
        uint8_t value = 1;
        korvo::sim::Bytes indication = korvo::sim::processDataIndication(0, 2, std::span<const uint8_t>(&value, 1));
        while (streaming && simulator_.sendToNode(node, indication)) {
        }
    });
    uint8_t data[2] = {};
    DDI_PD_RECORD record{sizeof data, 0, 2, data};
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), ERR_TIMEOUT);
    streaming = false;
    stream.join();
    EXPECT_EQ(indicationsSeen.load(), QUORRIN_MAX_INDICATIONS_PER_CALL);
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), ERR_NODE_STATE);
}

TEST_F(HardeningTest, DatagramsFromAnotherAddressThanTheCouplersAreDropped)
{
    uint32_t handle = openData();
    ETH_MONITOR_RECORD monitor{ETH_MODE_DATAGRAM, 0, 0, nullptr, nullptr, 1000};
    ASSERT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), DDI_OK);
    uint16_t port = simulator_.control().monitoring(dataNodeId())->port;
    uint8_t data[QUORRIN_MAX_MONITOR_DATA] = {};
    DDI_PD_RECORD record{0, 0, 0, data};
    // The coupler answers the activation with the present inputs.
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);

    int stranger = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.107", &from.sin_addr);
    ASSERT_EQ(::bind(stranger, reinterpret_cast<sockaddr*>(&from), sizeof from), 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    uint8_t forged[] = {0x5A, 0x5A};
    korvo::sim::Bytes datagram = korvo::sim::monitoringDatagram(0, 0, 0, 0, 2, forged);
    ASSERT_EQ(::sendto(stranger, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
              static_cast<ssize_t>(datagram.size()));
    ::close(stranger);

    EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_TIMEOUT);
    EXPECT_EQ(data[0], 0);
    EXPECT_EQ(quorrin::nodeForHandle(handle)->monitoringSocket.droppedDatagrams(), 1u);

    uint8_t genuine[] = {0x11, 0x22};
    ASSERT_TRUE(simulator_.control().sendMonitoringDatagram(dataNodeId(), korvo::sim::monitoringDatagram(0, 0, 0, 4, 2, genuine)));
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);
    EXPECT_EQ(record.length, 2);
    EXPECT_EQ(record.address, 4);
    EXPECT_EQ(data[0], 0x11);
}

TEST_F(HardeningTest, AbortClosesManagementConnectionsWhoseSendFailed)
{
    // Every entry fails once; each abort must free its place and descriptor.
    for (uint32_t handle = 0; handle < QUORRIN_MANAGEMENT_ENTRIES; ++handle) {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        ASSERT_TRUE(quorrin::management::adoptConnection(handle, ends[0], 1)) << handle;
        ::close(ends[1]);
        ETH_STATUS_RECORD status{};
        uint32_t failed = ETH_Status(handle, &status);
        EXPECT_NE(failed, DDI_OK);
        EXPECT_NE(failed, ERR_MGMT_STATE);
        EXPECT_EQ(ETH_AbortManagement(handle), DDI_OK) << handle;
        EXPECT_EQ(::fcntl(ends[0], F_GETFD), -1) << "descriptor of entry " << handle << " still open";
        EXPECT_EQ(ETH_Status(handle, &status), ERR_MGMT_STATE);
    }
    uint32_t handle = 99;
    ASSERT_EQ(ETH_InitiateManagement(address_.c_str(), &handle), DDI_OK);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(ETH_AbortManagement(handle), DDI_OK);
}

} // namespace
