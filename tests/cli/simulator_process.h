#pragma once
// korvo-sim as a child process of a command test, until the test ends. It is ready
// once `readyAddress` accepts connections on the coupler's port; it listens before it
// starts serving.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

inline bool Connectable(const std::string& address) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(1962);
    ::inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    ::close(fd);
    return ok;
}

class SimulatorProcess {
public:
    SimulatorProcess(std::vector<std::string> options, const std::string& readyAddress) {
        std::vector<std::string> args = {KORVO_SIM_BINARY};
        args.insert(args.end(), options.begin(), options.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            // The simulator logs every request; the test does not need to see them.
            std::freopen("/dev/null", "w", stdout);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !Connectable(readyAddress); ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~SimulatorProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    bool Running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};
