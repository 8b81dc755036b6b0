// What a hostile or careless client did to the simulated coupler: node ids
// used up, held receives and unread replies left behind, idle and surplus
// connections. Each must end in bounded time and free what it held.
#include "korvo_sim/simulator.h"
#include "node_requests.h"
#include "raw_client.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace korvo::sim;
using namespace std::chrono_literals;

const std::string kAddressText = RandomLoopbackAddress();
const char* const kAddress = kAddressText.c_str();

// Polls a condition the simulator reaches on its own threads; the bound only
// keeps a failing test from hanging.
bool eventually(const std::function<bool()>& condition)
{
    auto giveUp = std::chrono::steady_clock::now() + 20s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

uint16_t openNode(RawClient& client, const char* name)
{
    Bytes confirmation = client.exchange(openNodeRequest(name));
    EXPECT_EQ(readBe16(confirmation, kStatusOffset), 0);
    return readBe16(confirmation, 16);
}

TEST(NodeTableTest, OpenAfterEveryIdIsTakenGetsTableFullAndCloseFreesAnId)
{
    Controller controller;
    Session session(-1, "test");
    Request open{openNodeRequest(kMailboxNode)};
    uint16_t lastId = 0;
    for (int i = 0; i < 65535; ++i) {
        auto confirmation = controller.handle(open, session);
        ASSERT_TRUE(confirmation);
        ASSERT_EQ(readBe16(*confirmation, kStatusOffset), 0) << "open " << i;
        lastId = readBe16(*confirmation, 16);
    }
    auto full = controller.handle(open, session);
    ASSERT_TRUE(full);
    EXPECT_NE(readBe16(*full, kStatusOffset), 0);
    EXPECT_EQ(readBe16(*full, kErrorCodeOffset), kErrNodeTableFull);

    auto closed = controller.handle(Request{closeNodeRequest(lastId)}, session);
    ASSERT_TRUE(closed);
    EXPECT_EQ(readBe16(*closed, kStatusOffset), 0);
    auto reopened = controller.handle(open, session);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(readBe16(*reopened, kStatusOffset), 0);
    EXPECT_EQ(readBe16(*reopened, 16), lastId);
}

class HardeningTest : public ::testing::Test {
protected:
    void start(SimulatorOptions options)
    {
        options.address = kAddress;
        options.port = 0;
        simulator_ = std::make_unique<Simulator>(options);
        simulator_->start();
    }
    void TearDown() override
    {
        if (simulator_)
            simulator_->stop();
    }

    std::unique_ptr<Simulator> simulator_;
};

TEST_F(HardeningTest, HeldReceiveEndsWhenItsClientGoesAway)
{
    start({});
    {
        RawClient client(simulator_->port(), kAddress);
        uint16_t node = openNode(client, kMailboxNode);
        Bytes notified = client.exchange(notificationRequest(node, -1));
        ASSERT_EQ(readBe16(notified, kStatusOffset), 0);
        ASSERT_TRUE(client.send(receiveMessageRequest(node, 100)));
        // The receive is held by then: the open node shows on the controller.
        ASSERT_TRUE(eventually([&] { return simulator_->controller().notificationActive(node); }));
    }
    EXPECT_TRUE(eventually([&] { return simulator_->sessionCount() == 0; }));
    EXPECT_TRUE(simulator_->controller().openNodes(kMailboxNode).empty());
}

TEST_F(HardeningTest, ClientThatStopsReadingIsDroppedAndOthersAreStillServed)
{
    SimulatorOptions options;
    options.sendTimeout = 200ms;
    start(options);

    int small = 4096;
    RawClient stalled(simulator_->port(), kAddress, small);
    uint16_t node = openNode(stalled, kDataNode);
    // Asks for replies and never reads them, until the coupler stops taking requests.
    Bytes read = readDataRequest(node, 0, 512);
    int refused = 0;
    while (refused < 50 && stalled.connected()) {
        if (stalled.trySend(read))
            refused = 0;
        else {
            ++refused;
            std::this_thread::sleep_for(10ms);
        }
    }
    EXPECT_TRUE(eventually([&] { return simulator_->connectionCount() == 0; }));

    RawClient other(simulator_->port(), kAddress);
    Bytes confirmation = other.exchange(openNodeRequest(kMailboxNode));
    EXPECT_EQ(readBe16(confirmation, 0), 0x8101);
}

TEST_F(HardeningTest, ConnectionsBeyondTheLimitAreClosedAndAFreedPlaceIsReused)
{
    SimulatorOptions options;
    options.maxConnections = 2;
    start(options);
    auto first = std::make_unique<RawClient>(simulator_->port(), kAddress);
    RawClient second(simulator_->port(), kAddress);
    openNode(*first, kMailboxNode);
    openNode(second, kMailboxNode);

    RawClient surplus(simulator_->port(), kAddress);
    EXPECT_TRUE(surplus.exchange(openNodeRequest(kMailboxNode)).empty());

    first.reset();
    ASSERT_TRUE(eventually([&] { return simulator_->connectionCount() < 2; }));
    RawClient later(simulator_->port(), kAddress);
    EXPECT_EQ(readBe16(later.exchange(openNodeRequest(kMailboxNode)), 0), 0x8101);
}

TEST_F(HardeningTest, EndedConnectionsAreReapedWithoutANewClient)
{
    start({});
    for (int i = 0; i < 3; ++i) {
        RawClient client(simulator_->port(), kAddress);
        openNode(client, kDataNode);
    }
    EXPECT_TRUE(eventually([&] { return simulator_->sessionCount() == 0; }));
}

TEST_F(HardeningTest, IdleConnectionIsClosedButOneInUseOrWaitingInAHeldReceiveIsNot)
{
    SimulatorOptions options;
    options.idleTimeout = 300ms;
    start(options);
    RawClient idle(simulator_->port(), kAddress);
    uint16_t idleNode = openNode(idle, kDataNode);
    RawClient busy(simulator_->port(), kAddress);
    uint16_t data = openNode(busy, kDataNode);
    RawClient waiting(simulator_->port(), kAddress);
    uint16_t mailbox = openNode(waiting, kMailboxNode);
    ASSERT_EQ(readBe16(waiting.exchange(notificationRequest(mailbox, 1000)), kStatusOffset), 0);
    // The held receive outlasts the idle time; its answer still comes.
    ASSERT_TRUE(waiting.send(receiveMessageRequest(mailbox, 100)));

    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(100ms);
        Bytes confirmation = busy.exchange(readDataRequest(data, 0, 2));
        ASSERT_EQ(readBe16(confirmation, 0), 0x8104) << "request " << i;
    }
    EXPECT_EQ(readBe16(waiting.receive(), 0), 0x8106);
    // The coupler has closed the idle connection; the read ends instead of waiting on.
    EXPECT_TRUE(idle.receive().empty());
    EXPECT_TRUE(eventually([&] { return simulator_->controller().sessionOf(idleNode) == nullptr; }));
}

} // namespace
