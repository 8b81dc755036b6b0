// Open and close exchanges, message framing, timeouts, exception handler and
// the faults a controller can show on a node's connection.
#include "simulator_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <thread>

namespace {

using korvo::sim::Bytes;
using korvo::sim::Fault;
using namespace std::chrono_literals;

constexpr uint16_t kRead = 0x0104;
constexpr uint16_t kClose = 0x0102;

class ConnectionTest : public SimulatorTest {
protected:
    void SetUp() override
    {
        SimulatorTest::SetUp();
        const std::array<uint8_t, 4> inputs = {0x11, 0x22, 0x33, 0x44};
        simulator_.controller().setInputs(0, inputs);
    }

    // Reads the first four input bytes; the buffer keeps its 0xEE fill unless data is delivered.
    uint32_t read4(uint32_t handle, std::array<uint8_t, 4>& data)
    {
        data.fill(0xEE);
        DDI_PD_RECORD record{4, 0, 2, data.data()};
        return DDI_DTI_ReadData(handle, &record);
    }

    static Bytes withSequenceAndNode(Bytes expected, const Bytes& actual)
    {
        for (std::size_t offset : {4u, 5u, 10u, 11u}) {
            if (offset < expected.size() && offset < actual.size())
                expected[offset] = actual[offset];
        }
        return expected;
    }
};

struct HandlerCall {
    uint32_t handle;
    uint16_t zero;
    uint16_t code;
    uint32_t nestedResult;
};
std::vector<HandlerCall> handlerCalls;

void recordException(uint32_t handle, uint16_t zero, uint16_t code)
{
    // A call on the same node from inside the handler finds it busy.
    uint8_t byte = 0;
    DDI_PD_RECORD record{1, 0, 2, &byte};
    handlerCalls.push_back({handle, zero, code, DDI_DTI_ReadData(handle, &record)});
}

class ExceptionHandlerTest : public ConnectionTest {
protected:
    void SetUp() override
    {
        ConnectionTest::SetUp();
        handlerCalls.clear();
    }
};

TEST_F(ConnectionTest, OpenRequestCarriesCanonicalNameAndAccessMode)
{
    uint32_t handle = openMailbox();
    const Bytes expected = {0x01, 0x01, 0x00, 0x1A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x0C,
                            'K',  'N',  'E',  'T',  'H',  '0',  '1',  'N',  '1',  '_',  'M',  0x00};
    Bytes sent = lastRequest();
    EXPECT_EQ(sent, withSequenceAndNode(expected, sent));
    EXPECT_EQ(sent[10], 0x00);
    EXPECT_EQ(sent[11], 0x03);
    EXPECT_GE(handle, 64u);
}

TEST_F(ConnectionTest, CloseRequestIsTwelveBytesWithNodeId)
{
    uint32_t handle = openData();
    uint16_t id = lastNodeId("KNETH01N1_D");
    ASSERT_EQ(DDI_DevCloseNode(handle), DDI_OK);
    Bytes sent = lastRequest();
    const Bytes expected = {0x01, 0x02, 0x00, 0x0C, sent[4], sent[5], 0, 0, 0, 0, static_cast<uint8_t>(id >> 8),
                            static_cast<uint8_t>(id)};
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(DDI_DevCloseNode(handle), ERR_NODE_STATE);
}

TEST_F(ConnectionTest, HandleOutsideRangeOrNotOpenIsRefusedWithoutSending)
{
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(63, data), ERR_HANDLE_RANGE);
    EXPECT_EQ(read4(320, data), ERR_HANDLE_RANGE);
    EXPECT_EQ(read4(64, data), ERR_NODE_STATE);
    EXPECT_EQ(DDI_DevCloseNode(64), ERR_NODE_STATE);
    EXPECT_EQ(requestCount(), 0u);
}

TEST_F(ConnectionTest, ControllerThatNeverAcceptsTimesOutTheOpen)
{
    // A listener whose one-place backlog is taken lets further connection attempts hang.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(QUORRIN_PORT);
    inet_pton(AF_INET, "127.0.0.32", &address.sin_addr);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    uint32_t handle = 0;
    uint32_t result = 0;
    auto ms = elapsedMs([&] { result = DDI_DevOpenNode("KNETHIP[127.0.0.32|1,1]N1_D", 3, &handle); });
    EXPECT_EQ(result, ERR_TIMEOUT);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), static_cast<int32_t>(ERR_TIMEOUT));
    EXPECT_GE(ms, 900);
    EXPECT_EQ(ETH_GetNetworkError(64), -1);
    ::close(filler);
    ::close(listener);
}

TEST_F(ConnectionTest, SilentControllerTimesOutAndDropsNode)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::silent(kRead));
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), ERR_TIMEOUT);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), static_cast<int32_t>(ERR_TIMEOUT));
    EXPECT_EQ(data[0], 0xEE);
    EXPECT_EQ(read4(handle, data), ERR_NODE_STATE);
    EXPECT_EQ(ETH_GetNetworkError(static_cast<int32_t>(handle)), -1);
}

TEST_F(ConnectionTest, LateAnswerWithinReceiveTimeoutSucceedsBeyondItFails)
{
    uint32_t handle = openData();
    std::array<uint8_t, 4> data{};
    simulator_.inject(Fault::late(kRead, 300ms));
    EXPECT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(data[3], 0x44);

    simulator_.inject(Fault::late(kRead, 1600ms));
    EXPECT_EQ(read4(handle, data), ERR_TIMEOUT);
    EXPECT_EQ(read4(handle, data), ERR_NODE_STATE);
}

TEST_F(ConnectionTest, ConfirmationSplitIntoThreeSegmentsIsReassembled)
{
    uint32_t handle = openData();
    // Each gap stays within the 1 s timeout though the whole takes longer.
    simulator_.inject(Fault::split(kRead, 3, 600ms));
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(data, (std::array<uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
}

TEST_F(ConnectionTest, ConnectionClosedMidMessageDropsNode)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::closeMidMessage(kRead));
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), ERR_NETWORK);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), 10054);
    EXPECT_EQ(data[0], 0xEE);
    EXPECT_EQ(read4(handle, data), ERR_NODE_STATE);
}

TEST_F(ConnectionTest, WrongConfirmationCodeKeepsNode)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::wrongCode(kRead));
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), ERR_CONFIRMATION);
    EXPECT_EQ(data[0], 0xEE);
    EXPECT_EQ(read4(handle, data), DDI_OK);
}

TEST_F(ConnectionTest, NegativeConfirmationReportsControllerCodeAndKeepsNode)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::negative(kRead, 0x0123));
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), ERR_DEVICE_BASE + 0x0123);
    EXPECT_EQ(data[0], 0xEE);
    EXPECT_EQ(read4(handle, data), DDI_OK);
}

TEST_F(ConnectionTest, RefusedCloseLeavesHandleUsable)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::negative(kClose, 0x0033));
    EXPECT_EQ(DDI_DevCloseNode(handle), ERR_DEVICE_BASE + 0x0033);
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(DDI_DevCloseNode(handle), DDI_OK);
    EXPECT_EQ(read4(handle, data), ERR_NODE_STATE);
}

TEST_F(ConnectionTest, AnnouncedLengthBeyondReceiveBufferDropsNodeAtOnce)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::absurdLength(kRead, 0xFFFF));
    std::array<uint8_t, 4> data{};
    uint32_t result = 0;
    auto ms = elapsedMs([&] { result = read4(handle, data); });
    EXPECT_EQ(result, ERR_NETWORK);
    EXPECT_LT(ms, 500);
    EXPECT_EQ(data[0], 0xEE);
    EXPECT_EQ(read4(handle, data), ERR_NODE_STATE);
}

TEST_F(ConnectionTest, AnnouncedLengthShorterThanHeaderDropsNodeAtOnce)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::absurdLength(kRead, 8));
    std::array<uint8_t, 4> data{};
    uint32_t result = 0;
    auto ms = elapsedMs([&] { result = read4(handle, data); });
    EXPECT_EQ(result, ERR_NETWORK);
    EXPECT_LT(ms, 500);
    EXPECT_EQ(ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST), static_cast<int32_t>(ERR_NETWORK));
    EXPECT_EQ(read4(handle, data), ERR_NODE_STATE);
}

TEST_F(ConnectionTest, IndicationBeforeConfirmationIsSkipped)
{
    uint32_t handle = openData();
    const std::array<uint8_t, 3> indicated = {1, 2, 3};
    simulator_.inject(Fault::indicationFirst(kRead, korvo::sim::processDataIndication(4, 2, indicated)));
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(data[0], 0x11);
}

TEST_F(ConnectionTest, IndicationWithDataPastItsEndIsSkipped)
{
    uint32_t handle = openData();
    const std::array<uint8_t, 3> indicated = {1, 2, 3};
    Bytes malformed = korvo::sim::processDataIndication(4, 2, indicated);
    malformed[20] = 0x07;  // data length 0x07FF, far past the message
    malformed[21] = 0xFF;
    simulator_.inject(Fault::indicationFirst(kRead, malformed));
    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(data[1], 0x22);
}

TEST_F(ConnectionTest, WaitForIndicationReportsBytesReceived)
{
    uint32_t handle = openData();
    const std::array<uint8_t, 10> unasked{};
    ASSERT_TRUE(simulator_.sendToNode(lastNodeId("KNETH01N1_D"), unasked));
    EXPECT_EQ(ETH_WaitForIndication(handle, 0), ERR_DEVICE_BASE + 10);
    EXPECT_EQ(ETH_WaitForIndication(400, 0), ERR_HANDLE_RANGE);

    simulator_.stop();
    EXPECT_EQ(ETH_WaitForIndication(handle, 0), ERR_NETWORK);
    EXPECT_EQ(ETH_GetNetworkError(static_cast<int32_t>(handle)), -1);
}

TEST_F(ExceptionHandlerTest, HandlerIsCalledOnceWithCodeAndNodeBusy)
{
    uint32_t handle = openData();
    ASSERT_EQ(ETH_SetExceptionHandler(handle, recordException), DDI_OK);
    EXPECT_EQ(ETH_SetExceptionHandler(handle, recordException), ERR_HANDLER_STATE);
    simulator_.controller().setExceptionWord(0x3000);

    std::array<uint8_t, 4> data{};
    EXPECT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(read4(handle, data), DDI_OK);
    ASSERT_EQ(handlerCalls.size(), 1u);
    EXPECT_EQ(handlerCalls[0].handle, handle);
    EXPECT_EQ(handlerCalls[0].zero, 0);
    EXPECT_EQ(handlerCalls[0].code, 3);
    EXPECT_EQ(handlerCalls[0].nestedResult, ERR_NODE_STATE);

    // Cleared and set anew, the next exception calls it again.
    ASSERT_EQ(ETH_ClrExceptionHandler(handle), DDI_OK);
    ASSERT_EQ(ETH_SetExceptionHandler(handle, recordException), DDI_OK);
    simulator_.controller().setExceptionWord(0xF000);
    EXPECT_EQ(read4(handle, data), DDI_OK);
    ASSERT_EQ(handlerCalls.size(), 2u);
    EXPECT_EQ(handlerCalls[1].code, 15);
}

TEST_F(ExceptionHandlerTest, PendingExceptionCallsHandlerWhenItIsSet)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::exceptionWord(kRead, 0x2000));
    std::array<uint8_t, 4> data{};
    ASSERT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(ETH_ClrExceptionHandler(handle), ERR_HANDLER_STATE);

    ASSERT_EQ(ETH_SetExceptionHandler(handle, recordException), DDI_OK);
    ASSERT_EQ(handlerCalls.size(), 1u);
    EXPECT_EQ(handlerCalls[0].code, 2);
}

TEST_F(ExceptionHandlerTest, CleanMessageDropsPendingException)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::exceptionWord(kRead, 0x0FFF));
    std::array<uint8_t, 4> data{};
    ASSERT_EQ(read4(handle, data), DDI_OK);
    EXPECT_EQ(ETH_ClrExceptionHandler(handle), ERR_HANDLER_STATE);

    simulator_.inject(Fault::exceptionWord(kRead, 0x4000));
    ASSERT_EQ(read4(handle, data), DDI_OK);
    ASSERT_EQ(read4(handle, data), DDI_OK);
    ASSERT_EQ(ETH_SetExceptionHandler(handle, recordException), DDI_OK);
    EXPECT_TRUE(handlerCalls.empty());
    EXPECT_EQ(ETH_ClrExceptionHandler(handle), DDI_OK);
    EXPECT_EQ(ETH_ClrExceptionHandler(handle), ERR_HANDLER_STATE);
    EXPECT_EQ(ETH_SetExceptionHandler(64 + 200, recordException), ERR_NODE_STATE);
    EXPECT_EQ(ETH_ClrExceptionHandler(10), ERR_HANDLE_RANGE);
}

} // namespace
