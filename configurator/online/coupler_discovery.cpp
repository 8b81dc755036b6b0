#include "coupler_discovery.h"

#include "parallel_jobs.h"
#include "online/configuration_rows.h"
#include "station/station_model.h"
#include "station/versch.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

namespace korvo {

namespace {

AddressRange Refused(const std::string& text, const std::string& why) {
    AddressRange range;
    range.error = "\"" + text + "\" is no address range: " + why;
    return range;
}

}  // namespace

std::optional<std::uint32_t> ParseIPv4(const std::string& text) {
    in_addr parsed{};
    // inet_pton takes exactly four decimal groups; "10.1.2" or "1.2.3.4.5" are refused.
    if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) return std::nullopt;
    return ntohl(parsed.s_addr);
}

std::string AddressText(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

AddressRange ParseAddressRange(const std::string& text) {
    const std::string usage = "give A.B.C.D/N (N from 22 to 32) or FIRST-LAST";
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    if (const auto slash = text.find('/'); slash != std::string::npos) {
        const auto base = ParseIPv4(text.substr(0, slash));
        const std::string bits = text.substr(slash + 1);
        std::int32_t n = 0;
        if (!base) return Refused(text, "\"" + text.substr(0, slash) + "\" is not a dotted IPv4 address");
        if (bits.empty() || bits.find_first_not_of("0123456789") != std::string::npos || !TryStrToInt(bits, n) ||
            n > 32) {
            return Refused(text, "\"/" + bits + "\" is not a prefix length; " + usage);
        }
        if (n < 22) return Refused(text, "/" + bits + " has more than 1024 addresses; " + usage);
        const std::uint32_t mask = n == 0 ? 0 : ~std::uint32_t{0} << (32 - n);
        first = *base & mask;
        last = first | ~mask;
        // The network and broadcast addresses are no hosts.
        if (n <= 30) {
            ++first;
            --last;
        }
    } else if (const auto dash = text.find('-'); dash != std::string::npos) {
        const auto from = ParseIPv4(text.substr(0, dash));
        const auto to = ParseIPv4(text.substr(dash + 1));
        if (!from) return Refused(text, "\"" + text.substr(0, dash) + "\" is not a dotted IPv4 address");
        if (!to) return Refused(text, "\"" + text.substr(dash + 1) + "\" is not a dotted IPv4 address");
        if (*to < *from) return Refused(text, "it ends before it starts");
        first = *from;
        last = *to;
        if (last - first + 1 > kMaxRangeAddresses) {
            return Refused(text, "it has " + std::to_string(last - first + 1) + " addresses, more than " +
                                     std::to_string(kMaxRangeAddresses));
        }
    } else {
        return Refused(text, usage);
    }
    AddressRange range;
    for (std::uint64_t a = first; a <= last; ++a) range.addresses.push_back(static_cast<std::uint32_t>(a));
    return range;
}

std::vector<bool> ProbePort(const std::vector<std::uint32_t>& addresses, std::uint16_t port,
                            std::chrono::milliseconds timeout, std::size_t maxOpen) {
    using Clock = std::chrono::steady_clock;
    struct Probe {
        int fd;
        std::size_t index;
        Clock::time_point deadline;
    };
    std::vector<bool> open(addresses.size(), false);
    std::vector<Probe> probes;
    std::size_t next = 0;
    const auto start = [&](std::size_t index) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(port);
        target.sin_addr.s_addr = htonl(addresses[index]);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
            open[index] = true;
            ::close(fd);
        } else if (errno == EINPROGRESS) {
            probes.push_back({fd, index, Clock::now() + timeout});
        } else {
            ::close(fd);
        }
        return true;
    };
    while (next < addresses.size() || !probes.empty()) {
        while (next < addresses.size() && probes.size() < maxOpen) {
            // Out of descriptors: wait for the open probes to end before the next.
            if (!start(next)) {
                if (probes.empty()) return open;
                break;
            }
            ++next;
        }
        if (probes.empty()) continue;
        std::vector<pollfd> fds;
        fds.reserve(probes.size());
        auto soonest = probes.front().deadline;
        for (const Probe& p : probes) {
            fds.push_back({p.fd, POLLOUT, 0});
            soonest = std::min(soonest, p.deadline);
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(soonest - Clock::now());
        ::poll(fds.data(), fds.size(), static_cast<int>(std::max<std::int64_t>(wait.count(), 0)));
        const auto now = Clock::now();
        std::vector<Probe> waiting;
        for (std::size_t i = 0; i < probes.size(); ++i) {
            const Probe& p = probes[i];
            if (fds[i].revents != 0) {
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &length);
                open[p.index] = error == 0 && (fds[i].revents & (POLLERR | POLLHUP)) == 0;
                ::close(p.fd);
            } else if (now >= p.deadline) {
                ::close(p.fd);
            } else {
                waiting.push_back(p);
            }
        }
        probes.swap(waiting);
    }
    return open;
}

std::vector<ProjectStation> ProjectStations(const StationModel& model) {
    std::vector<ProjectStation> stations;
    for (int i = 1; i <= model.ModuleCount; ++i) {
        const TModul* m = model.Module(i);
        if (m == nullptr || !m->IsCoupler()) continue;
        std::string address = m->IPAddress;
        RemoveBlanks(address);
        stations.push_back({m->StationsNummmer, i, m->StationName, address});
    }
    return stations;
}

std::string SuggestedRange(const std::vector<ProjectStation>& stations) {
    std::vector<std::uint32_t> addresses;
    for (const ProjectStation& s : stations) {
        // 0.0.0.0 is the address of a coupler nobody has set yet.
        if (const auto a = ParseIPv4(s.address); a && *a != 0) addresses.push_back(*a);
    }
    if (addresses.empty()) return {};
    const auto [low, high] = std::minmax_element(addresses.begin(), addresses.end());
    if (*high - *low < kMaxRangeAddresses) return AddressText(*low) + "-" + AddressText(*high);
    return AddressText(addresses.front() & 0xFFFFFF00u) + "/24";
}

std::string FirstDifference(const std::vector<ConfigurationRow>& rows) {
    for (const ConfigurationRow& row : rows) {
        if (row.match) continue;
        return "slot " + std::to_string(row.slot) + ": expected " +
               (row.expected.empty() ? std::string("(none)") : row.expected) + ", found " + row.found;
    }
    return {};
}

Discovery DiscoverCouplers(const AddressRange& range, const CatalogueList& catalogue, const StationModel* project,
                           std::chrono::milliseconds timeout, int jobs, std::uint16_t port,
                           const std::function<bool()>& cancelled) {
    const std::vector<bool> open = ProbePort(range.addresses, port, timeout);
    Discovery discovery;
    for (std::size_t i = 0; i < open.size(); ++i) {
        if (!open[i]) continue;
        FoundCoupler found;
        found.scan.address = AddressText(range.addresses[i]);
        discovery.couplers.push_back(std::move(found));
    }
    ForEachInParallel(discovery.couplers.size(), jobs, [&](std::size_t i) {
        FoundCoupler& found = discovery.couplers[i];
        if (cancelled && cancelled()) {
            found.scan.failure = "cancelled";
            return;
        }
        found.scan = ScanStation(found.scan.address, catalogue, nullptr);
    });
    if (project == nullptr) return discovery;
    std::map<std::string, std::size_t> byAddress;
    for (std::size_t i = 0; i < discovery.couplers.size(); ++i) byAddress[discovery.couplers[i].scan.address] = i;
    for (const ProjectStation& s : ProjectStations(*project)) {
        const auto it = byAddress.find(s.address);
        if (it == byAddress.end()) {
            const auto address = ParseIPv4(s.address);
            const bool inRange = address && std::binary_search(range.addresses.begin(), range.addresses.end(), *address);
            discovery.missing.push_back({s.station, s.name, s.address, inRange});
            continue;
        }
        FoundCoupler& found = discovery.couplers[it->second];
        // Two stations with one address: the first one owns the coupler.
        if (found.station != 0) continue;
        found.station = s.station;
        found.stationName = s.name;
        if (found.scan.listRead) {
            found.firstDifference =
                FirstDifference(CompareConfigurationRows(*project, s.station, found.scan.BusList()));
            found.match = found.firstDifference.empty();
        } else {
            found.firstDifference = found.scan.failure;
        }
    }
    return discovery;
}

}  // namespace korvo
