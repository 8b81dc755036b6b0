// korvo-sim: runs the simulated coupler until SIGINT or SIGTERM, logging one
// line per request on standard output.
#include "korvo_sim/bootp_client.h"
#include "korvo_sim/simulator.h"
#include "simulated_station.h"
#include "tools/bootp_address.h"

#include <algorithm>
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
                 "                  [--missing N] [--swap N] [--restart-seconds S]] [--mac MAC]\n"
                 "  ADDRESS must be a 127.x.x.x address; PORT defaults to 1962.\n"
                 "  --mac broadcasts BOOTP requests to port 67 after start-up and after each restart\n"
                 "  until a reply for MAC arrives on port 68; a 127.x.x.x address received there\n"
                 "  becomes the address the coupler answers on. With --mac, --listen may be left out.\n"
                 "  --project puts the modules of station N (default 1) of the project behind the\n"
                 "  coupler; --missing and --swap leave out or change the N-th bus module in the\n"
                 "  reported configuration list; a restart keeps the coupler down S seconds (3).\n";
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

bool loopback(const std::string& address)
{
    auto parsed = korvo::ParseIpText(address);
    return parsed.ok && parsed.bytes[0] == 127;
}

// The coupler as it answers on one address: the server and the station behind it.
struct Coupler {
    std::unique_ptr<korvo::sim::Simulator> simulator;
    std::unique_ptr<korvo::sim::SimulatedStation> station;
};

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
    korvo::sim::MacAddress mac{};
    bool useBootp = false;

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
        } else if (argument == "--mac" && hasValue) {
            std::string text = argv[++i];
            std::replace(text.begin(), text.end(), ':', '.');
            auto parsed = korvo::ParseMacText(text);
            if (!parsed.ok) {
                std::cerr << "korvo-sim: invalid MAC address " << argv[i] << ": " << parsed.why << "\n";
                return 2;
            }
            std::copy_n(parsed.bytes.begin(), mac.size(), mac.begin());
            useBootp = true;
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
    if (options.address.empty() && !useBootp) {
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

    std::mutex outputMutex;
    const auto print = [&](const std::string& line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    };
    // Made before the first coupler starts: its restart command reaches the client.
    std::unique_ptr<korvo::sim::BootpClient> bootp;
    std::mutex leaseMutex;
    std::optional<std::string> leased;
    if (useBootp) {
        korvo::sim::BootpClientOptions bootpOptions;
        bootpOptions.mac = mac;
        bootp = std::make_unique<korvo::sim::BootpClient>(bootpOptions);
        bootp->setLogger(print);
        bootp->setLeaseHandler([&](const korvo::sim::BootpLease& lease) {
            std::lock_guard lock(leaseMutex);
            leased = lease.address;
        });
    }
    // With BOOTP the station is always there: its firmware takes the restart command.
    const bool withStation = !project.empty() || useBootp;
    stationOptions.baseRefusal = refusal;

    // Starts answering on an address; throws when it cannot be bound.
    const auto startCoupler = [&](const std::string& address) {
        Coupler coupler;
        korvo::sim::SimulatorOptions at = options;
        at.address = address;
        coupler.simulator = std::make_unique<korvo::sim::Simulator>(at);
        coupler.simulator->controller().setWriteRefusal(refusal);
        coupler.simulator->setLogger(print);
        coupler.simulator->start();
        if (withStation) {
            coupler.station =
                std::make_unique<korvo::sim::SimulatedStation>(coupler.simulator->controller(), bus, stationOptions);
            coupler.station->setOutputLogger(print);
            coupler.station->start();
            korvo::sim::SimulatedStation* station = coupler.station.get();
            coupler.simulator->controller().setMailboxHandler(
                [station, &bootp](uint16_t node, const korvo::sim::MailboxMessage& sent) {
                    // A restarted coupler asks for its address again.
                    if (bootp && korvo::sim::readBe16(sent.data, 0) == 0x0956)
                        bootp->restart();
                    return station->onMailbox(node, sent);
                });
        }
        print("korvo-sim listening on " + address + ":" + std::to_string(coupler.simulator->port()));
        return coupler;
    };

    Coupler coupler;
    std::string address = options.address;
    try {
        if (!address.empty())
            coupler = startCoupler(address);
    } catch (const std::exception& error) {
        std::cerr << "korvo-sim: " << error.what() << "\n";
        return 1;
    }
    if (!project.empty())
        print("korvo-sim simulates station " + std::to_string(station) + " of " + project + " with "
              + std::to_string(bus.size()) + " module(s)");

    if (bootp) {
        try {
            bootp->start();
        } catch (const std::exception& error) {
            std::cerr << "korvo-sim: " << error.what() << "\n";
            return 1;
        }
    }

    // Waits for a stop signal; a leased address moves the coupler there meanwhile.
    const timespec poll{0, 100'000'000};
    int received = -1;
    while (received < 0) {
        received = sigtimedwait(&stopSignals, nullptr, &poll);
        std::optional<std::string> next;
        {
            std::lock_guard lock(leaseMutex);
            next.swap(leased);
        }
        if (!next || *next == address)
            continue;
        if (!loopback(*next)) {
            print("korvo-sim cannot answer on " + *next + ", not a loopback address; it stays on "
                  + (address.empty() ? std::string("no address") : address));
            continue;
        }
        if (coupler.station)
            coupler.station->stop();
        if (coupler.simulator)
            coupler.simulator->stop();
        coupler = Coupler{};
        try {
            coupler = startCoupler(*next);
            address = *next;
        } catch (const std::exception& error) {
            print(std::string("korvo-sim: ") + error.what());
            address.clear();
        }
    }
    if (bootp)
        bootp->stop();
    if (coupler.station)
        coupler.station->stop();
    if (coupler.simulator)
        coupler.simulator->stop();
    std::cout << "korvo-sim stopped by " << strsignal(received) << std::endl;
    return 0;
}
