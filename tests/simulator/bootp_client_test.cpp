// The simulated coupler's BOOTP client: the request it broadcasts, the replies it
// takes and the ones it must not take, and asking again after a restart. The server
// side is the configurator's own reply builder on a loopback address of the test's.

#include "korvo_sim/bootp_client.h"
#include "tools/bootp_message.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace korvo::sim {
namespace {

const MacAddress kMac = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x0A};

Bytes ReplyTo(const Bytes& request, const IpBytes& ip, const IpBytes& mask, const IpBytes& gateway) {
    BootpBuffer buffer{};
    LoadRequest(buffer, request);
    BuildBootpReply(buffer, ip, mask, gateway);
    return Bytes(buffer.begin(), buffer.end());
}

TEST(BootpClientMessages, RequestHasTheBootpLayoutWithTheMac) {
    const Bytes request = buildBootpRequest(kMac, 0x11223344, 7);
    ASSERT_EQ(request.size(), 300u);
    EXPECT_EQ(request[0], 1);
    EXPECT_EQ(request[1], 1);
    EXPECT_EQ(request[2], 6);
    EXPECT_EQ(readBe32(request, 4), 0x11223344u);
    EXPECT_EQ(readBe16(request, 8), 7);
    EXPECT_EQ(Bytes(request.begin() + 28, request.begin() + 34), Bytes(kMac.begin(), kMac.end()));
    EXPECT_EQ(Bytes(request.begin() + 236, request.begin() + 241), (Bytes{99, 130, 83, 99, 255}));
}

TEST(BootpClientMessages, ConfiguratorsReplyGivesTheLease) {
    const Bytes reply = ReplyTo(buildBootpRequest(kMac, 42, 0), {127, 0, 0, 9}, {255, 0, 0, 0}, {127, 0, 0, 1});
    const std::optional<BootpLease> lease = parseBootpReply(reply, kMac, 42);
    ASSERT_TRUE(lease);
    EXPECT_EQ(lease->address, "127.0.0.9");
    EXPECT_EQ(lease->mask, "255.0.0.0");
    EXPECT_EQ(lease->gateway, "127.0.0.1");
}

TEST(BootpClientMessages, RepliesForOthersOrBrokenOnesAreNotTaken) {
    const Bytes good = ReplyTo(buildBootpRequest(kMac, 42, 0), {10, 0, 0, 9}, {255, 0, 0, 0}, {10, 0, 0, 1});
    EXPECT_FALSE(parseBootpReply(good, kMac, 43)) << "another transaction";
    EXPECT_FALSE(parseBootpReply(good, {0x02, 0x4B, 0x52, 0, 0, 0x0B}, 42)) << "another coupler";
    EXPECT_FALSE(parseBootpReply(buildBootpRequest(kMac, 42, 0), kMac, 42)) << "a request, not a reply";
    EXPECT_FALSE(parseBootpReply(Bytes(good.begin(), good.begin() + 235), kMac, 42)) << "cut short";

    // Options that run past the end are left unread, the address still counts.
    Bytes cut(good.begin(), good.begin() + 246);
    cut[241] = 200;
    const std::optional<BootpLease> lease = parseBootpReply(cut, kMac, 42);
    ASSERT_TRUE(lease);
    EXPECT_EQ(lease->address, "10.0.0.9");
    EXPECT_TRUE(lease->mask.empty());

    // Pad bytes before the options are skipped.
    Bytes padded = good;
    padded.insert(padded.begin() + 240, {0, 0});
    ASSERT_TRUE(parseBootpReply(padded, kMac, 42));
    EXPECT_EQ(parseBootpReply(padded, kMac, 42)->gateway, "10.0.0.1");
}

// A UDP socket on a loopback address of the test's own, in the server's place.
class LoopbackServer {
public:
    LoopbackServer() {
        const unsigned p = static_cast<unsigned>(::getpid());
        address = "127." + std::to_string(100 + p % 100) + "." + std::to_string((p / 100) % 250 + 1) + "." +
                  std::to_string(p % 250 + 2);
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local = At(address, 0);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        socklen_t size = sizeof local;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
        port = ntohs(local.sin_port);
    }
    ~LoopbackServer() { ::close(fd_); }

    static sockaddr_in At(const std::string& address, uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
        return a;
    }

    // The next request within three seconds, with the port it came from.
    Bytes Receive(uint16_t& from) {
        pollfd waiting{fd_, POLLIN, 0};
        if (::poll(&waiting, 1, 3000) <= 0) return {};
        Bytes request(1500);
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        const ssize_t n = ::recvfrom(fd_, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&peer), &size);
        request.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        from = ntohs(peer.sin_port);
        return request;
    }

    void Send(const Bytes& reply, uint16_t to) {
        const sockaddr_in target = At(address, to);
        ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    }

    std::string address;
    uint16_t port = 0;

private:
    int fd_ = -1;
};

uint16_t FreeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    socklen_t size = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    ::close(fd);
    return ntohs(local.sin_port);
}

TEST(BootpClient, AsksUntilAnsweredAndAgainAfterARestart) {
    LoopbackServer server;
    BootpClientOptions options;
    options.mac = kMac;
    options.serverPort = server.port;
    options.clientPort = FreeUdpPort();
    options.broadcastAddress = server.address;
    options.interval = std::chrono::milliseconds(100);
    BootpClient client(options);
    std::mutex mutex;
    std::vector<std::string> leases;
    client.setLeaseHandler([&](const BootpLease& lease) {
        std::lock_guard lock(mutex);
        leases.push_back(lease.address);
    });
    client.start();

    uint16_t from = 0;
    Bytes first = server.Receive(from);
    ASSERT_EQ(first.size(), 300u);
    // Unanswered, it asks again with the same transaction.
    const Bytes second = server.Receive(from);
    ASSERT_EQ(second.size(), 300u);
    EXPECT_EQ(readBe32(second, 4), readBe32(first, 4));
    server.Send(ReplyTo(second, {127, 0, 0, 9}, {255, 0, 0, 0}, {0, 0, 0, 0}), options.clientPort);
    for (int i = 0; i < 300 && client.asking(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(client.asking());
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(leases, std::vector<std::string>{"127.0.0.9"});
    }

    client.restart();
    EXPECT_TRUE(client.asking());
    Bytes again;
    // Requests already on their way before the reply may still be queued.
    for (int i = 0; i < 10 && (again.empty() || readBe32(again, 4) == readBe32(first, 4)); ++i) {
        again = server.Receive(from);
    }
    ASSERT_EQ(again.size(), 300u);
    EXPECT_NE(readBe32(again, 4), readBe32(first, 4));
    client.stop();
}

}  // namespace
}  // namespace korvo::sim
