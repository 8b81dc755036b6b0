// BOOTP over real broadcasts between two network namespaces that the test creates and
// joins by a veth pair: "korvo bootp" answering a client that broadcasts a request
// and receives the broadcast reply on port 68, and korvo-sim --mac getting its first
// address and a new one by restart. Skipped where namespaces cannot be created.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::uint8_t> kMac = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
const std::string kMacText = "0A.1B.2C.3D.4E.5F";

int Shell(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs fn on a thread that has joined the namespace; sockets it creates stay there.
void InNamespace(const std::string& name, const std::function<void()>& fn) {
    std::thread thread([&] {
        const int fd = ::open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0) << name;
        ASSERT_EQ(::setns(fd, CLONE_NEWNET), 0) << name;
        ::close(fd);
        fn();
    });
    thread.join();
}

sockaddr_in Endpoint(const std::string& address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

// A program running inside a namespace until it ends or the test ends.
class Background {
public:
    Background(const std::string& ns, std::vector<std::string> command, std::string log) : log_(std::move(log)) {
        std::vector<std::string> args = {"ip", "netns", "exec", ns};
        args.insert(args.end(), command.begin(), command.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            std::freopen(log_.c_str(), "w", stdout);
            ::dup2(STDOUT_FILENO, STDERR_FILENO);
            ::execvp("ip", argv.data());
            ::_exit(127);
        }
    }
    ~Background() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::remove(log_.c_str());
    }

    // The exit status once the program ended within the time, else -1.
    int Wait(std::chrono::seconds limit) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    std::string Output() const { return ReadFile(log_); }

private:
    std::string log_;
    pid_t pid_ = -1;
};

class BootpNamespaces : public ::testing::Test {
protected:
    void SetUp() override {
        if (Shell("ip -V") != 0) GTEST_SKIP() << "the ip tool is not installed";
        if (Shell("ip netns add " + server_) != 0) {
            GTEST_SKIP() << "network namespaces cannot be created here (ip netns add needs root or CAP_SYS_ADMIN)";
        }
        created_ = true;
        ASSERT_EQ(Shell("ip netns add " + client_), 0);
        const std::string veth = "kbp" + std::to_string(::getpid());
        ASSERT_EQ(Shell("ip link add " + veth + "s type veth peer name " + veth + "c"), 0);
        ASSERT_EQ(Shell("ip link set " + veth + "s netns " + server_), 0);
        ASSERT_EQ(Shell("ip link set " + veth + "c netns " + client_), 0);
        const std::pair<std::string, std::string> sides[] = {{server_, veth + "s"}, {client_, veth + "c"}};
        int host = 1;
        for (const auto& [ns, device] : sides) {
            ASSERT_EQ(Shell("ip -n " + ns + " addr add 10.67.68." + std::to_string(host++) + "/24 dev " + device), 0);
            ASSERT_EQ(Shell("ip -n " + ns + " link set " + device + " up"), 0);
            ASSERT_EQ(Shell("ip -n " + ns + " link set lo up"), 0);
            // The limited broadcast needs a route out of the namespace.
            ASSERT_EQ(Shell("ip -n " + ns + " route add default dev " + device), 0);
        }
    }

    void TearDown() override {
        if (!created_) return;
        Shell("ip netns del " + server_);
        Shell("ip netns del " + client_);
    }

    std::string Log(const char* name) const {
        return (std::filesystem::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()))).string();
    }

    static bool ConnectableIn(const std::string& ns, const std::string& address) {
        bool ok = false;
        InNamespace(ns, [&] {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const sockaddr_in target = Endpoint(address, 1962);
            ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
            ::close(fd);
        });
        return ok;
    }

    static bool Eventually(const std::function<bool()>& condition, std::chrono::seconds limit) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return condition();
    }

    const std::string server_ = "korvo-bootp-" + std::to_string(::getpid()) + "-server";
    const std::string client_ = "korvo-bootp-" + std::to_string(::getpid()) + "-client";
    bool created_ = false;
};

TEST_F(BootpNamespaces, ClientInTheOtherNamespaceGetsTheBroadcastReply) {
    Background server(server_,
                      {KORVO_CLI_BINARY, "bootp", "--mac", kMacText, "--ip", "192.168.0.10", "--mask",
                       "255.255.255.0", "--gateway", "192.168.0.1", "--once", "--timeout", "20"},
                      Log("bootp-server"));
    std::vector<std::uint8_t> reply;
    InNamespace(client_, [&] {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        const sockaddr_in local = Endpoint("0.0.0.0", 68);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
        std::vector<std::uint8_t> request(300, 0);
        request[0] = 1;
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
              (std::vector<std::uint8_t>{0x63, 0x82, 0x53, 0x63, 1, 4, 255, 255, 255, 0, 3, 4, 192, 168, 0, 1, 255}));
    ASSERT_EQ(server.Wait(std::chrono::seconds(10)), 0) << server.Output();
    const std::string log = server.Output();
    EXPECT_NE(log.find("MAC Adresse: 00.11.22.33.44.55\n--- ignored , wrong MAC address \n"), std::string::npos) << log;
    EXPECT_NE(log.find("MAC Adresse: 0A.1B.2C.3D.4E.5F\n<-- sent IP address to KORVO NC-ETH \n"), std::string::npos)
        << log;
}

TEST_F(BootpNamespaces, SimulatorGetsItsFirstAddressAndANewOneByRestart) {
    Background simulator(client_, {KORVO_SIM_BINARY, "--mac", kMacText, "--restart-seconds", "1"}, Log("bootp-sim"));

    // First address: the server in the other namespace answers the start-up requests.
    Background first(server_, {KORVO_CLI_BINARY, "bootp", "--mac", "0a.1b.2c.3d.4e.5f", "--ip", "127.0.0.5", "--once",
                               "--timeout", "20"},
                     Log("bootp-first"));
    ASSERT_EQ(first.Wait(std::chrono::seconds(25)), 0) << first.Output() << simulator.Output();
    ASSERT_TRUE(Eventually([&] { return ConnectableIn(client_, "127.0.0.5"); }, std::chrono::seconds(5)))
        << simulator.Output();
    EXPECT_NE(simulator.Output().find("korvo-sim got the address 127.0.0.5"), std::string::npos);

    // New address: the restart reaches the coupler over TCP, so this server runs beside
    // it; the coupler only asks again because it was restarted.
    Background second(client_, {KORVO_CLI_BINARY, "bootp", "--mac", kMacText, "--ip", "127.0.0.9", "--restart",
                                "127.0.0.5", "--once", "--timeout", "20"},
                      Log("bootp-second"));
    ASSERT_EQ(second.Wait(std::chrono::seconds(25)), 0) << second.Output() << simulator.Output();
    const std::string log = second.Output();
    EXPECT_NE(log.find("restart sent to 127.0.0.5\n"), std::string::npos) << log;
    EXPECT_NE(log.find("<-- sent IP address to KORVO NC-ETH "), std::string::npos) << log;
    EXPECT_TRUE(Eventually([&] { return ConnectableIn(client_, "127.0.0.9"); }, std::chrono::seconds(5)))
        << simulator.Output();
    EXPECT_FALSE(ConnectableIn(client_, "127.0.0.5"));
}

TEST_F(BootpNamespaces, ServerWithoutAMatchingRequestTimesOut) {
    Background server(server_, {KORVO_CLI_BINARY, "bootp", "--mac", kMacText, "--ip", "10.0.0.2", "--timeout", "1"},
                      Log("bootp-timeout"));
    EXPECT_EQ(server.Wait(std::chrono::seconds(10)), 1) << server.Output();
    EXPECT_NE(server.Output().find("no request from 0A.1B.2C.3D.4E.5F was answered within 1 s"), std::string::npos);
}

}  // namespace
