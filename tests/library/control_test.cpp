// Device control commands, datagram listeners, monitoring and data
// indications against the simulated controller.
#include "simulator_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>

namespace {

using korvo::sim::Bytes;
using korvo::sim::Fault;
using namespace std::chrono_literals;

constexpr uint16_t kControl = 0x0109;
constexpr uint8_t kFill = 0xEE;

// A UDP socket bound by the test itself, to take a port away from the library.
class PortHolder {
public:
    explicit PortHolder(uint16_t port) : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(port);
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;
    ~PortHolder() { ::close(fd_); }
    bool bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

bool portFree(uint16_t port)
{
    return PortHolder(port).bound();
}

class ControlTest : public SimulatorTest {
protected:
    void SetUp() override
    {
        SimulatorTest::SetUp();
        Bytes inputs(512);
        for (std::size_t i = 0; i < inputs.size(); ++i)
            inputs[i] = static_cast<uint8_t>(i + 3);
        simulator_.controller().setInputs(0, inputs);
    }

    uint16_t nodeId() { return lastNodeId("KNETH01N1_D"); }
    korvo::sim::ControlServices& control() { return simulator_.control(); }

    static uint16_t be16(const Bytes& bytes, std::size_t offset)
    {
        return static_cast<uint16_t>(bytes.at(offset) << 8 | bytes.at(offset + 1));
    }
    static uint32_t be32(const Bytes& bytes, std::size_t offset)
    {
        return uint32_t{be16(bytes, offset)} << 16 | be16(bytes, offset + 2);
    }

    // Checks the control request header and returns its payload.
    Bytes lastPayload(uint16_t command)
    {
        Bytes sent = lastRequest();
        EXPECT_EQ(be16(sent, 0), kControl);
        EXPECT_EQ(be16(sent, 2), sent.size());
        EXPECT_EQ(be16(sent, 10), nodeId());
        EXPECT_EQ(be16(sent, 12), command);
        EXPECT_EQ(be16(sent, 14), sent.size() - 16);
        return Bytes(sent.begin() + 16, sent.end());
    }

    uint16_t activateDatagramMonitoring(uint32_t handle, uint16_t address, uint16_t length, int32_t waitTime)
    {
        ETH_MONITOR_RECORD monitor{ETH_MODE_DATAGRAM, address, length, nullptr, nullptr, waitTime};
        Bytes data(length, 0);
        monitor.data = data.data();
        EXPECT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), DDI_OK);
        return be16(lastPayload(ETH_CMD_ACTIVATE_PDIN_MONITORING), 2);
    }

    void activateDataIndications(uint32_t handle)
    {
        ETH_INDICATION_RECORD indication{ETH_MODE_DATAGRAM, 1, 2, 3};
        ASSERT_EQ(ETH_ActivateDataIndication(handle, &indication), DDI_OK);
    }
};

// ---- Memory --------------------------------------------------------------

TEST_F(ControlTest, ReadMpmSendsAddressAndLengthAndCopiesMemory)
{
    uint32_t handle = openData();
    control().setMemory(100, Bytes{1, 2, 3, 4, 5});
    std::array<uint8_t, 8> data;
    data.fill(kFill);
    ASSERT_EQ(ETH_ReadMPM(handle, 100, 5, data.data()), DDI_OK);
    EXPECT_EQ(data, (std::array<uint8_t, 8>{1, 2, 3, 4, 5, kFill, kFill, kFill}));
    Bytes payload = lastPayload(ETH_CMD_READ_MPM);
    EXPECT_EQ(payload, (Bytes{0, 0, 0, 100, 0, 0, 0, 5}));
}

TEST_F(ControlTest, MpmRecordCallsKeepLengthFirstOrder)
{
    uint32_t handle = openData();
    std::array<uint8_t, 3> out{7, 8, 9};
    DDI_MPM_RECORD write{3, 200, out.data()};
    ASSERT_EQ(DDI_MPM_WriteData(handle, &write), DDI_OK);
    EXPECT_EQ(control().memory(200, 3), (Bytes{7, 8, 9}));
    EXPECT_EQ(lastPayload(ETH_CMD_WRITE_MPM), (Bytes{0, 0, 0, 200, 0, 0, 0, 3, 7, 8, 9}));

    std::array<uint8_t, 3> in{};
    DDI_MPM_RECORD read{3, 200, in.data()};
    ASSERT_EQ(DDI_MPM_ReadData(handle, &read), DDI_OK);
    EXPECT_EQ(in, out);
    EXPECT_EQ(DDI_MPM_ReadData(handle, nullptr), ERR_INVALID_ARGUMENT);
}

TEST_F(ControlTest, ReadMpmNeverCopiesPastCallerBufferOrReceivedBytes)
{
    uint32_t handle = openData();
    control().setMemory(0, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    std::array<uint8_t, 12> data;

    // The controller announces far more bytes than the caller asked for.
    data.fill(kFill);
    simulator_.inject(Fault::patchWord(kControl, 28, 2000));
    ETH_MPM_RECORD record{0, 4, data.data()};
    ASSERT_EQ(DDI_DevIOCtrl(handle, ETH_CMD_READ_MPM, &record), DDI_OK);
    EXPECT_EQ(record.length, 4u);
    EXPECT_EQ(data[3], 4);
    EXPECT_EQ(data[4], kFill);

    // The confirmation holds fewer bytes than it announces: nothing is copied.
    data.fill(kFill);
    simulator_.inject(Fault::truncate(kControl, 34));
    record = ETH_MPM_RECORD{0, 8, data.data()};
    EXPECT_EQ(DDI_DevIOCtrl(handle, ETH_CMD_READ_MPM, &record), ERR_CONFIRMATION);
    EXPECT_EQ(data[0], kFill);
    EXPECT_EQ(record.length, 8u);
}

TEST_F(ControlTest, WriteMpmBeyondPayloadLimitIsRefusedBeforeSending)
{
    uint32_t handle = openData();
    Bytes data(1031, 1);
    std::size_t before = requestCount();
    EXPECT_EQ(ETH_WriteMPM(handle, 0, 1031, data.data()), ERR_REQUEST_LENGTH);
    EXPECT_EQ(requestCount(), before);
    EXPECT_EQ(ETH_WriteMPM(handle, 0, 1030, data.data()), DDI_OK);
    EXPECT_EQ(lastRequest().size(), 1054u);
    EXPECT_EQ(ETH_WriteMPM(handle, 0, 4, nullptr), ERR_INVALID_ARGUMENT);
}

// ---- Words and status ----------------------------------------------------

TEST_F(ControlTest, SetHostCheckingSendsTwoBytesAndWritesAnswerBack)
{
    uint32_t handle = openData();
    uint16_t word = 0x0102;
    simulator_.inject(Fault::patchWord(kControl, 22, 0x0A0B));
    ASSERT_EQ(ETH_SetHostChecking(handle, &word), DDI_OK);
    EXPECT_EQ(lastPayload(ETH_CMD_SET_HOST_CHECKING), (Bytes{0x01, 0x02}));
    EXPECT_EQ(word, 0x0A0B);
    EXPECT_EQ(control().hostChecking(), 0x0102);

    simulator_.inject(Fault::negative(kControl, 0x0033));
    word = 0x0555;
    EXPECT_EQ(ETH_SetHostChecking(handle, &word), ERR_DEVICE_BASE + 0x0033);
    EXPECT_EQ(word, 0x0555);

    ASSERT_EQ(ETH_ClearHostChecking(handle), DDI_OK);
    EXPECT_TRUE(lastPayload(ETH_CMD_CLEAR_HOST_CHECKING).empty());
    EXPECT_EQ(control().hostChecking(), 0);
}

TEST_F(ControlTest, DtiTimeoutWordIsSetAndCleared)
{
    uint32_t handle = openData();
    uint16_t word = 500;
    ASSERT_EQ(ETH_SetDTITimeoutCtrl(handle, &word), DDI_OK);
    EXPECT_EQ(lastPayload(ETH_CMD_SET_DTI_TIMEOUT), (Bytes{0x01, 0xF4}));
    EXPECT_EQ(control().dtiTimeout(), 500);
    EXPECT_EQ(word, 500);
    ASSERT_EQ(ETH_ClearDTITimeoutCtrl(handle), DDI_OK);
    EXPECT_EQ(control().dtiTimeout(), 0);
    EXPECT_EQ(ETH_SetDTITimeoutCtrl(handle, nullptr), ERR_INVALID_ARGUMENT);
}

TEST_F(ControlTest, WatchdogAndNetFailStatusAreReadAndCleared)
{
    uint32_t handle = openData();
    control().setWatchdogStatus(0x00A2);
    uint16_t watchdog = 0;
    ASSERT_EQ(ETH_GetWatchdogStatus(handle, &watchdog), DDI_OK);
    EXPECT_EQ(watchdog, 0x00A2);
    ASSERT_EQ(ETH_ClrWatchdogStatus(handle), DDI_OK);
    ASSERT_EQ(ETH_GetWatchdogStatus(handle, &watchdog), DDI_OK);
    EXPECT_EQ(watchdog, 0);

    control().setNetFailStatus(0x0002, 0x0300);
    uint16_t status[2] = {};
    ASSERT_EQ(ETH_GetNetFailStatus(handle, status), DDI_OK);
    EXPECT_EQ(status[0], 0x0002);
    EXPECT_EQ(status[1], 0x0300);
    ASSERT_EQ(ETH_ClrNetFailStatus(handle), DDI_OK);
    ASSERT_EQ(ETH_SetNetFail(handle), DDI_OK);
    ASSERT_EQ(ETH_GetNetFailStatus(handle, status), DDI_OK);
    EXPECT_EQ(status[0], 0x0001);
    EXPECT_EQ(status[1], 0);
}

TEST_F(ControlTest, ShortStatusConfirmationReportsConfirmationError)
{
    uint32_t handle = openData();
    control().setWatchdogStatus(0x1111);
    uint16_t watchdog = 0x7777;
    simulator_.inject(Fault::truncate(kControl, 23));
    EXPECT_EQ(ETH_GetWatchdogStatus(handle, &watchdog), ERR_CONFIRMATION);
    EXPECT_EQ(watchdog, 0x7777);
}

TEST_F(ControlTest, NetFailModeRoundTripCopiesAtMostCallerBuffer)
{
    uint32_t handle = openData();
    Bytes modeData{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ETH_NETFAIL_MODE_RECORD set{3, 10, modeData.data()};
    ASSERT_EQ(ETH_SetNetFailMode(handle, &set), DDI_OK);
    EXPECT_EQ(lastPayload(ETH_CMD_SET_NETFAIL_MODE), (Bytes{0, 3, 0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    std::array<uint8_t, 8> buffer;
    buffer.fill(kFill);
    ETH_NETFAIL_MODE_RECORD get{0, 4, buffer.data()};
    ASSERT_EQ(ETH_GetNetFailMode(handle, &get), DDI_OK);
    EXPECT_TRUE(lastPayload(ETH_CMD_GET_NETFAIL_MODE).empty());
    EXPECT_EQ(get.mode, 3);
    EXPECT_EQ(get.length, 4);
    EXPECT_EQ(buffer, (std::array<uint8_t, 8>{1, 2, 3, 4, kFill, kFill, kFill, kFill}));

    // Announcing more than the confirmation holds hands over nothing.
    buffer.fill(kFill);
    get = ETH_NETFAIL_MODE_RECORD{0, 8, buffer.data()};
    simulator_.inject(Fault::truncate(kControl, 30));
    EXPECT_EQ(ETH_GetNetFailMode(handle, &get), ERR_CONFIRMATION);
    EXPECT_EQ(buffer[0], kFill);
    EXPECT_EQ(get.mode, 0);
}

// ---- Security ------------------------------------------------------------

TEST_F(ControlTest, SecurityLoginSendsSecondValueFirstAndBlockUnchanged)
{
    uint32_t handle = openData();
    std::array<uint8_t, 16> key{};
    ASSERT_EQ(ETH_SecurityLogin(handle, key.data(), 0x1111, 0x2222), DDI_OK);
    Bytes payload = lastPayload(ETH_CMD_SECURITY_LOGIN);
    ASSERT_EQ(payload.size(), 20u);
    EXPECT_EQ(be16(payload, 0), 0x2222);
    EXPECT_EQ(be16(payload, 2), 0x1111);

    key[5] = 0x55;
    EXPECT_EQ(ETH_SecurityLogin(handle, key.data(), 1, 2), ERR_DEVICE_BASE + korvo::sim::kErrSecurity);
    EXPECT_EQ(lastPayload(ETH_CMD_SECURITY_LOGIN)[4 + 5], 0x55);
    EXPECT_EQ(ETH_SecurityLogin(handle, nullptr, 1, 2), ERR_INVALID_ARGUMENT);
}

TEST_F(ControlTest, SetSecuritySendsCountedValuesAndRefusesMoreThan32)
{
    uint32_t handle = openData();
    std::array<uint8_t, 16> key{};
    key[0] = 0xAB;
    std::array<uint32_t, 33> values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = 0x01000000u + static_cast<uint32_t>(i);
    ETH_SECURITY_RECORD record{0x0101, 0x0202, 0x0303, key.data(), 3, values.data()};
    ASSERT_EQ(ETH_SetSecurity(handle, &record), DDI_OK);
    Bytes payload = lastPayload(ETH_CMD_SET_SECURITY);
    ASSERT_EQ(payload.size(), 24u + 12u);
    EXPECT_EQ(be16(payload, 0), 0x0101);
    EXPECT_EQ(be16(payload, 4), 0x0303);
    EXPECT_EQ(payload[6], 0xAB);
    EXPECT_EQ(be16(payload, 22), 3);
    EXPECT_EQ(be32(payload, 32), 0x01000002u);
    EXPECT_EQ(control().securityValues(), (std::vector<uint32_t>{0x01000000u, 0x01000001u, 0x01000002u}));

    record.count = 32;
    ASSERT_EQ(ETH_SetSecurity(handle, &record), DDI_OK);
    EXPECT_EQ(lastRequest().size(), 16u + 24u + 128u);

    std::size_t before = requestCount();
    record.count = 33;
    EXPECT_EQ(ETH_SetSecurity(handle, &record), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(requestCount(), before);
}

TEST_F(ControlTest, GetSecurityWithFortyValuesAnnouncedCopiesThirtyTwo)
{
    uint32_t handle = openData();
    std::array<uint8_t, 16> key{};
    key[15] = 0x5A;
    std::array<uint32_t, 3> none{};
    ETH_SECURITY_RECORD set{1, 0x2222, 0x3333, key.data(), 0, none.data()};
    ASSERT_EQ(ETH_SetSecurity(handle, &set), DDI_OK);
    std::vector<uint32_t> announced(40);
    for (std::size_t i = 0; i < announced.size(); ++i)
        announced[i] = static_cast<uint32_t>(i + 1);
    control().setSecurityValues(announced);

    std::array<uint32_t, 40> values;
    values.fill(0xEEEEEEEEu);
    std::array<uint8_t, 16> got{};
    ETH_SECURITY_RECORD get{7, 0, 0, got.data(), 0, values.data()};
    ASSERT_EQ(ETH_GetSecurity(handle, &get), DDI_OK);
    Bytes payload = lastPayload(ETH_CMD_GET_SECURITY);
    ASSERT_EQ(payload.size(), 152u);
    EXPECT_EQ(be16(payload, 0), 7);
    EXPECT_TRUE(std::all_of(payload.begin() + 2, payload.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(get.securityWord2, 0x2222);
    EXPECT_EQ(get.securityWord3, 0x3333);
    EXPECT_EQ(got, key);
    EXPECT_EQ(get.count, 40);
    EXPECT_EQ(values[31], 32u);
    EXPECT_EQ(values[32], 0xEEEEEEEEu);
    EXPECT_EQ(values[39], 0xEEEEEEEEu);
}

TEST_F(ControlTest, GetSecurityShortOfAnnouncedValuesCopiesNothing)
{
    uint32_t handle = openData();
    control().setSecurityValues({1, 2, 3, 4});
    std::array<uint32_t, 32> values;
    values.fill(0xEEEEEEEEu);
    std::array<uint8_t, 16> key{};
    ETH_SECURITY_RECORD get{0, 0x4444, 0, key.data(), 0, values.data()};
    simulator_.inject(Fault::patchWord(kControl, 44, 9));
    EXPECT_EQ(ETH_GetSecurity(handle, &get), ERR_CONFIRMATION);
    EXPECT_EQ(values[0], 0xEEEEEEEEu);
    EXPECT_EQ(get.securityWord2, 0x4444);
    EXPECT_EQ(get.count, 0);
}

// ---- Command table -------------------------------------------------------

TEST_F(ControlTest, CommandsOutsideTableAreRefusedBeforeSending)
{
    uint32_t handle = openData();
    uint16_t word = 0;
    std::size_t before = requestCount();
    for (uint32_t command : {0x0800u, 0x0811u, 0x0814u, 0x0818u, 0x081Fu, 0x0825u, 0x0109u, 0x10801u})
        EXPECT_EQ(DDI_DevIOCtrl(handle, command, &word), ERR_INVALID_ARGUMENT) << std::hex << command;
    EXPECT_EQ(requestCount(), before);
    EXPECT_EQ(DDI_DevIOCtrl(handle, ETH_CMD_GET_WATCHDOG_STATUS, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DDI_DevIOCtrl(handle, ETH_CMD_GET_WATCHDOG_STATUS, &word), DDI_OK);
}

TEST_F(ControlTest, WrongEchoedCommandCodeFailsAndKeepsNode)
{
    uint32_t handle = openData();
    control().setWatchdogStatus(0x0042);
    uint16_t watchdog = 0x7777;
    simulator_.inject(Fault::patchWord(kControl, 18, ETH_CMD_GET_NETFAIL_STATUS));
    EXPECT_EQ(ETH_GetWatchdogStatus(handle, &watchdog), ERR_CONFIRMATION);
    EXPECT_EQ(watchdog, 0x7777);
    simulator_.inject(Fault::wrongCode(kControl));
    EXPECT_EQ(ETH_GetWatchdogStatus(handle, &watchdog), ERR_CONFIRMATION);
    EXPECT_EQ(ETH_GetWatchdogStatus(handle, &watchdog), DDI_OK);
    EXPECT_EQ(watchdog, 0x0042);
}

TEST_F(ControlTest, HandleAndBusyChecksComeBeforeSending)
{
    uint16_t word = 0;
    EXPECT_EQ(ETH_GetWatchdogStatus(63, &word), ERR_HANDLE_RANGE);
    EXPECT_EQ(ETH_ClrWatchdogStatus(320), ERR_HANDLE_RANGE);
    EXPECT_EQ(ETH_ClrWatchdogStatus(200), ERR_NODE_STATE);
    EXPECT_EQ(requestCount(), 0u);
}

TEST_F(ControlTest, LateConfirmationDropsNode)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::late(kControl, 1500ms));
    EXPECT_EQ(ETH_ClrWatchdogStatus(handle), ERR_TIMEOUT);
    EXPECT_EQ(ETH_ClrWatchdogStatus(handle), ERR_NODE_STATE);
}

// ---- Monitoring ----------------------------------------------------------

TEST_F(ControlTest, DatagramMonitoringAnnouncesPortAndDeliversChangedInputs)
{
    uint32_t handle = openData();
    uint16_t port = activateDatagramMonitoring(handle, 10, 4, 1000);
    Bytes payload = lastPayload(ETH_CMD_ACTIVATE_PDIN_MONITORING);
    EXPECT_EQ(payload, (Bytes{0, 2, static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port), 0, 10, 0, 4, 0, 0, 0, 0,
                              0, 0}));
    EXPECT_GE(port, QUORRIN_FIRST_DATAGRAM_PORT);
    EXPECT_LE(port, QUORRIN_LAST_DATAGRAM_PORT);
    EXPECT_FALSE(portFree(port));

    std::array<uint8_t, QUORRIN_MAX_MONITOR_DATA> data{};
    DDI_PD_RECORD record{0, 0, 0, data.data()};
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);
    EXPECT_EQ(record.address, 10);
    EXPECT_EQ(record.length, 4);
    EXPECT_EQ(data[0], 13);

    simulator_.controller().setInputs(12, Bytes{0x99});
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);
    EXPECT_EQ(data[2], 0x99);

    // Deactivating tells the controller only; the node keeps waiting in datagram mode.
    ASSERT_EQ(ETH_DeactivatePDInMonitoring(handle), DDI_OK);
    simulator_.controller().setInputs(12, Bytes{0x98});
    EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_TIMEOUT);
}

TEST_F(ControlTest, PortSearchSkipsTakenPortsFrom1024)
{
    PortHolder taken(QUORRIN_FIRST_DATAGRAM_PORT);
    ASSERT_FALSE(portFree(QUORRIN_FIRST_DATAGRAM_PORT));
    uint32_t handle = openData();
    uint16_t port = activateDatagramMonitoring(handle, 0, 1, 0);
    EXPECT_GT(port, QUORRIN_FIRST_DATAGRAM_PORT);
    for (uint16_t below = QUORRIN_FIRST_DATAGRAM_PORT; below < port; ++below)
        EXPECT_FALSE(portFree(below)) << below;
    EXPECT_EQ(simulator_.control().monitoring(nodeId())->port, port);

    // Closing the node closes its listener.
    ASSERT_EQ(DDI_DevCloseNode(handle), DDI_OK);
    EXPECT_TRUE(portFree(port));
}

TEST_F(ControlTest, NoFreeListenerPortFailsBeforeSendingAndKeepsNode)
{
    uint32_t handle = openData();
    std::vector<std::unique_ptr<PortHolder>> held;
    for (uint32_t port = QUORRIN_FIRST_DATAGRAM_PORT; port <= QUORRIN_LAST_DATAGRAM_PORT; ++port)
        held.push_back(std::make_unique<PortHolder>(static_cast<uint16_t>(port)));
    std::size_t before = requestCount();
    ETH_MONITOR_RECORD monitor{ETH_MODE_DATAGRAM, 0, 0, nullptr, nullptr, 0};
    EXPECT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), ERR_NETWORK);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), 10048);
    ETH_INDICATION_RECORD indication{ETH_MODE_DATAGRAM, 0, 0, 0};
    EXPECT_EQ(ETH_ActivateDataIndication(handle, &indication), ERR_NETWORK);
    EXPECT_EQ(requestCount(), before);

    held.pop_back();
    EXPECT_EQ(activateDatagramMonitoring(handle, 0, 1, 0), QUORRIN_LAST_DATAGRAM_PORT);
}

TEST_F(ControlTest, NonDatagramModeAnnouncesLastListenerPortOfTheEntry)
{
    // Other tests give listeners to the first entry only, and each run of
    // this one takes an entry that no earlier run used.
    static uint32_t runs = 0;
    uint32_t handle = 0;
    for (uint32_t i = 0; i <= runs + 1; ++i)
        handle = openData();
    ++runs;
    ASSERT_EQ(handle, QUORRIN_FIRST_HANDLE + runs);
    ETH_MONITOR_RECORD off{ETH_MODE_OFF, 0, 0, nullptr, nullptr, 0};
    ASSERT_EQ(ETH_ActivatePDInMonitoring(handle, &off), DDI_OK);
    EXPECT_EQ(be16(lastPayload(ETH_CMD_ACTIVATE_PDIN_MONITORING), 2), 0);

    uint16_t port = activateDatagramMonitoring(handle, 0, 1, 0);
    ASSERT_EQ(ETH_ActivatePDInMonitoring(handle, &off), DDI_OK);
    EXPECT_EQ(be16(lastPayload(ETH_CMD_ACTIVATE_PDIN_MONITORING), 2), port);
    std::array<uint8_t, QUORRIN_MAX_MONITOR_DATA> data{};
    DDI_PD_RECORD record{0, 0, 0, data.data()};
    EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_NODE_STATE);

    // The entry remembers the port after the node is closed and reopened.
    ASSERT_EQ(DDI_DevCloseNode(handle), DDI_OK);
    ASSERT_EQ(openData(), handle);
    ASSERT_EQ(ETH_ActivatePDInMonitoring(handle, &off), DDI_OK);
    EXPECT_EQ(be16(lastPayload(ETH_CMD_ACTIVATE_PDIN_MONITORING), 2), port);
}

TEST_F(ControlTest, WaitForPdInIndicationNeedsDatagramMode)
{
    uint32_t handle = openData();
    std::array<uint8_t, QUORRIN_MAX_MONITOR_DATA> data{};
    DDI_PD_RECORD record{0, 0, 0, data.data()};
    EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_NODE_STATE);

    ETH_MONITOR_CALLBACK callback = [](uint32_t, DDI_PD_RECORD*) {};
    ETH_MONITOR_RECORD monitor{ETH_MODE_CALLBACK, 0, 0, nullptr, callback, -1};
    ASSERT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), DDI_OK);
    long long ms = elapsedMs([&] { EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_NODE_STATE); });
    EXPECT_LT(ms, 500);
    EXPECT_EQ(WaitForPDInIndication(63, &record), ERR_HANDLE_RANGE);
    EXPECT_EQ(WaitForPDInIndication(handle, nullptr), ERR_INVALID_ARGUMENT);

    monitor.callback = nullptr;
    EXPECT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), ERR_INVALID_ARGUMENT);
}

TEST_F(ControlTest, NegativeMonitoringConfirmationLeavesModeOff)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::negative(kControl, 0x0014));
    ETH_MONITOR_RECORD monitor{ETH_MODE_DATAGRAM, 0, 0, nullptr, nullptr, 0};
    EXPECT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), ERR_DEVICE_BASE + 0x0014);
    std::array<uint8_t, QUORRIN_MAX_MONITOR_DATA> data{};
    DDI_PD_RECORD record{0, 0, 0, data.data()};
    EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_NODE_STATE);
}

TEST_F(ControlTest, MonitoringDatagramErrorWordsFormTheResult)
{
    uint32_t handle = openData();
    activateDatagramMonitoring(handle, 0, 1, 1000);
    std::array<uint8_t, QUORRIN_MAX_MONITOR_DATA> data{};
    DDI_PD_RECORD record{0, 0, 0, data.data()};
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);

    ASSERT_TRUE(control().sendMonitoringDatagram(nodeId(), korvo::sim::monitoringDatagram(1, 0x0001, 0x0091, 0, 0, {})));
    EXPECT_EQ(WaitForPDInIndication(handle, &record), 0x00010091u);

    // A refusal without error words must not read as success.
    ASSERT_TRUE(control().sendMonitoringDatagram(nodeId(), korvo::sim::monitoringDatagram(1, 0, 0, 0, 0, {})));
    EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_DEVICE_BASE);
}

TEST_F(ControlTest, MonitoringDatagramNeverCopiesMoreThanItHolds)
{
    uint32_t handle = openData();
    activateDatagramMonitoring(handle, 0, 1, 1000);
    std::vector<uint8_t> data(QUORRIN_MAX_MONITOR_DATA + 16, kFill);
    DDI_PD_RECORD record{0, 0, 0, data.data()};
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);

    Bytes datagram = korvo::sim::monitoringDatagram(0, 0, 0, 5, 1, Bytes{1, 2, 3});
    korvo::sim::writeBe16(datagram, 20, 0xFFFF);
    std::fill(data.begin(), data.end(), kFill);
    ASSERT_TRUE(control().sendMonitoringDatagram(nodeId(), datagram));
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);
    EXPECT_EQ(record.length, 3);
    EXPECT_EQ(data[2], 3);
    EXPECT_EQ(data[3], kFill);

    // Longer than a datagram may be: read up to the limit, copied at most 1000 bytes.
    Bytes oversized = korvo::sim::monitoringDatagram(0, 0, 0, 0, 0, Bytes(1400, 0x11));
    std::fill(data.begin(), data.end(), kFill);
    ASSERT_TRUE(control().sendMonitoringDatagram(nodeId(), oversized));
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);
    EXPECT_EQ(record.length, QUORRIN_MAX_MONITOR_DATA);
    EXPECT_EQ(data[QUORRIN_MAX_MONITOR_DATA - 1], 0x11);
    EXPECT_EQ(data[QUORRIN_MAX_MONITOR_DATA], kFill);

    ASSERT_TRUE(control().sendMonitoringDatagram(nodeId(), Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_NETWORK);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), static_cast<int32_t>(ERR_NETWORK));
}

TEST_F(ControlTest, MonitoringWaitLastsWholeSecondsOfWaitTime)
{
    uint32_t handle = openData();
    activateDatagramMonitoring(handle, 0, 1, 999);
    std::array<uint8_t, QUORRIN_MAX_MONITOR_DATA> data{};
    DDI_PD_RECORD record{0, 0, 0, data.data()};
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);
    long long ms = elapsedMs([&] { EXPECT_EQ(WaitForPDInIndication(handle, &record), ERR_TIMEOUT); });
    EXPECT_LT(ms, 500);

    activateDatagramMonitoring(handle, 0, 1, 1000);
    ASSERT_EQ(WaitForPDInIndication(handle, &record), DDI_OK);
    std::thread later([&] {
        std::this_thread::sleep_for(200ms);
        simulator_.controller().setInputs(0, Bytes{0x42});
    });
    ms = elapsedMs([&] { EXPECT_EQ(WaitForPDInIndication(handle, &record), DDI_OK); });
    later.join();
    EXPECT_EQ(data[0], 0x42);
    EXPECT_GE(ms, 150);
}

TEST_F(ControlTest, CallbackModeHandsIndicationsToCallbackDuringExchange)
{
    static std::atomic<int> calls{0};
    static std::array<uint8_t, 4> seen{};
    static uint32_t seenHandle = 0;
    calls = 0;
    uint32_t handle = openData();
    ETH_MONITOR_CALLBACK callback = [](uint32_t h, DDI_PD_RECORD* record) {
        ++calls;
        seenHandle = h;
        std::copy_n(record->data, std::min<std::size_t>(record->length, seen.size()), seen.begin());
    };
    ETH_MONITOR_RECORD monitor{ETH_MODE_CALLBACK, 20, 4, nullptr, callback, 0};
    Bytes watched(4, 0);
    monitor.data = watched.data();
    ASSERT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), DDI_OK);

    simulator_.controller().setInputs(21, Bytes{0x77});
    uint16_t watchdog = 0;
    ASSERT_EQ(ETH_GetWatchdogStatus(handle, &watchdog), DDI_OK);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(seenHandle, handle);
    EXPECT_EQ(seen, (std::array<uint8_t, 4>{23, 0x77, 25, 26}));
}

// ---- Data indications ----------------------------------------------------

TEST_F(ControlTest, WatchAreaChangeArrivesAsDataIndication)
{
    uint32_t handle = openData();
    activateDataIndications(handle);
    Bytes payload = lastPayload(ETH_CMD_ACTIVATE_DATA_INDICATION);
    ASSERT_EQ(payload.size(), 16u);
    uint16_t port = be16(payload, 2);
    EXPECT_GE(port, QUORRIN_FIRST_DATAGRAM_PORT);
    EXPECT_EQ(be32(payload, 4), 1u);
    EXPECT_EQ(be32(payload, 12), 3u);
    EXPECT_EQ(control().indicationPort(nodeId()), port);

    std::array<uint8_t, 2> areaData{0x10, 0x11};
    DDI_PD_RECORD area{2, 30, 5, areaData.data()};
    ETH_WATCH_RECORD watch{-2, 0, &area};
    ASSERT_EQ(ETH_SetDataWatchArea(handle, &watch), DDI_OK);
    EXPECT_EQ(lastPayload(ETH_CMD_SET_DATA_WATCH_AREA),
              (Bytes{0, 30, 0, 2, 0xFF, 0xFF, 0xFF, 0xFE, 0, 5, 0, 0, 0x10, 0x11}));
    EXPECT_NE(watch.watchId, 0u);

    simulator_.controller().setInputs(31, Bytes{0xAB});
    std::array<uint8_t, QUORRIN_MAX_INDICATION_DATA> data{};
    DDI_PD_RECORD got{0, 0, 0, data.data()};
    ETH_DATA_INDICATION_RECORD wait{0, 1000, 0, &got};
    ASSERT_EQ(ETH_WaitForDataIndication(handle, &wait), DDI_OK);
    EXPECT_EQ(wait.indicationValue, watch.watchId);
    EXPECT_EQ(wait.indicationWord, korvo::sim::kAreaChanged);
    EXPECT_EQ(got.address, 30);
    EXPECT_EQ(got.length, 2);
    EXPECT_EQ(got.attribute, 5);
    EXPECT_EQ(data[1], 0xAB);

    ASSERT_EQ(ETH_ClearDataWatchArea(handle, watch.watchId), DDI_OK);
    EXPECT_EQ(lastPayload(ETH_CMD_CLEAR_DATA_WATCH_AREA), (Bytes{0, 0, 0, static_cast<uint8_t>(watch.watchId)}));
    EXPECT_EQ(control().watchAreaCount(nodeId()), 0u);
    EXPECT_EQ(ETH_ClearDataWatchArea(handle, watch.watchId), ERR_DEVICE_BASE + korvo::sim::kErrUnknownWatch);
    ASSERT_EQ(ETH_SetDataWatchArea(handle, &watch), DDI_OK);
    ASSERT_EQ(ETH_ClearAllDataWatchAreas(handle), DDI_OK);
    EXPECT_EQ(control().watchAreaCount(nodeId()), 0u);
    ASSERT_EQ(ETH_DeactivateDataIndication(handle), DDI_OK);
    wait.waitTime = 0;
    EXPECT_EQ(ETH_WaitForDataIndication(handle, &wait), ERR_TIMEOUT);
}

TEST_F(ControlTest, DataIndicationWaitNeedsActiveState)
{
    uint32_t handle = openData();
    std::array<uint8_t, QUORRIN_MAX_INDICATION_DATA> data{};
    DDI_PD_RECORD got{0, 0, 0, data.data()};
    ETH_DATA_INDICATION_RECORD wait{0, 0, 0, &got};
    EXPECT_EQ(ETH_WaitForDataIndication(handle, &wait), ERR_NODE_STATE);
    ETH_INDICATION_RECORD other{1, 0, 0, 0};
    ASSERT_EQ(ETH_ActivateDataIndication(handle, &other), DDI_OK);
    EXPECT_EQ(ETH_WaitForDataIndication(handle, &wait), ERR_NODE_STATE);
    wait.area = nullptr;
    EXPECT_EQ(ETH_WaitForDataIndication(handle, &wait), ERR_INVALID_ARGUMENT);
}

TEST_F(ControlTest, DataIndicationDatagramErrorsAndShortDataAreBounded)
{
    uint32_t handle = openData();
    activateDataIndications(handle);
    std::vector<uint8_t> data(QUORRIN_MAX_INDICATION_DATA + 16, kFill);
    DDI_PD_RECORD got{0, 0, 0, data.data()};
    ETH_DATA_INDICATION_RECORD wait{0, 1000, 0, &got};

    ASSERT_TRUE(control().sendIndicationDatagram(nodeId(), korvo::sim::indicationDatagram(1, 0x0001, 0x0091, 0, 0, 0, 0, {})));
    EXPECT_EQ(ETH_WaitForDataIndication(handle, &wait), 0x00010091u);

    Bytes datagram = korvo::sim::indicationDatagram(0, 0, 0, 0x12345678, 4, 2, 9, Bytes{1, 2});
    korvo::sim::writeBe16(datagram, 24, 2000);
    ASSERT_TRUE(control().sendIndicationDatagram(nodeId(), datagram));
    ASSERT_EQ(ETH_WaitForDataIndication(handle, &wait), DDI_OK);
    EXPECT_EQ(wait.indicationValue, 0x12345678u);
    EXPECT_EQ(wait.indicationWord, 9);
    EXPECT_EQ(got.length, 2);
    EXPECT_EQ(data[2], kFill);

    Bytes oversized = korvo::sim::indicationDatagram(0, 0, 0, 1, 0, 0, 0, Bytes(1500, 0x22));
    ASSERT_TRUE(control().sendIndicationDatagram(nodeId(), oversized));
    ASSERT_EQ(ETH_WaitForDataIndication(handle, &wait), DDI_OK);
    EXPECT_EQ(got.length, QUORRIN_MAX_INDICATION_DATA);
    EXPECT_EQ(data[QUORRIN_MAX_INDICATION_DATA], kFill);

    ASSERT_TRUE(control().sendIndicationDatagram(nodeId(), Bytes(20, 0)));
    EXPECT_EQ(ETH_WaitForDataIndication(handle, &wait), ERR_NETWORK);
}

} // namespace
