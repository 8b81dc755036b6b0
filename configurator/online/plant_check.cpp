#include "plant_check.h"

#include "access/call_failure.h"
#include "access/clock.h"
#include "access/coupler_diagnosis.h"
#include "access/ddi_funktionen.h"
#include "parallel_jobs.h"
#include "online/online_operation.h"
#include "station/station_model.h"

#include <quorrin.h>

namespace korvo {

namespace {

// The error reset opens nothing itself here: the pair is open before it runs.
class OpenPair final : public ConnectionOpener {
public:
    bool PingCoupler() override { return true; }
    bool OpenConnection() override { return false; }
};

}  // namespace

StationCheck CheckStation(const StationModel& model, const ProjectStation& station, const CatalogueList& catalogue,
                          Pinger* pinger, Clock& clock) {
    StationCheck check;
    check.station = station.station;
    check.name = station.name;
    check.address = station.address;
    check.started = std::chrono::system_clock::now();
    const auto finish = [&](std::string why) {
        check.firstDifference = std::move(why);
        check.finished = std::chrono::system_clock::now();
        return check;
    };
    if (pinger != nullptr) {
        const EchoResult echo = pinger->Ping(station.address);
        if (!echo.sent) return finish(echo.error);
        if (echo.reply.bytes == 0) {
            return finish("no answer to ping from " + station.address + " within " + std::to_string(kEchoTimeoutMs) +
                          " ms");
        }
    }
    std::string ip = station.address;
    ControllerAccess access(ip, clock);
    const std::uint32_t opened = access.OpenNodePair();
    if (opened != DDI_OK) {
        access.CloseNodePair();
        return finish("the nodes could not be opened: " + CallFailureReason(opened));
    }
    check.reachable = true;
    // The reset the check makes before it asks for the list, on this station's pair.
    StationModel none(nullptr, "/");
    OpenPair opener;
    DiagnosisUi quiet;
    CouplerDiagnosis diagnosis(none, access, opener, quiet, clock);
    diagnosis.ResetErrors();
    std::uint16_t reg = 0;
    check.stateRead = access.ReadStatusRegister(reg) == DDI_OK;
    check.state = CouplerState::FromRegister(reg);
    StationScan scan;
    const auto why = ReadBusList(access, catalogue, scan.modules);
    access.CloseNodePair();
    if (why) return finish("no bus configuration list: " + *why);
    check.listRead = true;
    check.rows = CompareConfigurationRows(model, station.station, scan.BusList());
    std::string difference = FirstDifference(check.rows);
    check.match = difference.empty();
    return finish(std::move(difference));
}

std::vector<StationCheck> CheckPlant(const StationModel& model, const CatalogueList& catalogue,
                                     const PlantCheckOptions& options) {
    const std::vector<ProjectStation> stations = ProjectStations(model);
    std::vector<StationCheck> checks(stations.size());
    Clock& clock = options.clock != nullptr ? *options.clock : SystemClock();
    ForEachInParallel(stations.size(), std::clamp(options.jobs, 1, kMaxPlantJobs), [&](std::size_t i) {
        if (options.cancelled && options.cancelled()) {
            checks[i].station = stations[i].station;
            checks[i].name = stations[i].name;
            checks[i].address = stations[i].address;
            checks[i].firstDifference = "cancelled";
        } else {
            checks[i] = CheckStation(model, stations[i], catalogue, options.pinger, clock);
        }
        if (options.done) options.done(checks[i]);
    });
    return checks;
}

std::string CheckVerdict(const StationCheck& check) {
    if (check.match) return "match";
    return check.firstDifference.empty() ? std::string("differs") : check.firstDifference;
}

}  // namespace korvo
