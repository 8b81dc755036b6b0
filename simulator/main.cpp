// korvo-sim: runs the simulated coupler until SIGINT or SIGTERM, logging one
// line per request on standard output.
#include "korvo_sim/simulator.h"
#include "simulated_station.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <map>
#include <mutex>
#include <string>

namespace {

void usage()
{
    std::cerr << "usage: korvo-sim --listen ADDRESS [--port PORT] [--refuse-writes modbus|watchdog|pnp]\n"
                 "                 [--project FILE.prj [--catalogue FILE] [--station N]\n"
                 "                  [--missing N] [--swap N] [--restart-seconds S]\n"
                 "                  [--fault-channel SLOT:CH:CODE]...]\n"
                 "  ADDRESS must be a 127.x.x.x address; PORT defaults to 1962.\n"
                 "  --project puts the modules of station N (default 1) of the project behind the\n"
                 "  coupler; --missing and --swap leave out or change the N-th bus module in the\n"
                 "  reported configuration list; a restart keeps the coupler down S seconds (3).\n"
                 "  --fault-channel makes channel CH of the analog module in project slot SLOT\n"
                 "  report CODE (decimal or 0x hex, e.g. 0x8002 for a broken wire).\n";
}

// A positive number for an option, or nothing when the text is not one.
std::optional<long> positive(const char* text, long max)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > max)
        return std::nullopt;
    return value;
}

std::string programFolder()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

} // namespace

int main(int argc, char** argv)
{
    korvo::sim::SimulatorOptions options;
    options.address.clear();
    auto refusal = korvo::sim::WriteRefusal::None;
    const std::map<std::string, korvo::sim::WriteRefusal> refusals = {
        {"modbus", korvo::sim::WriteRefusal::ModbusClient},
        {"watchdog", korvo::sim::WriteRefusal::Watchdog},
        {"pnp", korvo::sim::WriteRefusal::PlugAndPlay},
    };

    std::string project;
    std::string catalogue = programFolder() + "/korvo_config.ini";
    long station = 1;
    korvo::sim::StationOptions stationOptions;

    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--listen" && hasValue) {
            options.address = argv[++i];
        } else if (argument == "--port" && hasValue) {
            char* end = nullptr;
            long port = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) {
                std::cerr << "korvo-sim: invalid port " << argv[i] << "\n";
                return 2;
            }
            options.port = static_cast<uint16_t>(port);
        } else if (argument == "--refuse-writes" && hasValue && refusals.contains(argv[i + 1])) {
            refusal = refusals.at(argv[++i]);
        } else if (argument == "--fault-channel" && hasValue) {
            const auto fault = korvo::sim::ParseChannelFault(argv[++i]);
            if (!fault) {
                std::cerr << "korvo-sim: invalid value " << argv[i] << " for --fault-channel (SLOT:CH:CODE)\n";
                return 2;
            }
            stationOptions.faults.push_back(*fault);
        } else if (argument == "--project" && hasValue) {
            project = argv[++i];
        } else if (argument == "--catalogue" && hasValue) {
            catalogue = argv[++i];
        } else if ((argument == "--station" || argument == "--missing" || argument == "--swap" ||
                    argument == "--restart-seconds") && hasValue) {
            auto value = positive(argv[++i], argument == "--restart-seconds" ? 3600 : 161);
            if (!value) {
                std::cerr << "korvo-sim: invalid value " << argv[i] << " for " << argument << "\n";
                return 2;
            }
            if (argument == "--station")
                station = *value;
            else if (argument == "--missing")
                stationOptions.missingModule = static_cast<int>(*value);
            else if (argument == "--swap")
                stationOptions.swappedModule = static_cast<int>(*value);
            else
                stationOptions.restartTime = std::chrono::seconds(*value);
        } else {
            usage();
            return 2;
        }
    }
    if (options.address.empty()) {
        usage();
        return 2;
    }

    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<korvo::sim::BusModule> bus;
    if (!project.empty()) {
        try {
            bus = korvo::sim::SimulatedStation::FromProject(project, catalogue, static_cast<int>(station));
        } catch (const std::exception& error) {
            std::cerr << "korvo-sim: " << error.what() << "\n";
            return 2;
        }
    }

    korvo::sim::Simulator simulator(options);
    simulator.controller().setWriteRefusal(refusal);
    stationOptions.baseRefusal = refusal;
    std::unique_ptr<korvo::sim::SimulatedStation> simulatedStation;
    if (!project.empty())
        simulatedStation = std::make_unique<korvo::sim::SimulatedStation>(simulator.controller(), bus, stationOptions);
    std::mutex outputMutex;
    simulator.setLogger([&](const std::string& line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    });
    try {
        simulator.start();
    } catch (const std::exception& error) {
        std::cerr << "korvo-sim: " << error.what() << "\n";
        return 1;
    }
    if (simulatedStation) {
        simulatedStation->setOutputLogger([&](const std::string& line) {
            std::lock_guard lock(outputMutex);
            std::cout << line << std::endl;
        });
        simulatedStation->start();
    }
    {
        std::lock_guard lock(outputMutex);
        std::cout << "korvo-sim listening on " << options.address << ":" << simulator.port() << std::endl;
        if (simulatedStation)
            std::cout << "korvo-sim simulates station " << station << " of " << project << " with "
                      << bus.size() << " module(s)" << std::endl;
    }

    int received = 0;
    sigwait(&stopSignals, &received);
    if (simulatedStation)
        simulatedStation->stop();
    simulator.stop();
    std::cout << "korvo-sim stopped by " << strsignal(received) << std::endl;
    return 0;
}
