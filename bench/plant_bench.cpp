// A plant section on one machine: korvo discover over a /24 with 20 simulated couplers,
// korvo check --all of 100 stations beside the check of one station alone, 250 stations
// under the descriptor limit of a default shell, and korvo-sim's memory per station.
// build/bin/plant_bench [--rounds N] [--timeout MS]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string g_block;  // "127.A.B."
std::string Host(int k) { return g_block + std::to_string(k); }

bool Connectable(const std::string& address) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(1962);
    ::inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    ::close(fd);
    return ok;
}

// A child process with its standard output in a file; `descriptors` limits its files.
struct Child {
    pid_t pid = -1;
    std::string log;
};

Child Start(const std::vector<std::string>& args, const std::string& log, rlim_t descriptors = 0) {
    Child child;
    child.log = log;
    child.pid = ::fork();
    if (child.pid == 0) {
        if (descriptors > 0) {
            rlimit limit{descriptors, descriptors};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::freopen(log.c_str(), "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

int Wait(const Child& child) {
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Stop(const Child& child) {
    ::kill(child.pid, SIGTERM);
    Wait(child);
}

// Runs a command to its end; its time in seconds and its exit status.
std::pair<double, int> Timed(const std::vector<std::string>& args, const std::string& log, rlim_t descriptors = 0) {
    const auto started = Clock::now();
    const int status = Wait(Start(args, log, descriptors));
    return {std::chrono::duration<double>(Clock::now() - started).count(), status};
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A project of `count` stations on hosts 1..count of the block.
std::string WriteProject(const std::filesystem::path& folder, int count) {
    const std::vector<std::string> types = {"KORVO DI 16", "KORVO DO 16", "KORVO AI 2", "KORVO TC 8"};
    std::string names;
    std::string sections;
    int slot = 0;
    for (int k = 1; k <= count; ++k) {
        names += "Name" + std::to_string(++slot) + "=KORVO NC ETH\n";
        for (const std::string& t : types) names += "Name" + std::to_string(++slot) + "=" + t + "\n";
        sections += "[Station" + std::to_string(k) + "]\nIPAddress=" + Host(k) + "\nStation Name=Hall " +
                    std::to_string(k) + "\n";
    }
    const std::string path = (folder / ("plant" + std::to_string(count) + ".prj")).string();
    std::ofstream(path) << "[Module]\nAnzahl=" << slot << "\n" << names << sections;
    return path;
}

Child Simulate(const std::string& project, int count, const std::string& log) {
    Child sim = Start({KORVO_SIM_BINARY, "--project", project, "--all-stations", "--listen", Host(1), "--stations",
                       std::to_string(count)},
                      log);
    for (int i = 0; i < 3000 && !Connectable(Host(count)); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return sim;
}

// Listeners whose connection queue is full: a connection attempt there gets no answer
// at all, as a host that drops it, instead of the refusal a free loopback address gives.
std::vector<int> SilentHosts(int first, int last) {
    std::vector<int> fds;
    for (int k = first; k <= last; ++k) {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(1962);
        ::inet_pton(AF_INET, Host(k).c_str(), &at.sin_addr);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(listener, 0) != 0) {
            ::close(listener);
            continue;
        }
        fds.push_back(listener);
        for (int i = 0; i < 3; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
            fds.push_back(fd);
        }
    }
    return fds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    int timeoutMs = 500;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--timeout") == 0) timeoutMs = std::max(1, std::atoi(argv[i + 1]));
    }
    std::random_device device;
    std::uniform_int_distribution<int> part(1, 254);
    g_block = "127." + std::to_string(part(device)) + "." + std::to_string(part(device)) + ".";
    const auto folder = std::filesystem::temp_directory_path() / ("plant_bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string log = (folder / "out.txt").string();
    const std::string simLog = (folder / "sim.txt").string();
    const std::string timeout = std::to_string(timeoutMs);

    {
        const std::string project = WriteProject(folder, 20);
        const Child sim = Simulate(project, 20, simLog);
        std::vector<double> refused;
        std::vector<double> silent;
        for (int r = 0; r < rounds; ++r) {
            refused.push_back(Timed({KORVO_CLI_BINARY, "discover", g_block + "0/24", "--timeout", timeout,
                                     "--project", project}, log).first);
        }
        const std::string found = ReadFile(log);
        const std::vector<int> silence = SilentHosts(21, 254);
        for (int r = 0; r < rounds; ++r) {
            silent.push_back(Timed({KORVO_CLI_BINARY, "discover", g_block + "0/24", "--timeout", timeout}, log).first);
        }
        for (int fd : silence) ::close(fd);
        Stop(sim);
        std::printf("discover /24, 20 couplers, probe timeout %d ms: 234 refusing addresses %.3f s, "
                    "234 silent addresses (%zu listening without answer) %.3f s\n",
                    timeoutMs, Median(refused), silence.size() / 4, Median(silent));
        if (found.find("20 coupler(s) answered in 254 address(es)") == std::string::npos) {
            std::printf("  unexpected result:\n%s", found.c_str());
        }
    }
    {
        const std::string project = WriteProject(folder, 100);
        const Child sim = Simulate(project, 100, simLog);
        std::vector<double> all;
        std::vector<double> alone;
        int status = 0;
        for (int r = 0; r < rounds; ++r) {
            const auto [seconds, exit] =
                Timed({KORVO_CLI_BINARY, "check", "--all", project, "--jobs", "100"}, log);
            all.push_back(seconds);
            status = std::max(status, exit);
            // The slowest of a few stations checked alone.
            double slowest = 0;
            for (int k : {1, 50, 100}) {
                slowest = std::max(slowest, Timed({KORVO_CLI_BINARY, "check", Host(k), project, "--station",
                                                   std::to_string(k)},
                                                  log)
                                                .first);
            }
            alone.push_back(slowest);
        }
        Stop(sim);
        std::printf("check --all --jobs 100 of 100 stations: %.3f s, one station alone %.3f s: %.2f x (exit %d)\n",
                    Median(all), Median(alone), Median(all) / Median(alone), status);
    }
    {
        const std::string project = WriteProject(folder, 250);
        const Child sim = Simulate(project, 250, simLog);
        const auto [seconds, status] =
            Timed({KORVO_CLI_BINARY, "check", "--all", project, "--jobs", "128"}, log, 1024);
        const std::string result = ReadFile(log);
        const std::string memory = ReadFile(simLog);
        Stop(sim);
        const auto line = memory.find("korvo-sim serves 250");
        std::printf("check --all --jobs 128 of 250 stations with at most 1024 descriptors: %.3f s, exit %d, %s",
                    seconds, status,
                    result.find("250 of 250 station(s) match") != std::string::npos ? "all match\n" : "NOT all match\n");
        if (line != std::string::npos) {
            std::printf("korvo-sim --stations 250: %s\n", memory.substr(line, memory.find('\n', line) - line).c_str());
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
