// Process data, mailbox, notification and register services against the
// simulated controller.
#include "simulator_fixture.h"

#include <array>
#include <future>
#include <thread>

namespace {

using korvo::sim::Bytes;
using korvo::sim::Fault;
using korvo::sim::MailboxMessage;
using korvo::sim::WriteRefusal;
using namespace std::chrono_literals;

constexpr uint16_t kRead = 0x0104;
constexpr uint16_t kReadWrite = 0x010A;
constexpr uint16_t kSend = 0x0105;
constexpr uint16_t kDiagnostic = 0x0201;
constexpr uint16_t kDipSwitch = 0x0202;
constexpr uint16_t kSysFail = 0x0203;

class ServicesTest : public SimulatorTest {
protected:
    void SetUp() override
    {
        SimulatorTest::SetUp();
        Bytes inputs(512);
        for (std::size_t i = 0; i < inputs.size(); ++i)
            inputs[i] = static_cast<uint8_t>(i * 7 + 1);
        simulator_.controller().setInputs(0, inputs);
    }

    uint16_t dataNodeId() { return lastNodeId("KNETH01N1_D"); }
    uint16_t mailboxNodeId() { return lastNodeId("KNETH01N1_M"); }

    static uint16_t be16(const Bytes& bytes, std::size_t offset)
    {
        return static_cast<uint16_t>(bytes.at(offset) << 8 | bytes.at(offset + 1));
    }
};

TEST_F(ServicesTest, ReadSendsExampleRequestAndCopiesDataFromOffset20)
{
    uint32_t handle = openData();
    std::array<uint8_t, 2> data{};
    DDI_PD_RECORD record{2, 0, 2, data.data()};
    ASSERT_EQ(DDI_DTI_ReadData(handle, &record), DDI_OK);

    Bytes sent = lastRequest();
    uint16_t id = dataNodeId();
    const Bytes expected = {0x01, 0x04, 0x00, 0x12, sent.at(4), sent.at(5), 0, 0, 0, 0, static_cast<uint8_t>(id >> 8),
                            static_cast<uint8_t>(id), 0x00, 0x00, 0x00, 0x02, 0x00, 0x02};
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(data, (std::array<uint8_t, 2>{1, 8}));
}

TEST_F(ServicesTest, ShortPositiveReadConfirmationCopiesNothing)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::truncate(kRead, 21));
    std::array<uint8_t, 2> data = {0xEE, 0xEE};
    DDI_PD_RECORD record{2, 0, 2, data.data()};
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), ERR_CONFIRMATION);
    EXPECT_EQ(data, (std::array<uint8_t, 2>{0xEE, 0xEE}));
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), DDI_OK);
    EXPECT_EQ(data[0], 1);
}

TEST_F(ServicesTest, ReadOfMoreThan2028BytesIsRefusedBeforeSending)
{
    uint32_t handle = openData();
    std::vector<uint8_t> data(2029);
    DDI_PD_RECORD record{2029, 0, 2, data.data()};
    std::size_t before = requestCount();
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), ERR_REQUEST_LENGTH);
    EXPECT_EQ(requestCount(), before);
    record.length = 2;
    EXPECT_EQ(DDI_DTI_ReadData(handle, &record), DDI_OK);
}

TEST_F(ServicesTest, WriteReachesOutputImage)
{
    uint32_t handle = openData();
    std::array<uint8_t, 3> data = {0xA1, 0xB2, 0xC3};
    DDI_PD_RECORD record{3, 10, 2, data.data()};
    ASSERT_EQ(DDI_DTI_WriteData(handle, &record), DDI_OK);
    EXPECT_EQ(simulator_.controller().outputs(10, 3), Bytes(data.begin(), data.end()));
    Bytes sent = lastRequest();
    EXPECT_EQ(sent.size(), 21u);
    EXPECT_EQ(be16(sent, 12), 10);
    EXPECT_EQ(be16(sent, 14), 3);
    EXPECT_EQ(be16(sent, 16), 2);
}

TEST_F(ServicesTest, WriteOf1036BytesIsSentAnd1037IsRefusedKeepingNode)
{
    uint32_t handle = openData();
    std::vector<uint8_t> data(1037, 0x5A);
    DDI_PD_RECORD record{1036, 0, 2, data.data()};
    // The simulated image holds 512 bytes, so the controller refuses the range; the request went out.
    EXPECT_EQ(DDI_DTI_WriteData(handle, &record), ERR_DEVICE_BASE + korvo::sim::kErrAddressRange);
    EXPECT_EQ(lastRequest().size(), 1054u);

    record.length = 1037;
    std::size_t before = requestCount();
    EXPECT_EQ(DDI_DTI_WriteData(handle, &record), ERR_REQUEST_LENGTH);
    EXPECT_EQ(requestCount(), before);
    record.length = 512;
    EXPECT_EQ(DDI_DTI_WriteData(handle, &record), DDI_OK);
}

TEST_F(ServicesTest, WriteRefusalsCarryControllerCodes)
{
    uint32_t handle = openData();
    std::array<uint8_t, 1> data = {1};
    DDI_PD_RECORD record{1, 0, 2, data.data()};
    for (auto refusal : {WriteRefusal::ModbusClient, WriteRefusal::Watchdog, WriteRefusal::PlugAndPlay}) {
        simulator_.controller().setWriteRefusal(refusal);
        EXPECT_EQ(DDI_DTI_WriteData(handle, &record), ERR_DEVICE_BASE + static_cast<uint16_t>(refusal));
    }
    EXPECT_EQ(simulator_.controller().outputs(0, 1), Bytes{0});
}

TEST_F(ServicesTest, ReadWriteWithLongNegativeConfirmationDeliversReadData)
{
    uint32_t handle = openData();
    simulator_.controller().setWriteRefusal(WriteRefusal::Watchdog);
    std::array<uint8_t, 2> out = {9, 9};
    std::array<uint8_t, 2> in = {0xEE, 0xEE};
    DDI_PD_RECORD writeRecord{2, 0, 2, out.data()};
    DDI_PD_RECORD readRecord{2, 1, 2, in.data()};
    EXPECT_EQ(DDI_DTI_ReadWriteData(handle, &writeRecord, &readRecord), DDI_OK);
    EXPECT_EQ(in, (std::array<uint8_t, 2>{8, 15}));
    EXPECT_EQ(simulator_.controller().outputs(0, 2), (Bytes{0, 0}));

    Bytes sent = lastRequest();
    ASSERT_EQ(sent.size(), 26u);
    EXPECT_EQ(be16(sent, 12), 1);
    EXPECT_EQ(be16(sent, 14), 2);
    EXPECT_EQ(be16(sent, 18), 0);
    EXPECT_EQ(be16(sent, 20), 2);
}

TEST_F(ServicesTest, ReadWriteWithShortNegativeConfirmationCopiesNothing)
{
    uint32_t handle = openData();
    simulator_.inject(Fault::negative(kReadWrite, 0x00A9));
    std::array<uint8_t, 2> out = {9, 9};
    std::array<uint8_t, 2> in = {0xEE, 0xEE};
    DDI_PD_RECORD writeRecord{2, 0, 2, out.data()};
    DDI_PD_RECORD readRecord{2, 0, 2, in.data()};
    EXPECT_EQ(DDI_DTI_ReadWriteData(handle, &writeRecord, &readRecord), ERR_DEVICE_BASE + 0x00A9);
    EXPECT_EQ(in, (std::array<uint8_t, 2>{0xEE, 0xEE}));

    EXPECT_EQ(DDI_DTI_ReadWriteData(handle, &writeRecord, &readRecord), DDI_OK);
    EXPECT_EQ(simulator_.controller().outputs(0, 2), (Bytes{9, 9}));
    EXPECT_EQ(in, (std::array<uint8_t, 2>{1, 8}));

    std::vector<uint8_t> big(1031);
    writeRecord = {1031, 0, 2, big.data()};
    EXPECT_EQ(DDI_DTI_ReadWriteData(handle, &writeRecord, &readRecord), ERR_REQUEST_LENGTH);
}

TEST_F(ServicesTest, SendMessageLayoutAndMailboxHandlerReply)
{
    uint32_t handle = openMailbox();
    simulator_.controller().setMailboxHandler([](uint16_t, const MailboxMessage& sent) {
        MailboxMessage reply{sent.tag1, sent.tag2, sent.data};
        reply.data[0] |= 0x80;
        return std::vector<MailboxMessage>{reply};
    });
    std::array<uint8_t, 4> command = {0x03, 0x0B, 0x00, 0x00};
    DDI_MSG_RECORD message{0x1111, 4, 0x2222, command.data()};
    ASSERT_EQ(DDI_MXI_SndMessage(handle, &message), DDI_OK);
    Bytes sent = lastRequest();
    ASSERT_EQ(sent.size(), 22u);
    EXPECT_EQ(be16(sent, 12), 0x1111);
    EXPECT_EQ(be16(sent, 14), 0x2222);
    EXPECT_EQ(be16(sent, 16), 4);

    std::array<uint8_t, 16> buffer{};
    DDI_MSG_RECORD received{0, 16, 0, buffer.data()};
    ASSERT_EQ(DDI_MXI_RcvMessage(handle, &received), DDI_OK);
    EXPECT_EQ(received.tag1, 0x1111);
    EXPECT_EQ(received.tag2, 0x2222);
    EXPECT_EQ(received.length, 4);
    EXPECT_EQ(buffer[0], 0x83);
    EXPECT_EQ(buffer[1], 0x0B);
    EXPECT_EQ(be16(lastRequest(), 12), 16);
}

TEST_F(ServicesTest, ThreeMessagesGoInOneRequestWithConsecutiveSequenceNumbers)
{
    uint32_t handle = openMailbox();
    std::array<uint8_t, 2> a = {1, 2};
    std::array<uint8_t, 3> b = {3, 4, 5};
    std::array<uint8_t, 1> c = {6};
    std::array<DDI_MSG_RECORD, 3> messages = {DDI_MSG_RECORD{0, 2, 0, a.data()}, DDI_MSG_RECORD{0, 3, 0, b.data()},
                                              DDI_MSG_RECORD{0, 1, 0, c.data()}};
    // A refusal of the first message does not decide the result: the last one does.
    simulator_.inject(Fault::negative(kSend, 0x0044));
    std::size_t before = requestCount();
    ASSERT_EQ(DDI_MXI_SndMultipleMessages(handle, messages.data(), 3), DDI_OK);

    auto all = requests();
    ASSERT_EQ(all.size(), before + 3);
    uint16_t first = be16(all[before], 4);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(be16(all[before + i], 0), kSend);
        EXPECT_EQ(be16(all[before + i], 4), static_cast<uint16_t>(first + i));
        EXPECT_EQ(be16(all[before + i], 16), messages[i].length);
    }
    EXPECT_EQ(simulator_.controller().sentMessages(mailboxNodeId()).size(), 2u);

    simulator_.inject(Fault::wrongCode(kSend));
    EXPECT_EQ(DDI_MXI_SndMultipleMessages(handle, messages.data(), 1), ERR_CONFIRMATION);
    EXPECT_EQ(DDI_MXI_SndMultipleMessages(handle, messages.data(), 0), ERR_INVALID_ARGUMENT);
}

TEST_F(ServicesTest, MessageAfterALongerRequestCarriesOnlyItsOwnBytes)
{
    // The node's request buffer is written over, not emptied: a short message
    // after three in one request must not take any of their bytes along.
    uint32_t handle = openMailbox();
    std::array<uint8_t, 5> a = {1, 2, 3, 4, 5};
    std::array<DDI_MSG_RECORD, 3> three = {DDI_MSG_RECORD{7, 5, 8, a.data()}, DDI_MSG_RECORD{7, 5, 8, a.data()},
                                           DDI_MSG_RECORD{7, 5, 8, a.data()}};
    ASSERT_EQ(DDI_MXI_SndMultipleMessages(handle, three.data(), 3), DDI_OK);
    std::array<uint8_t, 2> b = {0xB1, 0xB2};
    DDI_MSG_RECORD one{0x3333, 2, 0x4444, b.data()};
    ASSERT_EQ(DDI_MXI_SndMessage(handle, &one), DDI_OK);
    Bytes sent = lastRequest();
    ASSERT_EQ(sent.size(), 20u);
    EXPECT_EQ(be16(sent, 0), kSend);
    EXPECT_EQ(be16(sent, 2), 20);
    EXPECT_EQ(be16(sent, 12), 0x3333);
    EXPECT_EQ(be16(sent, 14), 0x4444);
    EXPECT_EQ(be16(sent, 16), 2);
    EXPECT_EQ(sent[18], 0xB1);
    EXPECT_EQ(sent[19], 0xB2);
}

TEST_F(ServicesTest, MessagesOverTheRequestLimitAreRefusedBeforeSending)
{
    uint32_t handle = openMailbox();
    std::vector<uint8_t> data(1037);
    DDI_MSG_RECORD message{0, 1037, 0, data.data()};
    std::size_t before = requestCount();
    EXPECT_EQ(DDI_MXI_SndMessage(handle, &message), ERR_REQUEST_LENGTH);
    std::array<DDI_MSG_RECORD, 2> pair = {DDI_MSG_RECORD{0, 600, 0, data.data()}, DDI_MSG_RECORD{0, 600, 0, data.data()}};
    EXPECT_EQ(DDI_MXI_SndMultipleMessages(handle, pair.data(), 2), ERR_REQUEST_LENGTH);
    EXPECT_EQ(requestCount(), before);
    message.length = 1036;
    EXPECT_EQ(DDI_MXI_SndMessage(handle, &message), DDI_OK);
    EXPECT_EQ(lastRequest().size(), 1054u);
}

TEST_F(ServicesTest, RcvMessageNeverCopiesPastCallerBufferAndReportsTheCut)
{
    uint32_t handle = openMailbox();
    simulator_.controller().queueMessage(mailboxNodeId(), MailboxMessage{7, 8, Bytes(100, 0x42)});
    std::array<uint8_t, 8> buffer;
    buffer.fill(0xEE);
    DDI_MSG_RECORD received{0, 4, 0, buffer.data()};
    ASSERT_EQ(DDI_MXI_RcvMessage(handle, &received), ERR_BUFFER_SIZE);
    EXPECT_EQ(received.length, 100);
    EXPECT_EQ(received.tag1, 7);
    EXPECT_EQ(received.tag2, 8);
    EXPECT_EQ(buffer, (std::array<uint8_t, 8>{0x42, 0x42, 0x42, 0x42, 0xEE, 0xEE, 0xEE, 0xEE}));

    // A message that just fills the buffer is no cut; the node stays usable after one.
    simulator_.controller().queueMessage(mailboxNodeId(), MailboxMessage{1, 2, Bytes(4, 0x17)});
    received.length = 4;
    ASSERT_EQ(DDI_MXI_RcvMessage(handle, &received), DDI_OK);
    EXPECT_EQ(received.length, 4);
    EXPECT_EQ(buffer, (std::array<uint8_t, 8>{0x17, 0x17, 0x17, 0x17, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST_F(ServicesTest, RcvMessageWithNothingQueuedIsNegative)
{
    uint32_t handle = openMailbox();
    std::array<uint8_t, 4> buffer{};
    DDI_MSG_RECORD received{0, 4, 0, buffer.data()};
    EXPECT_EQ(DDI_MXI_RcvMessage(handle, &received), ERR_DEVICE_BASE + korvo::sim::kErrNoMessage);
    EXPECT_EQ(received.length, 4);
}

TEST_F(ServicesTest, NotificationWithWaitTimeMinusOneWaitsWithoutLimit)
{
    uint32_t handle = openMailbox();
    uint16_t id = mailboxNodeId();
    DDI_NOTIFY_RECORD notify{0x11223344, 0x55667788, -1};
    ASSERT_EQ(DDI_SetMsgNotification(handle, &notify), DDI_OK);
    EXPECT_TRUE(simulator_.controller().notificationActive(id));
    Bytes sent = lastRequest();
    ASSERT_EQ(sent.size(), 26u);
    EXPECT_EQ(be16(sent, 12), 1);
    EXPECT_EQ(Bytes(sent.begin() + 14, sent.end()),
              (Bytes{0x55, 0x66, 0x77, 0x88, 0x11, 0x22, 0x33, 0x44, 0xFF, 0xFF, 0xFF, 0xFF}));

    // The message arrives well after the 1 s receive timeout.
    auto producer = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(1500ms);
        simulator_.controller().queueMessage(id, MailboxMessage{0, 0, Bytes{0xAB}});
    });
    std::array<uint8_t, 4> buffer{};
    DDI_MSG_RECORD received{0, 4, 0, buffer.data()};
    EXPECT_EQ(DDI_MXI_RcvMessage(handle, &received), DDI_OK);
    EXPECT_EQ(received.length, 1);
    EXPECT_EQ(buffer[0], 0xAB);
    producer.get();

    ASSERT_EQ(DDI_ClrMsgNotification(handle, &notify), DDI_OK);
    EXPECT_FALSE(simulator_.controller().notificationActive(id));
    EXPECT_EQ(be16(lastRequest(), 0), 0x0108);
    EXPECT_EQ(DDI_MXI_RcvMessage(handle, &received), ERR_DEVICE_BASE + korvo::sim::kErrNoMessage);
}

TEST_F(ServicesTest, NotificationWaitTimeExtendsTheReceiveLimit)
{
    uint32_t handle = openMailbox();
    DDI_NOTIFY_RECORD notify{0, 0, 2000};
    ASSERT_EQ(DDI_SetMsgNotification(handle, &notify), DDI_OK);
    // 1 s receive timeout + 2 s wait time: a 1.5 s late answer still counts.
    simulator_.inject(Fault::late(kDiagnostic, 1500ms));
    DDI_DIAG_RECORD diagnostic{};
    EXPECT_EQ(GetKNSDiagnostic(handle, &diagnostic), DDI_OK);
}

TEST_F(ServicesTest, RegisterReadsReturnControllerValues)
{
    uint32_t handle = openMailbox();
    simulator_.controller().setDiagnosis(korvo::sim::kDiagReady | korvo::sim::kDiagBusFail, 0x0102);
    simulator_.controller().setDipSwitch(0x00C5);
    simulator_.controller().setSysFail(0x8001);
    DDI_DIAG_RECORD diagnostic{};
    ASSERT_EQ(GetKNSDiagnostic(handle, &diagnostic), DDI_OK);
    EXPECT_EQ(diagnostic.statusRegister, 0x0084);
    EXPECT_EQ(diagnostic.parameterRegister, 0x0102);
    EXPECT_EQ(lastRequest().size(), 12u);
    uint16_t word = 0;
    ASSERT_EQ(GetDIPSwitch(handle, &word), DDI_OK);
    EXPECT_EQ(word, 0x00C5);
    ASSERT_EQ(GetSysFailRegister(handle, &word), DDI_OK);
    EXPECT_EQ(word, 0x8001);
}

TEST_F(ServicesTest, RegisterReadsReturnRawControllerErrorCodes)
{
    uint32_t handle = openMailbox();
    DDI_DIAG_RECORD diagnostic{0xEEEE, 0xEEEE};
    uint16_t word = 0xEEEE;
    simulator_.inject(Fault::negative(kDiagnostic, 0x0091));
    EXPECT_EQ(GetKNSDiagnostic(handle, &diagnostic), 0x0091u);
    EXPECT_EQ(diagnostic.statusRegister, 0xEEEE);
    simulator_.inject(Fault::negative(kDipSwitch, 0x0092));
    EXPECT_EQ(GetDIPSwitch(handle, &word), 0x0092u);
    simulator_.inject(Fault::wrongCode(kSysFail));
    EXPECT_EQ(GetSysFailRegister(handle, &word), ERR_CONFIRMATION);
    EXPECT_EQ(word, 0xEEEE);
    simulator_.inject(Fault::silent(kSysFail));
    EXPECT_EQ(GetSysFailRegister(handle, &word), ERR_TIMEOUT);
    EXPECT_EQ(GetSysFailRegister(handle, &word), ERR_NODE_STATE);
}

TEST_F(ServicesTest, NullRecordsAreRefusedBeforeAnyExchange)
{
    uint32_t handle = openData();
    DDI_PD_RECORD noData{2, 0, 2, nullptr};
    std::size_t before = requestCount();
    EXPECT_EQ(DDI_DTI_ReadData(handle, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DDI_DTI_ReadData(handle, &noData), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DDI_DTI_WriteData(handle, &noData), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DDI_DTI_ReadWriteData(handle, &noData, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DDI_MXI_SndMessage(handle, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DDI_MXI_RcvMessage(handle, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DDI_SetMsgNotification(handle, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(GetKNSDiagnostic(handle, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(GetDIPSwitch(handle, nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(requestCount(), before);
}

} // namespace
