// A plant section on one machine: korvo discover over a /24 with 20 simulated couplers,
// korvo check --all of 100 stations beside the check of one station alone, the largest
// project (161 stations) under the descriptor limit of a default shell, and the memory
// per station of korvo-sim --stations 250.
// build/bin/plant_bench [--rounds N] [--timeout MS]

#include "simulator_process.h"

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

// A child process with its standard output in a file; `descriptors` limits its files.
struct Child {
    pid_t pid = -1;
    std::string log;
};

Child Start(const std::vector<std::string>& args, const std::string& log, rlim_t descriptors = 0) {
    Child child;
    child.log = log;
    // The child must not write out what this process has buffered so far.
    std::fflush(stdout);
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

// Runs a command to its end, counting its open descriptors meanwhile: its time, exit
// status and the most descriptors seen open at once.
struct Measured {
    double seconds = 0;
    int status = -1;
    std::size_t peakDescriptors = 0;
};
Measured WatchDescriptors(const std::vector<std::string>& args, const std::string& log, rlim_t descriptors) {
    const auto started = Clock::now();
    const Child child = Start(args, log, descriptors);
    const std::string folder = "/proc/" + std::to_string(child.pid) + "/fd";
    Measured measured;
    for (;;) {
        int status = 0;
        if (::waitpid(child.pid, &status, WNOHANG) == child.pid) {
            measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        std::error_code ec;
        std::size_t open = 0;
        for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
             it.increment(ec)) {
            ++open;
        }
        measured.peakDescriptors = std::max(measured.peakDescriptors, open);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    measured.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return measured;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A project of `count` stations on hosts 1..count of the block. A project holds 161
// modules, couplers included, so the modules left over are shared out in turn.
std::string WriteProject(const std::filesystem::path& folder, int count) {
    const std::vector<std::string> types = {"KORVO DI 16", "KORVO DO 16", "KORVO AI 2", "KORVO TC 8"};
    std::vector<std::vector<std::string>> stations(static_cast<std::size_t>(count));
    for (int left = 161 - count, t = 0; left > 0; ++t) {
        for (int k = 0; k < count && left > 0; ++k, --left) {
            stations[static_cast<std::size_t>(k)].push_back(types[static_cast<std::size_t>(t) % types.size()]);
        }
    }
    std::string names;
    std::string sections;
    int slot = 0;
    for (int k = 1; k <= count; ++k) {
        names += "Name" + std::to_string(++slot) + "=KORVO NC ETH\n";
        for (const std::string& t : stations[static_cast<std::size_t>(k - 1)]) {
            names += "Name" + std::to_string(++slot) + "=" + t + "\n";
        }
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
        // A project holds at most 161 stations; korvo-sim serves 250, and the check
        // takes what one project can name, with a default shell's descriptor limit.
        const std::string project = WriteProject(folder, 161);
        const Child sim = Start({KORVO_SIM_BINARY, "--project", project, "--all-stations", "--listen", Host(1),
                                 "--stations", "250"},
                                simLog);
        for (int i = 0; i < 3000 && !Connectable(Host(250)); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const Measured check =
            WatchDescriptors({KORVO_CLI_BINARY, "check", "--all", project, "--jobs", "128"}, log, 1024);
        const std::string result = ReadFile(log);
        const std::string memory = ReadFile(simLog);
        Stop(sim);
        const bool all = result.find("161 of 161 station(s) match") != std::string::npos;
        std::printf("check --all --jobs 128 of 161 stations with at most 1024 descriptors: %.3f s, exit %d, "
                    "at most %zu descriptors open, %s\n",
                    check.seconds, check.status, check.peakDescriptors, all ? "all match" : "not all match:");
        if (!all) std::printf("%s", result.c_str());
        const auto line = memory.find("korvo-sim serves 250");
        if (line != std::string::npos) {
            std::printf("korvo-sim --stations 250: %s\n", memory.substr(line, memory.find('\n', line) - line).c_str());
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
