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

// Blocks the stop signals before any thread starts, so only sigwait sees them, and
// lets writes to a closed log pipe fail quietly: a reader of the log that goes away
// must not stop the simulator.
sigset_t BlockStopSignals()
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return stopSignals;
}

void usage()
{
    std::cerr << "usage: korvo-sim --listen ADDRESS [--port PORT] [--refuse-writes modbus|watchdog|pnp]\n"
                 "                 [--max-connections N] [--idle-timeout SECONDS] [--pcap FILE]\n"
                 "                 [--project FILE.prj [--catalogue FILE] [--station N]\n"
                 "                  [--missing N] [--swap N] [--restart-seconds S]\n"
                 "                  [--fault-channel SLOT:CH:CODE]... [--ramp SLOT]...] [--mac MAC]\n"
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
                 "  --ramp makes the channels of the AI 2, RT 2 or TC 2 in project slot SLOT climb by\n"
                 "  1000 every second from 0 to 30000 and start again, instead of drifting.\n"
                 "  --pcap writes every exchange to FILE as a capture that Wireshark reads.\n"
                 "       korvo-sim --project FILE.prj --all-stations --listen FIRST-ADDRESS [--stations N]\n"
                 "                 [--differ STATION:SLOT]... [--catalogue FILE] [--restart-seconds S]\n"
                 "  serves every station of the project, station k on FIRST-ADDRESS + k - 1;\n"
                 "  --stations repeats the project's stations up to N couplers (1..1024); --differ\n"
                 "  makes STATION report a wrong module at bus slot SLOT.\n";
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

// Resident memory of this process in KiB, from the kernel's own count.
long residentKiB()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmRSS: %ld kB", &kib) == 1)
            break;
    }
    std::fclose(status);
    return kib;
}

// Every station of the project in one process, each on an address and with a state of
// its own; runs until SIGINT or SIGTERM.
int serveAllStations(const korvo::sim::SimulatorOptions& options, const std::string& project,
                     const std::string& catalogue, long total, const std::map<long, int>& differing,
                     korvo::sim::StationOptions stationOptions, bool singleStationOptions)
{
    if (project.empty() || options.address.empty()) {
        std::cerr << "korvo-sim: --all-stations needs --project and --listen FIRST-ADDRESS\n";
        return 2;
    }
    if (singleStationOptions) {
        std::cerr << "korvo-sim: --station, --missing, --swap, --fault-channel, --ramp, --refuse-writes, --mac and --pcap"
                     " serve one station; with --all-stations use --differ\n";
        return 2;
    }
    std::vector<std::vector<korvo::sim::BusModule>> stations;
    try {
        stations = korvo::sim::SimulatedStation::AllFromProject(project, catalogue);
    } catch (const std::exception& error) {
        std::cerr << "korvo-sim: " << error.what() << "\n";
        return 2;
    }
    if (stations.empty()) {
        std::cerr << "korvo-sim: the project \"" << project << "\" has no station\n";
        return 2;
    }
    const long count = total > 0 ? total : static_cast<long>(stations.size());
    const auto first = korvo::ParseIpText(options.address);
    const std::uint32_t base = static_cast<std::uint32_t>(first.bytes[0]) << 24 | first.bytes[1] << 16 |
                               first.bytes[2] << 8 | first.bytes[3];
    const auto addressOf = [base](long k) {
        const std::uint32_t a = base + static_cast<std::uint32_t>(k - 1);
        return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." + std::to_string((a >> 8) & 0xFF)
               + "." + std::to_string(a & 0xFF);
    };
    if (!first.ok || first.bytes[0] != 127 || (base + static_cast<std::uint32_t>(count - 1)) >> 24 != 127) {
        std::cerr << "korvo-sim: " << count << " stations from " << options.address
                  << " do not fit into 127.0.0.0/8\n";
        return 2;
    }
    for (const auto& [number, slot] : differing) {
        const auto& bus = stations[static_cast<std::size_t>((number - 1) % static_cast<long>(stations.size()))];
        const auto modules = std::count_if(bus.begin(), bus.end(), [](const auto& m) { return !m.passive; });
        if (number > count || slot > modules) {
            std::cerr << "korvo-sim: --differ " << number << ":" << slot << " names no bus slot of the " << count
                      << " station(s)\n";
            return 2;
        }
    }
    const sigset_t stopSignals = BlockStopSignals();
    std::mutex outputMutex;
    const auto print = [&outputMutex](const std::string& line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    };
    const long before = residentKiB();
    std::vector<Coupler> couplers;
    couplers.reserve(static_cast<std::size_t>(count));
    try {
        for (long k = 1; k <= count; ++k) {
            Coupler coupler;
            korvo::sim::SimulatorOptions at = options;
            at.address = addressOf(k);
            coupler.simulator = std::make_unique<korvo::sim::Simulator>(at);
            const std::string prefix = "station " + std::to_string(k) + ": ";
            coupler.simulator->setLogger([print, prefix](const std::string& line) { print(prefix + line); });
            coupler.simulator->start();
            korvo::sim::StationOptions own = stationOptions;
            if (const auto it = differing.find(k); it != differing.end())
                own.swappedModule = it->second;
            coupler.station = std::make_unique<korvo::sim::SimulatedStation>(
                coupler.simulator->controller(),
                stations[static_cast<std::size_t>((k - 1) % static_cast<long>(stations.size()))], own);
            coupler.station->setOutputLogger([print, prefix](const std::string& line) { print(prefix + line); });
            coupler.station->start();
            korvo::sim::SimulatedStation* station = coupler.station.get();
            coupler.simulator->controller().setMailboxHandler(
                [station](uint16_t node, const korvo::sim::MailboxMessage& sent) { return station->onMailbox(node, sent); });
            couplers.push_back(std::move(coupler));
        }
    } catch (const std::exception& error) {
        std::cerr << "korvo-sim: " << error.what() << "\n";
        return 2;
    }
    const long perStation = (residentKiB() - before) / count;
    print("korvo-sim serves " + std::to_string(count) + " station(s) of " + project + " on " + addressOf(1) + " to "
          + addressOf(count) + ":" + std::to_string(couplers.front().simulator->port()) + ", "
          + std::to_string(perStation) + " KiB of memory per station");
    int received = -1;
    while (received < 0)
        received = sigwaitinfo(&stopSignals, nullptr);
    for (Coupler& coupler : couplers) {
        coupler.station->stop();
        coupler.simulator->stop();
    }
    std::cout << "korvo-sim stopped by " << strsignal(received) << std::endl;
    return 0;
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
    std::string pcap;
    std::string catalogue = programFolder() + "/korvo_config.ini";
    long station = 1;
    korvo::sim::StationOptions stationOptions;
    korvo::sim::MacAddress mac{};
    bool useBootp = false;
    bool allStations = false;
    long stationTotal = 0;
    std::map<long, int> differing;  // station -> bus slot reported wrong
    bool oneStationOption = false;

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
        } else if (argument == "--ramp" && hasValue) {
            auto slot = number(argv[++i], 1, 161);
            if (!slot) return invalidValue(argument, argv[i]);
            stationOptions.rampSlots.push_back(*slot);
        } else if (argument == "--all-stations") {
            allStations = true;
        } else if (argument == "--stations" && hasValue) {
            auto value = number(argv[++i], 1, 1024);
            if (!value)
                return invalidValue(argument, argv[i]);
            stationTotal = *value;
            allStations = true;
        } else if (argument == "--differ" && hasValue) {
            const std::string text = argv[++i];
            const auto colon = text.find(':');
            const auto stationNumber = colon == std::string::npos ? std::nullopt : number(text.substr(0, colon).c_str(), 1, 1024);
            const auto slot = colon == std::string::npos ? std::nullopt : number(text.substr(colon + 1).c_str(), 1, 100);
            if (!stationNumber || !slot) {
                std::cerr << "korvo-sim: invalid value " << text << " for --differ (STATION:SLOT)\n";
                return 2;
            }
            differing[*stationNumber] = static_cast<int>(*slot);
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
            oneStationOption = oneStationOption || argument != "--restart-seconds";
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
    if (!differing.empty() && !allStations) {
        std::cerr << "korvo-sim: --differ needs --all-stations\n";
        return 2;
    }
    if (allStations)
        return serveAllStations(options, project, catalogue, stationTotal, differing, stationOptions, oneStationOption || useBootp || !pcap.empty() || refusal != korvo::sim::WriteRefusal::None || !stationOptions.faults.empty() || !stationOptions.rampSlots.empty());
    if (options.address.empty() && !useBootp) {
        usage();
        return 2;
    }
    if (project.empty() &&
        (stationOptions.missingModule != 0 || stationOptions.swappedModule != 0 || !stationOptions.rampSlots.empty())) {
        std::cerr << "korvo-sim: --missing, --swap and --ramp need --project\n";
        return 2;
    }

    const sigset_t stopSignals = BlockStopSignals();

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
        for (const int slot : stationOptions.rampSlots) {
            const auto ramped = std::find_if(bus.begin(), bus.end(), [slot](const korvo::sim::BusModule& m) {
                return m.slot == slot && (m.type == "KORVO AI 2" || m.type == "KORVO RT 2" || m.type == "KORVO TC 2");
            });
            if (ramped == bus.end()) {
                std::cerr << "korvo-sim: --ramp " << slot << ": slot " << slot << " of station " << station
                          << " holds no AI 2, RT 2 or TC 2\n";
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
