// BOOTP over real broadcasts between two network namespaces that the test creates and
// joins by a veth pair: "korvo bootp" answering a client that broadcasts a request
// and receives the broadcast reply on port 68, and korvo-sim --mac getting its first
// address and a new one by restart. Skipped where namespaces cannot be created.

#include "network_namespaces.h"

#include <gtest/gtest.h>

#include <poll.h>

namespace {

using namespace korvo::testing;
using Clock = std::chrono::steady_clock;

const std::vector<std::uint8_t> kMac = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
const std::string kMacText = "0A.1B.2C.3D.4E.5F";

class BootpNamespaces : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string why = namespaces_.Create();
        if (!why.empty()) GTEST_SKIP() << why;
    }

    NamespacePair namespaces_{"korvo-bootp"};
    const std::string& server_ = namespaces_.Server();
    const std::string& client_ = namespaces_.Client();
};

TEST_F(BootpNamespaces, ClientInTheOtherNamespaceGetsTheBroadcastReply) {
    Background server(server_,
                      {KORVO_CLI_BINARY, "bootp", "--mac", kMacText, "--ip", "192.168.0.10", "--mask",
                       "255.255.255.0", "--gateway", "192.168.0.1", "--once", "--timeout", "20"},
                      "bootp-server");
    std::vector<std::uint8_t> reply;
    InNamespace(client_, [&] {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        const sockaddr_in local = Endpoint("0.0.0.0", 68);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
        std::vector<std::uint8_t> request(300, 0);
        request[0] = 1;  // BOOTREQUEST of Ethernet hardware, 6-byte address
        request[1] = 1;
        request[2] = 6;
        request[4] = 0x12;
        request[5] = 0x34;
        const sockaddr_in broadcast = Endpoint("255.255.255.255", 67);
        const auto send = [&](const std::vector<std::uint8_t>& mac) {
            std::copy(mac.begin(), mac.end(), request.begin() + 28);
            ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&broadcast),
                     sizeof broadcast);
        };
        // The server may still be starting: ask again every half second, as a client does.
        const auto end = Clock::now() + std::chrono::seconds(15);
        while (reply.empty() && Clock::now() < end) {
            send({0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
            send(kMac);
            pollfd waiting{fd, POLLIN, 0};
            if (::poll(&waiting, 1, 500) <= 0) continue;
            reply.resize(1500);
            const ssize_t n = ::recv(fd, reply.data(), reply.size(), 0);
            reply.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        ::close(fd);
    });
    ASSERT_EQ(reply.size(), 300u);
    EXPECT_EQ(reply[0], 2);
    EXPECT_EQ(reply[4], 0x12);
    EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 28, reply.begin() + 34), kMac);
    EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 16, reply.begin() + 20),
              (std::vector<std::uint8_t>{192, 168, 0, 10}));
    EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 236, reply.begin() + 253),
              (std::vector<std::uint8_t>{0x63, 0x82, 0x53, 0x63, 1, 4, 255, 255, 255, 0, 3, 4, 192, 168, 0, 1,
                                         255}));
    ASSERT_EQ(server.Wait(std::chrono::seconds(10)), 0) << server.Output();
    const std::string log = server.Output();
    EXPECT_NE(log.find("MAC Adresse: 00.11.22.33.44.55\n--- ignored , wrong MAC address \n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("MAC Adresse: 0A.1B.2C.3D.4E.5F\n<-- sent IP address 192.168.0.10 to KORVO NC-ETH \n"),
              std::string::npos)
        << log;
}

TEST_F(BootpNamespaces, SimulatorGetsItsFirstAddressAndANewOneByRestart) {
    Background simulator(client_, {KORVO_SIM_BINARY, "--mac", kMacText, "--restart-seconds", "1"},
                         "bootp-sim");

    // First address: the server in the other namespace answers the start-up requests.
    Background first(server_,
                     {KORVO_CLI_BINARY, "bootp", "--mac", "0a.1b.2c.3d.4e.5f", "--ip", "127.0.0.5", "--once",
                      "--timeout", "20"},
                     "bootp-first");
    ASSERT_EQ(first.Wait(std::chrono::seconds(25)), 0) << first.Output() << simulator.Output();
    ASSERT_TRUE(Eventually([&] { return ConnectableIn(client_, "127.0.0.5"); }, std::chrono::seconds(5)))
        << simulator.Output();
    EXPECT_NE(simulator.Output().find("korvo-sim got the address 127.0.0.5"), std::string::npos);

    // New address: the restart reaches the coupler over TCP, so this server runs beside
    // it; the coupler only asks again because it was restarted.
    Background second(client_,
                      {KORVO_CLI_BINARY, "bootp", "--mac", kMacText, "--ip", "127.0.0.9", "--restart",
                       "127.0.0.5", "--once", "--timeout", "20"},
                      "bootp-second");
    ASSERT_EQ(second.Wait(std::chrono::seconds(25)), 0) << second.Output() << simulator.Output();
    const std::string log = second.Output();
    EXPECT_NE(log.find("<-- restart command sent to 127.0.0.5\n"), std::string::npos) << log;
    EXPECT_NE(log.find("<-- sent IP address 127.0.0.9 to KORVO NC-ETH "), std::string::npos) << log;
    EXPECT_TRUE(Eventually([&] { return ConnectableIn(client_, "127.0.0.9"); }, std::chrono::seconds(5)))
        << simulator.Output();
    EXPECT_FALSE(ConnectableIn(client_, "127.0.0.5"));
}

TEST_F(BootpNamespaces, ServerWithoutAMatchingRequestTimesOut) {
    Background server(server_,
                      {KORVO_CLI_BINARY, "bootp", "--mac", kMacText, "--ip", "10.0.0.2", "--timeout", "1"},
                      "bootp-timeout");
    EXPECT_EQ(server.Wait(std::chrono::seconds(10)), 1) << server.Output();
    EXPECT_NE(server.Output().find("no request from 0A.1B.2C.3D.4E.5F was answered within 1 s"),
              std::string::npos);
}

}  // namespace
