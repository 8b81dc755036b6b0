// The answer path reuses one confirmation buffer per connection and keeps a
// bounded history of sent messages: answers of changing sizes must stay
// exact, and a long run must not grow the controller's memory.
#include "korvo_sim/simulator.h"
#include "node_requests.h"
#include "random_loopback.h"
#include "raw_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

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

TEST_F(AnswerPathTest, RequestsCutAnywhereAreAnsweredWholeAndInOrder)
{
    RawClient client(simulator_.port(), address_.c_str());
    uint16_t data = open(client, kDataNode);

    // Writes of changing lengths, each with its own sequence number and
    // bytes, in one stream several times longer than the largest request.
    Bytes stream;
    Bytes image(512);
    constexpr int kRequests = 60;
    for (int i = 0; i < kRequests; ++i) {
        const uint16_t length = static_cast<uint16_t>(1 + i * 37 % 500);
        Bytes fields;
        writeBe16(fields, 0, 0);
        writeBe16(fields, 2, length);
        writeBe16(fields, 4, 2);
        for (uint16_t b = 0; b < length; ++b)
            fields.push_back(static_cast<uint8_t>(i + b));
        std::copy(fields.begin() + 6, fields.end(), image.begin());
        Bytes request = nodeRequest(0x0103, data, fields);
        writeBe16(request, 4, static_cast<uint16_t>(1000 + i));
        stream.insert(stream.end(), request.begin(), request.end());
    }
    ASSERT_GT(stream.size(), 3 * kMaxRequest);

    // Pieces that split headers, end inside the length field and carry
    // several requests at once; the pauses keep them apart on the wire.
    std::size_t offset = 0;
    for (std::size_t piece : {1, 2, 1, 4099, 13, 3, 5000, 7, 2500}) {
        piece = std::min(piece, stream.size() - offset);
        ASSERT_TRUE(client.send(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(offset),
                                      stream.begin() + static_cast<std::ptrdiff_t>(offset + piece))));
        offset += piece;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(client.send(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(offset), stream.end())));

    for (int i = 0; i < kRequests; ++i) {
        Bytes confirmation = client.receive();
        ASSERT_EQ(confirmation.size(), 16u) << i;
        EXPECT_EQ(readBe16(confirmation, 0), 0x8103) << i;
        EXPECT_EQ(readBe16(confirmation, 4), 1000 + i) << i;
        EXPECT_EQ(readBe16(confirmation, 10), 0) << i;
    }
    const uint16_t lastLength = static_cast<uint16_t>(1 + (kRequests - 1) * 37 % 500);
    EXPECT_EQ(simulator_.controller().outputs(0, lastLength),
              Bytes(image.begin(), image.begin() + lastLength));
}

} // namespace
