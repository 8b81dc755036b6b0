#pragma once
// The configuration check of every station of a project at once: each station on a
// thread and a node pair of its own, `jobs` at a time. The project is only read.

#include "online/configuration_rows.h"
#include "coupler_discovery.h"
#include "station_scan.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace korvo {

class Clock;
class StationModel;

struct StationCheck {
    int station = 0;
    std::string name;
    std::string address;
    bool reachable = false;  // echo answered and the node pair opened
    bool listRead = false;
    bool match = false;
    std::string firstDifference;  // or why the check could not be made
    bool stateRead = false;
    CouplerState state;
    std::vector<ConfigurationRow> rows;
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point finished;
};

struct PlantCheckOptions {
    int jobs = 16;
    Pinger* pinger = nullptr;  // shared by the threads; null: no echo first
    Clock* clock = nullptr;    // the error reset's pauses; null: the system clock
    // Told about each station as soon as its check ended, on the checking thread.
    std::function<void(const StationCheck&)> done;
    // Looked at before each station; a station not started is reported as cancelled.
    std::function<bool()> cancelled;
};

inline constexpr int kMaxPlantJobs = 128;  // two nodes each, within the library's 256

// One station: echo, node pair, the error reset, the state register, the bus list and
// its comparison with the project's modules, as the configuration check makes them.
StationCheck CheckStation(const StationModel& model, const ProjectStation& station, const CatalogueList& catalogue,
                          Pinger* pinger, Clock& clock);

// Every station of the project, in station order.
std::vector<StationCheck> CheckPlant(const StationModel& model, const CatalogueList& catalogue,
                                     const PlantCheckOptions& options);

// "match", the first difference, or why the station could not be checked.
std::string CheckVerdict(const StationCheck& check);

}  // namespace korvo
