// The answer path reuses one confirmation buffer per connection and keeps a
// bounded history of sent messages: answers of changing sizes must stay
// exact, and a long run must not grow the controller's memory.
#include "korvo_sim/simulator.h"
#include "node_requests.h"
#include "random_loopback.h"
#include "raw_client.h"

#include <gtest/gtest.h>

namespace {

using namespace korvo::sim;

class AnswerPathTest : public ::testing::Test {
protected:
    void SetUp() override { simulator_.start(); }
    void TearDown() override { simulator_.stop(); }

    uint16_t open(RawClient& client, const std::string& name)
    {
        Bytes confirmation = client.exchange(openNodeRequest(name));
        EXPECT_EQ(readBe16(confirmation, 10), 0) << "open " << name;
        return readBe16(confirmation, 16);
    }

    std::string address_ = RandomLoopbackAddress();
    Simulator simulator_{SimulatorOptions{address_}};
};

TEST_F(AnswerPathTest, AnswersOfChangingSizesCarryOnlyTheirOwnBytes)
{
    Bytes inputs(300);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        inputs[i] = static_cast<uint8_t>(i * 7 + 1);
    simulator_.controller().setInputs(0, inputs);
    RawClient client(simulator_.port(), address_.c_str());
    uint16_t data = open(client, kDataNode);

    for (uint16_t length : {300, 2, 120, 1, 300}) {
        Bytes confirmation = client.exchange(readDataRequest(data, 0, length));
        ASSERT_EQ(confirmation.size(), 20u + length);
        EXPECT_EQ(readBe16(confirmation, 2), 20 + length);
        EXPECT_EQ(readBe16(confirmation, 18), length);
        EXPECT_TRUE(std::equal(inputs.begin(), inputs.begin() + length, confirmation.begin() + 20)) << length;
    }
    // A refusal after a long answer is a bare header.
    Bytes refused = client.exchange(readDataRequest(data, 500, 100));
    EXPECT_EQ(refused.size(), 16u);
    EXPECT_NE(readBe16(refused, 10), 0);
}

TEST_F(AnswerPathTest, SentMessageHistoryKeepsTheLatestOnly)
{
    RawClient client(simulator_.port(), address_.c_str());
    uint16_t mailbox = open(client, kMailboxNode);
    constexpr int kSent = 1100;
    for (int i = 0; i < kSent; ++i) {
        Bytes fields(6);
        writeBe16(fields, 0, 1);
        writeBe16(fields, 2, static_cast<uint16_t>(i));
        writeBe16(fields, 4, 1);
        fields.push_back(0x42);
        ASSERT_EQ(readBe16(client.exchange(nodeRequest(0x0105, mailbox, fields)), 10), 0) << i;
    }
    auto sent = simulator_.controller().sentMessages(mailbox);
    ASSERT_LT(sent.size(), static_cast<std::size_t>(kSent));
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().tag2, kSent - 1);
    EXPECT_EQ(sent.front().tag2, kSent - static_cast<int>(sent.size()));
}

} // namespace
