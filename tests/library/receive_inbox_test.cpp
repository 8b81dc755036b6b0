// A confirmation is read with whatever else has arrived behind it: the bytes
// of the next message must survive to the next call, in order.
#include "random_loopback.h"
#include "simulator_fixture.h"

#include "korvo_sim/control_services.h"

#include <array>
#include <vector>

namespace {

using korvo::sim::Bytes;
using korvo::sim::ConfirmationBuilder;
using korvo::sim::Request;
using korvo::sim::Session;

constexpr uint16_t kRead = 0x0104;

std::vector<std::vector<uint8_t>> indicated;

void recordIndication(uint32_t, DDI_PD_RECORD* record)
{
    // Copied out first: the packed record's members are not aligned.
    const uint8_t* data = record->data;
    const uint16_t length = record->length;
    indicated.emplace_back(data, data + length);
}

class ReceiveInboxTest : public SimulatorTest {
protected:
    ReceiveInboxTest() : SimulatorTest(RandomLoopbackAddress()) {}

    void SetUp() override
    {
        SimulatorTest::SetUp();
        indicated.clear();
    }

    // Every read is confirmed with `value` as its data, followed in the same
    // segment by whatever `behind` holds.
    void confirmReadsWith(uint8_t value, Bytes behind)
    {
        simulator_.controller().setRequestHandler(kRead, [value, behind](const Request& request, Session&) {
            uint16_t length = request.word(14);
            Bytes data(length, value);
            Bytes reply = ConfirmationBuilder(request).word(16, request.word(12)).word(18, length).data(20, data).finish();
            reply.insert(reply.end(), behind.begin(), behind.end());
            return std::optional<Bytes>(reply);
        });
    }

    uint32_t read2(uint32_t handle, std::array<uint8_t, 2>& data)
    {
        data.fill(0xEE);
        DDI_PD_RECORD record{2, 0, 2, data.data()};
        return DDI_DTI_ReadData(handle, &record);
    }

    uint32_t monitoredData()
    {
        uint32_t handle = openData();
        ETH_MONITOR_RECORD monitor{ETH_MODE_CALLBACK, 0, 0, nullptr, recordIndication, -1};
        EXPECT_EQ(ETH_ActivatePDInMonitoring(handle, &monitor), DDI_OK);
        return handle;
    }
};

TEST_F(ReceiveInboxTest, IndicationBehindAConfirmationReachesTheCallbackOnTheNextCall)
{
    uint32_t handle = monitoredData();
    const std::array<uint8_t, 3> values = {7, 8, 9};
    confirmReadsWith(0x31, korvo::sim::processDataIndication(4, 2, values));
    std::array<uint8_t, 2> data{};
    ASSERT_EQ(read2(handle, data), DDI_OK);
    EXPECT_EQ(data[0], 0x31);
    EXPECT_EQ(data[1], 0x31);
    EXPECT_TRUE(indicated.empty());

    confirmReadsWith(0x42, {});
    ASSERT_EQ(read2(handle, data), DDI_OK);
    EXPECT_EQ(data[0], 0x42);
    ASSERT_EQ(indicated.size(), 1u);
    EXPECT_EQ(indicated[0], std::vector<uint8_t>(values.begin(), values.end()));
}

TEST_F(ReceiveInboxTest, PartOfTheNextMessageIsCompletedByTheNextRead)
{
    uint32_t handle = monitoredData();
    const std::array<uint8_t, 4> values = {1, 2, 3, 4};
    Bytes indication = korvo::sim::processDataIndication(0, 2, values);
    Bytes head(indication.begin(), indication.begin() + 10);
    Bytes rest(indication.begin() + 10, indication.end());
    confirmReadsWith(0x10, head);
    std::array<uint8_t, 2> data{};
    ASSERT_EQ(read2(handle, data), DDI_OK);
    EXPECT_EQ(data[0], 0x10);

    // The rest of the indication comes first in the next answer.
    simulator_.controller().setRequestHandler(kRead, [rest](const Request& request, Session&) {
        Bytes reply = rest;
        Bytes confirmation = ConfirmationBuilder(request).word(16, 0).word(18, 2).data(20, Bytes{0x20, 0x21}).finish();
        reply.insert(reply.end(), confirmation.begin(), confirmation.end());
        return std::optional<Bytes>(reply);
    });
    ASSERT_EQ(read2(handle, data), DDI_OK);
    EXPECT_EQ(data[0], 0x20);
    EXPECT_EQ(data[1], 0x21);
    ASSERT_EQ(indicated.size(), 1u);
    EXPECT_EQ(indicated[0], std::vector<uint8_t>(values.begin(), values.end()));
}

TEST_F(ReceiveInboxTest, WaitForIndicationCountsTheKeptBytesWithoutBlocking)
{
    uint32_t handle = openData();
    const std::array<uint8_t, 12> unasked{};
    confirmReadsWith(0x55, Bytes(unasked.begin(), unasked.end()));
    std::array<uint8_t, 2> data{};
    ASSERT_EQ(read2(handle, data), DDI_OK);
    EXPECT_EQ(ETH_WaitForIndication(handle, 0), ERR_DEVICE_BASE + 12);

    // Consumed: the next confirmation is read cleanly.
    confirmReadsWith(0x66, {});
    ASSERT_EQ(read2(handle, data), DDI_OK);
    EXPECT_EQ(data[0], 0x66);
}

TEST_F(ReceiveInboxTest, GarbageBehindAConfirmationFailsTheNextCallOnly)
{
    uint32_t handle = openData();
    confirmReadsWith(0x77, Bytes{0x81, 0x04, 0x00, 0x02});
    std::array<uint8_t, 2> data{};
    ASSERT_EQ(read2(handle, data), DDI_OK);
    EXPECT_EQ(data[0], 0x77);
    // A length below the header's size cannot start a message.
    EXPECT_EQ(read2(handle, data), ERR_NETWORK);
    EXPECT_EQ(read2(handle, data), ERR_NODE_STATE);

    // A new node of the same entry starts with nothing kept.
    confirmReadsWith(0x78, {});
    uint32_t again = openData();
    ASSERT_EQ(read2(again, data), DDI_OK);
    EXPECT_EQ(data[0], 0x78);
}

} // namespace
