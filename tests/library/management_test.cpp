// Management connections and services against the simulated controller.
#include "management.h"
#include "simulator_fixture.h"

#include <array>
#include <cstring>
#include <string>

namespace {

using korvo::sim::Bytes;
using korvo::sim::Fault;
using namespace std::chrono_literals;

constexpr uint16_t kManagement = 0x0401;
constexpr uint16_t kControllerCode = 0x8001;

class ManagementTest : public SimulatorTest {
protected:
    void TearDown() override
    {
        quorrin::management::setReceiveLimit(quorrin::management::kReceiveLimit);
        simulator_.clearFaults();
        for (uint32_t handle = 0; handle < QUORRIN_MANAGEMENT_ENTRIES; ++handle)
            ETH_AbortManagement(handle);
        SimulatorTest::TearDown();
    }

    uint32_t initiate()
    {
        uint32_t handle = 99;
        EXPECT_EQ(ETH_InitiateManagement(address_.c_str(), &handle), DDI_OK);
        return handle;
    }

    static uint16_t be16(const Bytes& bytes, std::size_t offset)
    {
        return static_cast<uint16_t>(bytes.at(offset) << 8 | bytes.at(offset + 1));
    }

    // Checks the management header of the last request and returns its parameters.
    Bytes lastParameters(uint16_t subCode)
    {
        Bytes sent = lastRequest();
        EXPECT_EQ(be16(sent, 0), kManagement);
        EXPECT_EQ(be16(sent, 2), sent.size());
        EXPECT_EQ(be16(sent, 10), subCode);
        EXPECT_EQ(be16(sent, 14), sent.size() - 16);
        return Bytes(sent.begin() + 16, sent.end());
    }
};

TEST_F(ManagementTest, InitiateSendsSixteenBytesAndReturnsLowestHandle)
{
    uint32_t handle = initiate();
    EXPECT_EQ(handle, 0u);
    Bytes sent = lastRequest();
    ASSERT_EQ(sent.size(), 16u);
    EXPECT_EQ(be16(sent, 0), kManagement);
    EXPECT_EQ(be16(sent, 2), 16);
    EXPECT_EQ(be16(sent, 10), 0x041B);
    EXPECT_EQ(be16(sent, 12), 0);
    EXPECT_EQ(be16(sent, 14), 0);
    EXPECT_EQ(simulator_.management().openConnections(), 1u);

    // Later requests carry the connection id and the next sequence numbers.
    ETH_STATUS_RECORD status{};
    ASSERT_EQ(ETH_Status(handle, &status), DDI_OK);
    Bytes next = lastRequest();
    EXPECT_NE(be16(next, 12), 0);
    EXPECT_EQ(be16(next, 4), static_cast<uint16_t>(be16(sent, 4) + 1));

    ASSERT_EQ(ETH_AbortManagement(handle), DDI_OK);
    EXPECT_EQ(lastParameters(0x041C).size(), 0u);
    EXPECT_EQ(simulator_.management().openConnections(), 0u);
    EXPECT_EQ(ETH_Status(handle, &status), ERR_MGMT_STATE);
}

TEST_F(ManagementTest, SeventeenthInitiateFindsTableFullAndAbortFreesEntry)
{
    for (uint32_t expected = 0; expected < QUORRIN_MANAGEMENT_ENTRIES; ++expected)
        ASSERT_EQ(initiate(), expected);
    uint32_t handle = 99;
    EXPECT_EQ(ETH_InitiateManagement(address_.c_str(), &handle), ERR_TABLE_FULL);
    EXPECT_EQ(handle, 99u);
    ASSERT_EQ(ETH_AbortManagement(3), DDI_OK);
    EXPECT_EQ(initiate(), 3u);
}

TEST_F(ManagementTest, HandleAboveFifteenAndFreeEntriesAreRefused)
{
    ETH_STATUS_RECORD status{};
    EXPECT_EQ(ETH_Status(16, &status), ERR_MGMT_HANDLE);
    EXPECT_EQ(ETH_AbortManagement(16), ERR_MGMT_HANDLE);
    EXPECT_EQ(ETH_Status(3, &status), ERR_MGMT_STATE);
    EXPECT_EQ(ETH_AbortManagement(3), ERR_MGMT_STATE);
    EXPECT_EQ(ETH_Status(3, nullptr), ERR_MGMT_STATE);
    EXPECT_EQ(requestCount(), 0u);
}

TEST_F(ManagementTest, UnresolvableHostUsesNoEntry)
{
    uint32_t handle = 99;
    std::string overlong(300, 'a');
    for (const std::string& host : {std::string("no such host"), std::string("a..b"), std::string("-a"), std::string("a-"),
                                    std::string(""), overlong, std::string(70, 'b') + ".c"})
        EXPECT_EQ(ETH_InitiateManagement(host.c_str(), &handle), ERR_MGMT_HOST) << host;
    EXPECT_EQ(ETH_InitiateManagement(nullptr, &handle), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(handle, 99u);
    EXPECT_EQ(initiate(), 0u);
}

TEST_F(ManagementTest, RefusedConnectionReturnsSocketCode)
{
    uint32_t handle = 99;
    EXPECT_EQ(ETH_InitiateManagement("127.0.0.102", &handle), 10061u);
    EXPECT_EQ(initiate(), 0u);
}

TEST_F(ManagementTest, InitiateFailuresFreeTheEntry)
{
    uint32_t handle = 99;
    simulator_.inject(Fault::negative(kManagement, 0x0042));
    EXPECT_EQ(ETH_InitiateManagement(address_.c_str(), &handle), 0x0042u);
    simulator_.inject(Fault::wrongCode(kManagement));
    EXPECT_EQ(ETH_InitiateManagement(address_.c_str(), &handle), ERR_CONFIRMATION);
    simulator_.inject(Fault::closeMidMessage(kManagement));
    EXPECT_EQ(ETH_InitiateManagement(address_.c_str(), &handle), 10054u);
    EXPECT_EQ(handle, 99u);
    EXPECT_EQ(initiate(), 0u);
}

TEST_F(ManagementTest, AddressesAndPortsAreSentAsGiven)
{
    uint32_t handle = initiate();
    ETH_INTERNET_ADDRESS internet{};
    const std::array<uint8_t, 12> bytes{10, 0, 0, 5, 255, 255, 255, 0, 10, 0, 0, 1};
    std::memcpy(&internet, bytes.data(), bytes.size());
    ASSERT_EQ(ETH_SetInternetAddress(handle, &internet), DDI_OK);
    EXPECT_EQ(lastParameters(0x0410), Bytes(bytes.begin(), bytes.end()));
    EXPECT_EQ(simulator_.management().internetAddress(), bytes);

    ETH_ETHERNET_ADDRESS ethernet{};
    const std::array<uint8_t, 6> mac{0x00, 0x30, 0xDE, 0xAA, 0xBB, 0xCC};
    std::memcpy(&ethernet, mac.data(), mac.size());
    ASSERT_EQ(ETH_SetEthernetAddress(handle, &ethernet, "station-1"), DDI_OK);
    Bytes parameters = lastParameters(0x0411);
    ASSERT_EQ(parameters.size(), 22u);
    EXPECT_EQ(Bytes(parameters.begin(), parameters.begin() + 6), Bytes(mac.begin(), mac.end()));
    EXPECT_EQ(std::string(parameters.begin() + 6, parameters.begin() + 15), "station-1");
    EXPECT_TRUE(std::all_of(parameters.begin() + 15, parameters.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(simulator_.management().ethernetAddress(), mac);
    ASSERT_EQ(ETH_SetEthernetAddress(handle, &ethernet, "sixteen-chars-16"), DDI_OK);
    EXPECT_EQ(simulator_.management().ethernetText(), "sixteen-chars-16");

    ASSERT_EQ(ETH_SetPortNumbers(handle, 1963, 503), DDI_OK);
    EXPECT_EQ(lastParameters(0x0412), (Bytes{0x07, 0xAB, 0x01, 0xF7}));
    EXPECT_EQ(simulator_.management().ports(), (std::array<uint16_t, 2>{1963, 503}));
}

TEST_F(ManagementTest, SeventeenCharacterTextIsRefusedAndNothingSent)
{
    uint32_t handle = initiate();
    ETH_ETHERNET_ADDRESS ethernet{};
    std::size_t before = requestCount();
    EXPECT_EQ(ETH_SetEthernetAddress(handle, &ethernet, "seventeen-chars-1"), ERR_MGMT_TEXT_LENGTH);
    EXPECT_EQ(requestCount(), before);
    EXPECT_EQ(ETH_SetEthernetAddress(handle, &ethernet, "ok"), DDI_OK);
}

TEST_F(ManagementTest, NetConfigurationAndStatusConvertOnlyTheirWords)
{
    uint32_t handle = initiate();
    ASSERT_EQ(ETH_SetPortNumbers(handle, 0x1234, 0x5678), DDI_OK);
    ETH_NET_CONFIGURATION configuration{};
    ASSERT_EQ(ETH_GetNetConfiguration(handle, 0x0102, &configuration), DDI_OK);
    EXPECT_EQ(lastParameters(0x0414), (Bytes{0x01, 0x02}));
    auto internet = simulator_.management().internetAddress();
    EXPECT_EQ(0, std::memcmp(configuration.head, internet.data(), internet.size()));
    EXPECT_EQ(configuration.head[12], 0x01);
    EXPECT_EQ(configuration.head[13], 0x02);
    EXPECT_EQ(configuration.firstWord, 0x1234);
    EXPECT_EQ(configuration.secondWord, 0x5678);

    ETH_STATUS_RECORD status{};
    ASSERT_EQ(ETH_Status(handle, &status), DDI_OK);
    EXPECT_EQ(status.firstWord, 0x0001);
    EXPECT_EQ(status.secondWord, 1);
    EXPECT_EQ(0, std::memcmp(status.tail, internet.data(), internet.size()));
}

TEST_F(ManagementTest, IdentifyCopiesNinetySixBytesWithProductText)
{
    uint32_t handle = initiate();
    std::array<uint8_t, QUORRIN_IDENTIFY_SIZE + 8> block;
    block.fill(0xEE);
    ASSERT_EQ(ETH_Identify(handle, block.data()), DDI_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data())), korvo::sim::kProductText);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data() + 32)), korvo::sim::kFirmwareVersion);
    EXPECT_EQ(block[QUORRIN_IDENTIFY_SIZE - 1], 0);
    EXPECT_EQ(block[QUORRIN_IDENTIFY_SIZE], 0xEE);

    // A confirmation too short for the block hands over nothing.
    block.fill(0xEE);
    simulator_.inject(Fault::truncate(kManagement, 60));
    EXPECT_EQ(ETH_Identify(handle, block.data()), ERR_MGMT_CONFIRMATION);
    EXPECT_EQ(block[0], 0xEE);
    EXPECT_EQ(ETH_Identify(handle, block.data()), DDI_OK);
}

TEST_F(ManagementTest, HardwareResetAcceptsOnlyStatusSubCode)
{
    uint32_t handle = initiate();
    EXPECT_EQ(ETH_HardwareReset(handle), korvo::sim::kErrResetDisabled);
    ASSERT_EQ(ETH_EnableHardwareReset(handle), DDI_OK);
    EXPECT_EQ(lastParameters(0x0421), (Bytes{0, 0, 0, 1}));
    EXPECT_TRUE(simulator_.management().hardwareResetEnabled());
    ASSERT_EQ(ETH_HardwareReset(handle), DDI_OK);
    EXPECT_EQ(lastParameters(0x0418).size(), 0u);
    EXPECT_EQ(simulator_.management().hardwareResets(), 1);

    simulator_.inject(Fault::patchWord(kManagement, 10, 0x0918));
    EXPECT_EQ(ETH_HardwareReset(handle), ERR_MGMT_CONFIRMATION);
    ASSERT_EQ(ETH_DisableHardwareReset(handle), DDI_OK);
    EXPECT_EQ(lastParameters(0x0421), (Bytes{0, 0, 0, 0}));
    EXPECT_FALSE(simulator_.management().hardwareResetEnabled());
    uint16_t unused = 0;
    EXPECT_EQ(ETH_GetHardwareResetMode(0, &unused), DDI_OK);
}

TEST_F(ManagementTest, TcpModeRoundTrip)
{
    uint32_t handle = initiate();
    ASSERT_EQ(ETH_SetTCPMode(handle, 2, 0x0300), DDI_OK);
    EXPECT_EQ(lastParameters(0x0423), (Bytes{0, 2, 3, 0}));
    uint16_t first = 0;
    uint16_t second = 0;
    ASSERT_EQ(ETH_GetTCPMode(handle, &first, &second), DDI_OK);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 0x0300);
    EXPECT_EQ(ETH_GetTCPMode(handle, nullptr, &second), ERR_INVALID_ARGUMENT);
}

TEST_F(ManagementTest, ControllerCodesAreSignOrZeroExtendedPerCall)
{
    uint32_t handle = initiate();
    uint16_t first = 0;
    uint16_t second = 0;
    simulator_.inject(Fault::negative(kManagement, kControllerCode));
    EXPECT_EQ(ETH_GetTCPMode(handle, &first, &second), 0xFFFF8001u);
    simulator_.inject(Fault::negative(kManagement, kControllerCode));
    EXPECT_EQ(ETH_SetTCPMode(handle, 1, 1), 0xFFFF8001u);
    simulator_.inject(Fault::negative(kManagement, kControllerCode));
    EXPECT_EQ(ETH_EnableHardwareReset(handle), 0xFFFF8001u);
    simulator_.inject(Fault::negative(kManagement, kControllerCode));
    EXPECT_EQ(ETH_DisableHardwareReset(handle), 0xFFFF8001u);

    std::array<uint8_t, QUORRIN_IDENTIFY_SIZE> block{};
    simulator_.inject(Fault::negative(kManagement, kControllerCode));
    EXPECT_EQ(ETH_Identify(handle, block.data()), 0x00008001u);
    simulator_.inject(Fault::negative(kManagement, kControllerCode));
    EXPECT_EQ(ETH_SetPortNumbers(handle, 1, 2), 0x00008001u);
    simulator_.inject(Fault::negative(kManagement, 0x7001));
    EXPECT_EQ(ETH_GetTCPMode(handle, &first, &second), 0x00007001u);

    // Refusals leave the connection open.
    EXPECT_EQ(ETH_GetTCPMode(handle, &first, &second), DDI_OK);
}

TEST_F(ManagementTest, UnexpectedConfirmationsKeepConnectionOpen)
{
    uint32_t handle = initiate();
    ETH_STATUS_RECORD status{};
    simulator_.inject(Fault::patchWord(kManagement, 10, 0x0915));
    EXPECT_EQ(ETH_Status(handle, &status), ERR_MGMT_CONFIRMATION);
    // A refusal without an error code is not a success.
    simulator_.inject(Fault::patchWord(kManagement, 14, 1));
    EXPECT_EQ(ETH_Status(handle, &status), ERR_MGMT_CONFIRMATION);
    EXPECT_EQ(ETH_Status(handle, &status), DDI_OK);
}

TEST_F(ManagementTest, AbortRefusalsKeepConnectionOpen)
{
    uint32_t handle = initiate();
    ETH_STATUS_RECORD status{};
    simulator_.inject(Fault::negative(kManagement, 0x0033));
    EXPECT_EQ(ETH_AbortManagement(handle), 0x0033u);
    EXPECT_EQ(ETH_Status(handle, &status), DDI_OK);

    simulator_.inject(Fault::wrongCode(kManagement));
    EXPECT_EQ(ETH_AbortManagement(handle), ERR_MGMT_CONFIRMATION);
    // The controller has ended its side; the library's entry is still open.
    EXPECT_EQ(ETH_Status(handle, &status), korvo::sim::kErrNotInitiated);
    EXPECT_EQ(ETH_AbortManagement(handle), DDI_OK);
    EXPECT_EQ(ETH_AbortManagement(handle), ERR_MGMT_STATE);
}

TEST_F(ManagementTest, ReceiveLimitIsTenSecondsAndBoundsTheWait)
{
    EXPECT_EQ(quorrin::management::receiveLimit(), 10s);
    uint32_t handle = initiate();
    ETH_STATUS_RECORD status{};

    quorrin::management::setReceiveLimit(1000ms);
    simulator_.inject(Fault::late(kManagement, 100ms));
    EXPECT_EQ(ETH_Status(handle, &status), DDI_OK);

    quorrin::management::setReceiveLimit(200ms);
    simulator_.inject(Fault::late(kManagement, 1000ms));
    long long ms = elapsedMs([&] { EXPECT_EQ(ETH_Status(handle, &status), ERR_NETWORK); });
    EXPECT_LT(ms, 900);
    EXPECT_EQ(ETH_Status(handle, &status), ERR_MGMT_STATE);
    EXPECT_EQ(initiate(), handle);
}

TEST_F(ManagementTest, BrokenConfirmationsFreeTheEntry)
{
    uint32_t handle = initiate();
    ETH_STATUS_RECORD status{};
    simulator_.inject(Fault::closeMidMessage(kManagement));
    EXPECT_EQ(ETH_Status(handle, &status), 10054u);
    EXPECT_EQ(ETH_Status(handle, &status), ERR_MGMT_STATE);

    handle = initiate();
    simulator_.inject(Fault::absurdLength(kManagement, 3000));
    EXPECT_EQ(ETH_Status(handle, &status), ERR_NETWORK);
    EXPECT_EQ(ETH_Status(handle, &status), ERR_MGMT_STATE);
}

} // namespace
