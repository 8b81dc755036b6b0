// The simulated controller seen from a raw TCP client: node rules, images,
// mailbox, fault scripting and a clean stop.
#include "korvo_sim/simulator.h"
#include "raw_client.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

namespace {

using namespace korvo::sim;
using namespace std::chrono_literals;

const std::string kAddressText = RandomLoopbackAddress();
const char* const kAddress = kAddressText.c_str();


Bytes request(uint16_t code, uint16_t node, const Bytes& fields = {}, uint16_t sequence = 0)
{
    Bytes bytes(12, 0);
    writeBe16(bytes, 0, code);
    writeBe16(bytes, 4, sequence);
    writeBe16(bytes, 10, node);
    bytes.insert(bytes.end(), fields.begin(), fields.end());
    writeBe16(bytes, 2, static_cast<uint16_t>(bytes.size()));
    return bytes;
}

Bytes openRequest(const std::string& name, uint16_t mode = kAccessMode)
{
    Bytes fields(2);
    writeBe16(fields, 0, static_cast<uint16_t>(name.size() + 1));
    fields.insert(fields.end(), name.begin(), name.end());
    fields.push_back(0);
    return request(0x0101, mode, fields);
}

Bytes words(std::initializer_list<uint16_t> values)
{
    Bytes bytes;
    for (uint16_t value : values)
        writeBe16(bytes, bytes.size(), value);
    return bytes;
}

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { simulator_.start(); }
    void TearDown() override { simulator_.stop(); }

    uint16_t open(RawClient& client, const std::string& name)
    {
        Bytes confirmation = client.exchange(openRequest(name));
        EXPECT_EQ(readBe16(confirmation, 0), 0x8101);
        EXPECT_EQ(readBe16(confirmation, 10), 0);
        return readBe16(confirmation, 16);
    }

    Simulator simulator_{SimulatorOptions{kAddress}};
};

TEST_F(SimulatorTest, OpensOnlyTheTwoCouplerNodesWithAccessModeThree)
{
    RawClient client(simulator_.port(), kAddress);
    ASSERT_TRUE(client.connected());
    uint16_t mailbox = open(client, kMailboxNode);
    uint16_t data = open(client, kDataNode);
    EXPECT_NE(mailbox, data);
    EXPECT_NE(mailbox, 0);

    Bytes refused = client.exchange(openRequest("KNETH01N2_D"));
    EXPECT_EQ(readBe16(refused, 10), 1);
    EXPECT_EQ(readBe16(refused, 14), kErrUnknownNode);
    refused = client.exchange(openRequest(kDataNode, 1));
    EXPECT_EQ(readBe16(refused, 14), kErrAccessMode);

    Bytes closed = client.exchange(request(0x0102, data, {}, 77));
    EXPECT_EQ(readBe16(closed, 0), 0x8102);
    EXPECT_EQ(readBe16(closed, 4), 77);
    EXPECT_EQ(readBe16(closed, 10), 0);
    EXPECT_EQ(readBe16(client.exchange(request(0x0102, data)), 14), kErrNodeNotOpen);
}

TEST_F(SimulatorTest, NodesOfAnotherConnectionAreNotServed)
{
    RawClient owner(simulator_.port(), kAddress);
    RawClient other(simulator_.port(), kAddress);
    uint16_t data = open(owner, kDataNode);
    EXPECT_EQ(readBe16(other.exchange(request(0x0104, data, words({0, 2, 2}))), 14), kErrNodeNotOpen);
}

TEST_F(SimulatorTest, ImagesAreReadAndWrittenWithinTheirSize)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t data = open(client, kDataNode);
    simulator_.controller().setInputs(510, Bytes{0xAA, 0xBB});
    simulator_.controller().setInputs(511, Bytes{1, 2});
    EXPECT_EQ(simulator_.controller().inputs(510, 2), (Bytes{0xAA, 0xBB}));
    EXPECT_TRUE(simulator_.controller().inputs(511, 2).empty());

    Bytes read = client.exchange(request(0x0104, data, words({510, 2, 2})));
    ASSERT_EQ(read.size(), 22u);
    EXPECT_EQ(read[20], 0xAA);
    EXPECT_EQ(read[21], 0xBB);
    EXPECT_EQ(readBe16(client.exchange(request(0x0104, data, words({511, 2, 2}))), 14), kErrAddressRange);

    Bytes write = words({100, 2, 2});
    write.push_back(0x12);
    write.push_back(0x34);
    EXPECT_EQ(readBe16(client.exchange(request(0x0103, data, write)), 10), 0);
    EXPECT_EQ(simulator_.controller().outputs(100, 2), (Bytes{0x12, 0x34}));
}

TEST_F(SimulatorTest, RefusedWriteLeavesOutputsAndReadWriteStillReads)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t data = open(client, kDataNode);
    simulator_.controller().setInputs(0, Bytes{0x5A});
    simulator_.controller().setWriteRefusal(WriteRefusal::PlugAndPlay);

    Bytes fields = words({0, 1, 2, 0, 1, 2});
    fields.push_back(0x77);
    Bytes confirmation = client.exchange(request(0x010A, data, fields));
    EXPECT_EQ(readBe16(confirmation, 14), 0x00A9);
    ASSERT_EQ(confirmation.size(), 21u);
    EXPECT_EQ(confirmation[20], 0x5A);
    EXPECT_EQ(simulator_.controller().outputs(0, 1), Bytes{0});
}

TEST_F(SimulatorTest, MailboxHandlerQueuesRepliesForTheSendingNode)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t mailbox = open(client, kMailboxNode);
    simulator_.controller().setMailboxHandler([](uint16_t, const MailboxMessage& sent) {
        return std::vector<MailboxMessage>{{sent.tag1, 0, Bytes{0x83, 0x0B}}, {0, 0, Bytes{0x01}}};
    });
    Bytes message = words({5, 6, 2});
    message.push_back(0x03);
    message.push_back(0x0B);
    EXPECT_EQ(readBe16(client.exchange(request(0x0105, mailbox, message)), 10), 0);

    Bytes first = client.exchange(request(0x0106, mailbox, words({64})));
    EXPECT_EQ(readBe16(first, 18), 5);
    EXPECT_EQ(readBe16(first, 22), 2);
    EXPECT_EQ(readBe16(first, 24), 0x830B);
    EXPECT_EQ(readBe16(client.exchange(request(0x0106, mailbox, words({64}))), 22), 1);
    EXPECT_EQ(readBe16(client.exchange(request(0x0106, mailbox, words({64}))), 14), kErrNoMessage);
    ASSERT_EQ(simulator_.controller().sentMessages(mailbox).size(), 1u);
    EXPECT_EQ(simulator_.controller().sentMessages(mailbox)[0].tag2, 6);
}

TEST_F(SimulatorTest, FaultAppliesToItsCodeAndCountOnly)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t data = open(client, kDataNode);
    Fault fault = Fault::wrongCode(0x0104);
    fault.times = 2;
    simulator_.inject(fault);
    EXPECT_EQ(readBe16(client.exchange(request(0x0201, data)), 0), 0x8201);
    EXPECT_EQ(readBe16(client.exchange(request(0x0104, data, words({0, 1, 2}))), 0), 0x8105);
    EXPECT_EQ(readBe16(client.exchange(request(0x0104, data, words({0, 1, 2}))), 0), 0x8105);
    EXPECT_EQ(readBe16(client.exchange(request(0x0104, data, words({0, 1, 2}))), 0), 0x8104);
}

TEST_F(SimulatorTest, CloseMidMessageEndsConnectionAndFreesNodes)
{
    RawClient client(simulator_.port(), kAddress);
    uint16_t data = open(client, kDataNode);
    simulator_.inject(Fault::closeMidMessage(0x0104));
    ASSERT_TRUE(client.send(request(0x0104, data, words({0, 2, 2}))));
    EXPECT_TRUE(client.receive().empty());
    RawClient next(simulator_.port(), kAddress);
    open(next, kDataNode);
    EXPECT_EQ(simulator_.controller().openNodes(kDataNode).size(), 1u);
}

TEST_F(SimulatorTest, StopEndsHeldReceiveAndLateAnswer)
{
    RawClient holder(simulator_.port(), kAddress);
    RawClient late(simulator_.port(), kAddress);
    uint16_t mailbox = open(holder, kMailboxNode);
    uint16_t data = open(late, kDataNode);
    EXPECT_EQ(readBe16(holder.exchange(request(0x0107, mailbox, Bytes{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF})), 10), 0);
    simulator_.inject(Fault::late(0x0104, 60s));
    ASSERT_TRUE(holder.send(request(0x0106, mailbox, words({64}))));
    ASSERT_TRUE(late.send(request(0x0104, data, words({0, 1, 2}))));

    auto stopped = std::async(std::launch::async, [&] { simulator_.stop(); });
    EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(late.receive().empty());
}

TEST_F(SimulatorTest, LogsOneLinePerRequest)
{
    std::vector<std::string> lines;
    std::mutex linesMutex;
    simulator_.setLogger([&](const std::string& line) {
        std::lock_guard lock(linesMutex);
        lines.push_back(line);
    });
    RawClient client(simulator_.port(), kAddress);
    uint16_t data = open(client, kDataNode);
    client.exchange(request(0x0201, data, {}, 9));
    std::lock_guard lock(linesMutex);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("diagnostic 0201h node " + std::to_string(data) + " seq 9"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("-> 8201h status 0"), std::string::npos) << lines[1];
}

TEST(SimulatorOptionsTest, RefusesAddressesOutsideLoopback)
{
    Simulator outside(SimulatorOptions{"192.0.2.1", 0});
    EXPECT_THROW(outside.start(), std::invalid_argument);
    const std::string address = RandomLoopbackAddress();
    Simulator ephemeral(SimulatorOptions{address, 0});
    ephemeral.start();
    EXPECT_NE(ephemeral.port(), 0);
    RawClient client(ephemeral.port(), address.c_str());
    EXPECT_TRUE(client.connected());
}

} // namespace
