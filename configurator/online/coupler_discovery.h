#pragma once
// Finding the couplers on a network: the addresses of a range, a probe of the
// coupler's TCP port on all of them at once, and for each that answers its bus list
// and state, matched with the stations of a project when one is given.

#include "online/configuration_rows.h"
#include "station_scan.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

// "A.B.C.D/N" with 22 <= N <= 32 (without the network and broadcast address when N
// is 30 or less) or "FIRST-LAST" of at most 1024 addresses.
struct AddressRange {
    std::vector<std::uint32_t> addresses;  // host byte order, ascending
    std::string error;                     // why the text is no range; empty when it is
};
AddressRange ParseAddressRange(const std::string& text);
// Exactly four decimal groups 0..255, in host byte order.
std::optional<std::uint32_t> ParseIPv4(const std::string& text);
std::string AddressText(std::uint32_t address);

inline constexpr std::size_t kMaxOpenProbes = 64;
inline constexpr std::size_t kMaxRangeAddresses = 1024;

// Which addresses accept a TCP connection on `port` within `timeout`: non-blocking
// connects, at most `maxOpen` of them open at a time, a new one started as soon as one
// ends. Each probe waits at most `timeout`; refused ones end at once.
std::vector<bool> ProbePort(const std::vector<std::uint32_t>& addresses, std::uint16_t port,
                            std::chrono::milliseconds timeout, std::size_t maxOpen = kMaxOpenProbes);

// One coupler found, and with a project which station has its address.
struct FoundCoupler {
    StationScan scan;
    int station = 0;  // the project's station with this address, 0 for none
    std::string stationName;
    bool match = false;           // its modules are the station's (with a project)
    std::string firstDifference;  // where they differ first, empty when they match
};

// A station of the project no coupler answered for.
struct MissingStation {
    int station = 0;
    std::string name;
    std::string address;
    bool inRange = false;  // its address lies in the probed range
};

struct Discovery {
    std::vector<FoundCoupler> couplers;  // in address order
    std::vector<MissingStation> missing;
};

// The project's stations: number, name and address of each coupler.
struct ProjectStation {
    int station = 0;
    int couplerSlot = 0;
    std::string name;
    std::string address;
};
std::vector<ProjectStation> ProjectStations(const StationModel& model);

// The range the search window starts with: from the lowest to the highest address of
// the project's stations when they span at most 1024, else the /24 of the first one;
// empty when no station has an address.
std::string SuggestedRange(const std::vector<ProjectStation>& stations);

// The first difference of the compared rows ("slot 3: expected KORVO DO 16, found
// KORVO DI 8"), empty when every row matches.
std::string FirstDifference(const std::vector<ConfigurationRow>& rows);

// Probes the range and reads every coupler that answered, `jobs` of them at a time.
// `project` may be null. `cancelled` is looked at between couplers.
Discovery DiscoverCouplers(const AddressRange& range, const CatalogueList& catalogue, const StationModel* project,
                           std::chrono::milliseconds timeout, int jobs = 16, std::uint16_t port = 1962,
                           const std::function<bool()>& cancelled = {});

}  // namespace korvo
