#pragma once
// Two network namespaces joined by a veth pair, created by a test and deleted with
// it, so BOOTP broadcasts go between them and nowhere else; programs and threads
// that run inside one of them.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace korvo::testing {

inline int Shell(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline sockaddr_in Endpoint(const std::string& address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

// Joins the calling thread to a namespace; sockets it creates afterwards live there.
inline bool EnterNamespace(const std::string& name) {
    const int fd = ::open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::setns(fd, CLONE_NEWNET) == 0;
    ::close(fd);
    return ok;
}

// Runs fn on a thread of its own inside the namespace.
inline void InNamespace(const std::string& name, const std::function<void()>& fn) {
    std::thread thread([&] {
        if (EnterNamespace(name)) fn();
    });
    thread.join();
}

inline bool Connectable(const std::string& address, std::uint16_t port = 1962) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in target = Endpoint(address, port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
    ::close(fd);
    return ok;
}

inline bool ConnectableIn(const std::string& ns, const std::string& address) {
    bool ok = false;
    InNamespace(ns, [&] { ok = Connectable(address); });
    return ok;
}

inline bool Eventually(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

// A program running inside a namespace until it ends or the test ends; its standard
// output and error go to a file of the test's own.
class Background {
public:
    Background(const std::string& ns, std::vector<std::string> command, const std::string& name)
        : log_(
              (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string()) {
        std::vector<std::string> args = {"ip", "netns", "exec", ns};
        args.insert(args.end(), command.begin(), command.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            if (std::freopen(log_.c_str(), "w", stdout) == nullptr) ::_exit(126);
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
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // The exit status once the program ended within the time, else -1.
    int Wait(std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    std::string Output() const {
        std::ifstream file(log_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    std::string log_;
    pid_t pid_ = -1;
};

// The "server" and "client" namespaces, names unique to this test process, each with
// loopback up, one end of the veth pair and a default route out of it, so that the
// limited broadcast has a way to go.
class NamespacePair {
public:
    explicit NamespacePair(const std::string& prefix)
        : server_(prefix + "-" + std::to_string(::getpid()) + "-server"),
          client_(prefix + "-" + std::to_string(::getpid()) + "-client") {}
    ~NamespacePair() {
        if (!created_) return;
        Shell("ip netns del " + server_);
        Shell("ip netns del " + client_);
    }
    NamespacePair(const NamespacePair&) = delete;
    NamespacePair& operator=(const NamespacePair&) = delete;

    // Empty when both exist; otherwise why they cannot, for the skip message.
    std::string Create() {
        if (Shell("ip -V") != 0) return "the ip tool is not installed";
        if (Shell("ip netns add " + server_) != 0) {
            return "network namespaces cannot be created here (ip netns add needs root or CAP_SYS_ADMIN)";
        }
        created_ = true;
        const std::string veth = "kbp" + std::to_string(::getpid());
        const std::vector<std::string> steps = {
            "ip netns add " + client_,
            "ip link add " + veth + "s type veth peer name " + veth + "c",
            "ip link set " + veth + "s netns " + server_,
            "ip link set " + veth + "c netns " + client_,
        };
        for (const std::string& step : steps) {
            if (Shell(step) != 0) return "cannot set up the namespaces: " + step + " failed";
        }
        int host = 1;
        for (const auto& [ns, device] : {std::pair{server_, veth + "s"}, std::pair{client_, veth + "c"}}) {
            for (const std::string& step :
                 {"ip -n " + ns + " addr add 10.67.68." + std::to_string(host++) + "/24 dev " + device,
                  "ip -n " + ns + " link set " + device + " up", "ip -n " + ns + " link set lo up",
                  "ip -n " + ns + " route add default dev " + device}) {
                if (Shell(step) != 0) return "cannot set up the namespaces: " + step + " failed";
            }
        }
        return {};
    }

    const std::string& Server() const { return server_; }
    const std::string& Client() const { return client_; }

private:
    std::string server_;
    std::string client_;
    bool created_ = false;
};

}  // namespace korvo::testing
