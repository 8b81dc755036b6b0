// The online commands against a coupler that drops every connection right
// after the open, or drips its replies: each ends with exit 2 and a clear
// message, never with a made-up result.

#include "run_korvo.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kAddress = RandomLoopbackAddress();
const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";

using korvo::testing::Result;
using korvo::testing::RunKorvo;

enum class Behaviour { DropAfterOpen, DripReplies };

// Confirms node opens like a coupler, then misbehaves on every other request.
class HostileCoupler {
public:
    explicit HostileCoupler(Behaviour behaviour) : behaviour_(behaviour) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(1962);
        ::inet_pton(AF_INET, kAddress.c_str(), &local.sin_addr);
        listening_ = ::bind(listen_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
                     ::listen(listen_, 16) == 0;
        if (listening_) acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    ~HostileCoupler() {
        stopping_ = true;
        if (acceptor_.joinable()) acceptor_.join();
        std::lock_guard lock(mutex_);
        for (auto& connection : connections_) connection.join();
        ::close(listen_);
    }
    bool Listening() const { return listening_; }

private:
    void AcceptLoop() {
        while (!stopping_) {
            pollfd waitFor{listen_, POLLIN, 0};
            if (::poll(&waitFor, 1, 50) != 1) continue;
            const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::lock_guard lock(mutex_);
            connections_.emplace_back([this, fd] { Serve(fd); });
        }
    }

    bool ReadExact(int fd, std::uint8_t* bytes, std::size_t count) {
        while (count > 0 && !stopping_) {
            pollfd waitFor{fd, POLLIN, 0};
            if (::poll(&waitFor, 1, 50) != 1) continue;
            const ssize_t got = ::recv(fd, bytes, count, 0);
            if (got <= 0) return false;
            bytes += got;
            count -= static_cast<std::size_t>(got);
        }
        return count == 0;
    }

    void Serve(int fd) {
        std::vector<std::uint8_t> request(4);
        while (ReadExact(fd, request.data(), 4)) {
            const std::size_t length = static_cast<std::size_t>(request[2] << 8 | request[3]);
            if (length < 12) break;
            request.resize(length);
            if (!ReadExact(fd, request.data() + 4, length - 4)) break;
            if (request[0] == 0x01 && request[1] == 0x01) {
                // Open confirmed: node id at 16.
                std::vector<std::uint8_t> reply(20, 0);
                reply[0] = 0x81;
                reply[1] = 0x01;
                reply[3] = 20;
                reply[17] = static_cast<std::uint8_t>(++nodeIds_);
                ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
                request.resize(4);
                continue;
            }
            if (behaviour_ == Behaviour::DripReplies) {
                // The longest confirmation there is, one byte at a time.
                const std::uint8_t header[4] = {static_cast<std::uint8_t>(request[0] | 0x80), request[1], 0x08, 0x00};
                for (std::uint8_t byte : header) {
                    if (!Drip(fd, byte)) break;
                }
                while (Drip(fd, 0)) {
                }
            }
            break;
        }
        ::close(fd);
    }

    bool Drip(int fd, std::uint8_t byte) {
        if (stopping_ || ::send(fd, &byte, 1, MSG_NOSIGNAL) != 1) return false;
        for (int i = 0; i < 5 && !stopping_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return true;
    }

    Behaviour behaviour_;
    int listen_ = -1;
    bool listening_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<int> nodeIds_{0};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> connections_;
};

class HostileCouplerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (RunKorvo("ping 127.0.0.1").status == 2) GTEST_SKIP() << "ICMP echo is not allowed for this user";
    }
};

TEST_F(HostileCouplerTest, ConnectionDroppedAfterTheOpenIsAnErrorNotAResult) {
    HostileCoupler coupler(Behaviour::DropAfterOpen);
    ASSERT_TRUE(coupler.Listening());

    const Result diag = RunKorvo("diag " + kAddress);
    EXPECT_EQ(diag.status, 2) << diag.output;
    EXPECT_EQ(diag.output.find("no state bit set"), std::string::npos) << diag.output;
    EXPECT_NE(diag.output.find("reading the diagnosis register failed"), std::string::npos) << diag.output;

    const Result io = RunKorvo("io " + kAddress + " " + kDemo + " --cycles 2 --interval 0");
    EXPECT_EQ(io.status, 2) << io.output;
    EXPECT_EQ(io.output.find(" Date "), std::string::npos) << io.output;
    EXPECT_NE(io.output.find("korvo: " + kAddress + ": "), std::string::npos) << io.output;
}

TEST_F(HostileCouplerTest, DrippedRepliesEndAtTheCommandTimeout) {
    HostileCoupler coupler(Behaviour::DripReplies);
    ASSERT_TRUE(coupler.Listening());
    for (const std::string& command :
         {"diag " + kAddress, "check " + kAddress + " " + kDemo, "io " + kAddress + " " + kDemo}) {
        const Result result = RunKorvo(command + " --timeout 1");
        EXPECT_EQ(result.status, 2) << command << ": " << result.output;
        EXPECT_NE(result.output.find("no result within 1 s"), std::string::npos) << command << ": " << result.output;
    }
}

}  // namespace
