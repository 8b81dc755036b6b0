// The I/O cycle of a coupler with 100 bus modules (the most a station can have
// online), 20, 80 or 100 of them output modules, against the simulated coupler,
// next to a raw TCP ping-pong that replays the very exchanges of one cycle: the
// cycle reads the inputs once and writes each output module, so it can only be
// as fast as those exchanges; the ratio shows what it costs beyond them.

#include "access/ddi_funktionen.h"
#include "loopback_peers.h"
#include "online/online_operation.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/station_model.h"

#include <quorrin.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

using korvo::bench::Exchange;

const char* const kCatalogue =
    "[KORVO NC ETH]\nid_code=$F0\nslots=3\n"
    "[KORVO DI 16]\nid_code=$10\nlenght_code=$10\nin=2\nReadMethode=1\nslots=2\n"
    "LedMuster=1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,0,\n"
    "[KORVO DO 16]\nid_code=$20\nlenght_code=$01\nout=2\nWriteMethode=1\nslots=2\n";

constexpr int kBusModules = 100;

// The confirmation size of a request of the cycle; 0 for a request it does not make.
std::size_t ConfirmationSize(const korvo::sim::Request& request) {
    switch (request.code()) {
    case 0x0104: return 20 + request.word(14);
    case 0x0103: return 16;
    default: return 0;
    }
}

int Option(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

// Medians in microseconds of one cycle and of its replayed exchanges; false on failure.
bool Measure(int outputModules, int rounds, int cyclesPerRound, double& cycle, double& raw, std::size_t& exchanges) {
    std::string address;
    auto simulator = korvo::bench::StartSimulator(address);
    const korvo::ProfileFile catalogueIni = korvo::ProfileFile::FromText(kCatalogue);
    const korvo::CatalogueList catalogue = korvo::ReadCatalogueList(catalogueIni);
    korvo::StationModel model(&catalogueIni, "/");
    model.AppendModule("KORVO NC ETH");
    for (int i = 0; i < outputModules; ++i) model.AppendModule("KORVO DO 16");
    while (model.ModuleCount < kBusModules + 1) model.AppendModule("KORVO DI 16");
    for (int i = 2; i <= model.ModuleCount; ++i) model.Module(i)->OutputData = "0,0,1,1";
    model.CurrentIP = address;
    model.CurrentStation = 1;
    model.CurrentCouplerModule = 1;
    model.Online = true;

    korvo::ControllerAccess access(model.CurrentIP);
    korvo::OnlineUi ui;
    korvo::Pinger pinger;
    korvo::OnlineOperation online(model, catalogue, access, ui, pinger);
    if (access.OpenNodePair() != DDI_OK) return false;

    // One cycle with a tap tells the exchanges the raw peer replays.
    std::mutex tapped;
    std::vector<Exchange> script;
    bool unknown = false;
    simulator->setRequestTap([&](const korvo::sim::Request& request) {
        std::lock_guard lock(tapped);
        const std::size_t answer = ConfirmationSize(request);
        unknown = unknown || answer == 0;
        script.emplace_back(request.bytes.size(), answer);
    });
    online.IoCycle();
    simulator->setRequestTap(nullptr);
    if (!model.Online || unknown || script.empty()) return false;
    exchanges = script.size();
    korvo::bench::PingPongPeer peer(script);

    std::vector<double> cycles;
    std::vector<double> replays;
    for (int round = 0; round < rounds; ++round) {
        cycles.push_back(korvo::bench::MicrosecondsOf([&] {
                             for (int i = 0; i < cyclesPerRound; ++i) online.IoCycle();
                         }) /
                         cyclesPerRound);
        bool ok = true;
        replays.push_back(korvo::bench::MicrosecondsOf([&] {
                              for (int i = 0; i < cyclesPerRound && ok; ++i) ok = peer.RunScript();
                          }) /
                          cyclesPerRound);
        if (!model.Online || !ok) return false;
    }
    access.CloseNodePair();
    simulator->stop();
    cycle = korvo::bench::Median(cycles);
    raw = korvo::bench::Median(replays);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = Option(argc, argv, "--rounds", 101);
    const int cyclesPerRound = Option(argc, argv, "--cycles", 20);
    std::printf("%d rounds of %d cycles each, medians of the per-cycle means\n", rounds, cyclesPerRound);
    // --outputs N measures one station instead of the three.
    std::vector<int> stations = {20, 80, 100};
    if (const int only = Option(argc, argv, "--outputs", 0); only > 0) stations = {std::min(only, kBusModules)};
    for (int outputModules : stations) {
        double cycle = 0;
        double raw = 0;
        std::size_t exchanges = 0;
        if (!Measure(outputModules, rounds, cyclesPerRound, cycle, raw, exchanges)) {
            std::fprintf(stderr, "io cycle bench: the cycle with %d output modules failed\n", outputModules);
            return 2;
        }
        std::printf("  %3d output modules: %3zu exchanges, cycle %8.1f us, raw exchanges %8.1f us, ratio %.2f x\n",
                    outputModules, exchanges, cycle, raw, cycle / raw);
    }
    return 0;
}
