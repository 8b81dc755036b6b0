// What the trends and the event log cost the I/O cycle: a station of a coupler, 8 AI 2,
// 8 TC 8 and 40 DI 16 from the shipped catalogue behind the simulated coupler, cycled
// without listeners, with the trend histories and the event log, and with the trend
// file written as well. The three take turns within each round, each going first in
// every third round, so the machine's moods fall on all of them alike.

#include "access/ddi_funktionen.h"
#include "loopback_peers.h"
#include "online/cycle_observers.h"
#include "online/cycle_pacer.h"
#include "online/io_event_log.h"
#include "online/online_operation.h"
#include "online/trend_file.h"
#include "online/trend_history.h"
#include "simulated_station.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <quorrin.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int Option(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

std::string StationProject() {
    std::vector<std::string> types = {"KORVO NC ETH"};
    for (int i = 0; i < 8; ++i) types.push_back("KORVO AI 2");
    for (int i = 0; i < 8; ++i) types.push_back("KORVO TC 8");
    for (int i = 0; i < 40; ++i) types.push_back("KORVO DI 16");
    std::string text = "[Module]\nAnzahl=" + std::to_string(types.size()) + "\n";
    for (std::size_t i = 0; i < types.size(); ++i) text += "Name" + std::to_string(i + 1) + "=" + types[i] + "\n";
    return text + "[Station1]\nStation Name=Bench\n";
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = Option(argc, argv, "--rounds", 41);
    const int cyclesPerRound = Option(argc, argv, "--cycles", 50);
    const std::string folder = std::string(KORVO_BENCH_DATA_DIR) + "/";
    std::string address;
    auto simulator = korvo::bench::StartSimulator(address);
    const korvo::ProfileFile catalogueIni = korvo::ProfileFile::Load(folder + "korvo_config.ini");
    const korvo::CatalogueList catalogue = korvo::ReadCatalogueList(catalogueIni);
    korvo::StationModel model(&catalogueIni, folder);
    korvo::LoadProject(model, korvo::ProfileFile::FromText(StationProject()));
    model.CurrentIP = address;
    model.CurrentStation = 1;
    model.CurrentCouplerModule = 1;
    model.Online = true;
    std::vector<korvo::sim::BusModule> bus;
    for (int i = 2; i <= model.ModuleCount; ++i) {
        const korvo::TModul& m = *model.Module(i);
        bus.push_back({m.ModulType, m.id_code, m.lenght_code, m.Input, m.output, m.InputStart(), m.OutputStart(),
                       m.tag_anzahl_input, false, i});
    }
    korvo::sim::SimulatedStation station(simulator->controller(), bus);
    station.start();
    // The TC 8 dialogs' read commands, so that their responses carry values.
    for (int i = 10; i <= 17; ++i) model.Module(i)->OutputData = "8,0,0,0,0,0,0,0,0,0,0,0";

    korvo::ControllerAccess access(model.CurrentIP);
    korvo::OnlineUi ui;
    korvo::Pinger pinger;
    korvo::OnlineOperation online(model, catalogue, access, ui, pinger);
    if (access.OpenNodePair() != DDI_OK) {
        std::fprintf(stderr, "trend_cycle_bench: no connection to the simulated coupler\n");
        return 1;
    }
    korvo::TrendHistory trend(model);
    korvo::IoEventLog events(model);
    trend.Begin(100);
    events.Begin();
    korvo::CycleObservers recording;
    recording.Add(&trend);
    recording.Add(&events);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("korvo-trend-bench-" + std::to_string(getpid()) + ".csv");
    std::string error;
    auto trendFile = korvo::TrendFile::Open(file, &error);
    if (!trendFile) {
        std::fprintf(stderr, "trend_cycle_bench: %s\n", error.c_str());
        return 1;
    }

    const auto run = [&](korvo::IoCycleObserver* observer, bool toFile) {
        online.SetCycleObserver(observer);
        trend.SetReadingsSink(toFile ? std::function([&](const std::vector<korvo::TrendReading>& readings) {
            trendFile->Write(trend, readings);
        })
                                     : nullptr);
        return korvo::bench::MicrosecondsOf([&] {
                   for (int i = 0; i < cyclesPerRound; ++i) online.IoCycle();
               }) /
               cyclesPerRound;
    };
    run(&recording, true);  // the first cycles set up the histories and the file
    std::vector<double> plain;
    std::vector<double> recorded;
    std::vector<double> written;
    for (int round = 0; round < rounds; ++round) {
        // Each of the three goes first in every third round.
        for (int turn = 0; turn < 3; ++turn) {
            switch ((round + turn) % 3) {
                case 0: plain.push_back(run(nullptr, false)); break;
                case 1: recorded.push_back(run(&recording, false)); break;
                default: written.push_back(run(&recording, true)); break;
            }
        }
        if (!model.Online) {
            std::fprintf(stderr, "trend_cycle_bench: the test stopped: %s\n", online.LastFailure.c_str());
            return 1;
        }
    }
    access.CloseNodePair();
    station.stop();
    simulator->stop();
    const double base = korvo::bench::Median(plain);
    const double withHistory = korvo::bench::Median(recorded);
    const double withFile = korvo::bench::Median(written);
    std::printf("station: coupler, 8 AI 2, 8 TC 8, 40 DI 16; %zu trend points, %d rounds of %d cycles\n",
                trend.Points().size(), rounds, cyclesPerRound);
    std::printf("cycle without listeners          %8.1f us\n", base);
    std::printf("with trends and event log        %8.1f us  (%.3f x)\n", withHistory, withHistory / base);
    std::printf("with trends, log and trend file  %8.1f us  (%.3f x)\n", withFile, withFile / base);
    std::printf("trend file: %zu rows, %.1f MB\n", trendFile->Rows(),
                static_cast<double>(std::filesystem::file_size(file)) / 1e6);
    std::printf("history memory after the run: %.1f MB\n", static_cast<double>(trend.MemoryBytes()) / 1e6);
    // A measured channel takes a sample every cycle; a digital point only per change.
    for (const int interval : korvo::CyclePacer::kIntervalsMs) {
        const std::size_t samples = korvo::PointRing::CapacityFor(korvo::TrendHistory::kSpan, interval);
        std::printf("24 h of 64 measured channels at %4d ms: %6.1f MB\n", interval,
                    static_cast<double>(64 * samples * korvo::PointRing::BytesPerSample()) / 1e6);
    }
    trendFile.reset();
    std::filesystem::remove(file);
    return 0;
}
