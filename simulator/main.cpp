// korvo-sim: runs the simulated coupler until SIGINT or SIGTERM, logging one
// line per request on standard output.
#include "korvo_sim/bootp_client.h"
#include "korvo_sim/simulator.h"
#include "simulated_station.h"
#include "station/dotted_address.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace {

void usage()
{
    std::cerr << "usage: korvo-sim --listen ADDRESS [--port PORT] [--refuse-writes modbus|watchdog|pnp]\n"
                 "                 [--max-connections N] [--idle-timeout SECONDS] [--pcap FILE]\n"
                 "                 [--project FILE.prj [--catalogue FILE] [--station N]\n"
                 "                  [--missing N] [--swap N] [--restart-seconds S]\n"
                 "                  [--fault-channel SLOT:CH:CODE]...] [--mac MAC]\n"
                 "  ADDRESS must be a 127.x.x.x address; PORT defaults to 1962 (0 picks a free one).\n"
                 "  At most N connections at a time (512); a connection without a request for\n"
                 "  SECONDS (600, 0 = never) is closed.\n"
                 "  --mac broadcasts BOOTP requests to port 67 after start-up and after each restart\n"
                 "  until a reply for MAC arrives on port 68; a 127.x.x.x address received there\n"
                 "  becomes the address the coupler answers on. With --mac, --listen may be left out.\n"
                 "  --project puts the modules of station N (default 1) of the project behind the\n"
                 "  coupler; --missing and --swap leave out or change the N-th bus module in the\n"
                 "  reported configuration list; a restart keeps the coupler down S seconds (3).\n"
                 "  --fault-channel makes channel CH of the analog module in project slot SLOT\n"
                 "  report CODE (decimal or 0x hex, e.g. 0x8002 for a broken wire); on a TC 4, TC 8\n"
                 "  or RT 6 the low byte of CODE becomes the channel's error byte.\n"
                 "  --pcap writes every exchange to FILE as a capture that Wireshark reads.\n";
}

// A whole number in min..max for an option, or nothing when the text is not one.
std::optional<long> number(const char* text, long min, long max)
{
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < min || value > max)
        return std::nullopt;
    return value;
}

int invalidValue(const std::string& option, const char* value)
{
    std::cerr << "korvo-sim: invalid value \"" << value << "\" for " << option << "\n";
    return 2;
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
    std::string pcap;
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
            auto port = number(argv[++i], 0, 65535);
            if (!port)
                return invalidValue(argument, argv[i]);
            options.port = static_cast<uint16_t>(*port);
        } else if (argument == "--max-connections" && hasValue) {
            auto limit = number(argv[++i], 1, 4096);
            if (!limit)
                return invalidValue(argument, argv[i]);
            options.maxConnections = static_cast<std::size_t>(*limit);
        } else if (argument == "--idle-timeout" && hasValue) {
            auto seconds = number(argv[++i], 0, 86400);
            if (!seconds)
                return invalidValue(argument, argv[i]);
            options.idleTimeout = std::chrono::seconds(*seconds);
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
        } else if (argument == "--fault-channel" && hasValue) {
            const auto fault = korvo::sim::ParseChannelFault(argv[++i]);
            if (!fault) {
                std::cerr << "korvo-sim: invalid value " << argv[i] << " for --fault-channel (SLOT:CH:CODE)\n";
                return 2;
            }
            stationOptions.faults.push_back(*fault);
        } else if (argument == "--project" && hasValue) {
            project = argv[++i];
        } else if (argument == "--pcap" && hasValue) {
            pcap = argv[++i];
        } else if (argument == "--catalogue" && hasValue) {
            catalogue = argv[++i];
        } else if ((argument == "--station" || argument == "--missing" || argument == "--swap" ||
                    argument == "--restart-seconds") && hasValue) {
            auto value = number(argv[++i], argument == "--station" ? 1 : 0, argument == "--restart-seconds" ? 3600 : 161);
            if (!value)
                return invalidValue(argument, argv[i]);
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
    if (project.empty() && (stationOptions.missingModule != 0 || stationOptions.swappedModule != 0)) {
        std::cerr << "korvo-sim: --missing and --swap need --project\n";
        return 2;
    }

    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A reader of the log that goes away must not stop the simulator: writes
    // to a closed pipe then fail quietly instead of killing the process.
    std::signal(SIGPIPE, SIG_IGN);

    std::vector<korvo::sim::BusModule> bus;
    if (!project.empty()) {
        try {
            bus = korvo::sim::SimulatedStation::FromProject(project, catalogue, static_cast<int>(station));
        } catch (const std::exception& error) {
            std::cerr << "korvo-sim: " << error.what() << "\n";
            return 2;
        }
        for (auto [option, position] : {std::pair{"--missing", stationOptions.missingModule},
                                        std::pair{"--swap", stationOptions.swappedModule}}) {
            if (position > static_cast<int>(bus.size())) {
                std::cerr << "korvo-sim: " << option << " " << position << " is beyond the " << bus.size()
                          << " bus module(s) of station " << station << "\n";
                return 2;
            }
        }
    }

    // One capture for the whole run, also across a move to a new address.
    std::shared_ptr<korvo::sim::PcapWriter> capture;
    if (!pcap.empty()) {
        try {
            capture = std::make_shared<korvo::sim::PcapWriter>(pcap);
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
        if (capture)
            coupler.simulator->setCapture(capture);
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
        return 2;
    }
    if (!project.empty())
        print("korvo-sim simulates station " + std::to_string(station) + " of " + project + " with "
              + std::to_string(bus.size()) + " module(s)");

    if (bootp) {
        try {
            bootp->start();
        } catch (const std::exception& error) {
            std::cerr << "korvo-sim: " << error.what() << "\n";
            return 2;
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
