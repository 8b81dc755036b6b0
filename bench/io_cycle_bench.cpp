// The time of one full I/O cycle of the largest station the list holds: a coupler
// and 160 output and input modules, against the simulated coupler on loopback. The
// window thread blocks for this long once a second.

#include "access/ddi_funktionen.h"
#include "korvo_sim/simulator.h"
#include "shell/online_operation.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/station_model.h"

#include <benchmark/benchmark.h>
#include <quorrin.h>

namespace {

const char* const kCatalogue =
    "[KORVO NC ETH]\nid_code=$F0\nslots=3\n"
    "[KORVO DI 16]\nid_code=$10\nlenght_code=$10\nin=2\nReadMethode=1\nslots=2\n"
    "LedMuster=1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,0,\n"
    "[KORVO DO 16]\nid_code=$20\nlenght_code=$01\nout=2\nWriteMethode=1\nslots=2\n";

void FullIoCycle(benchmark::State& state) {
    const int outputModules = static_cast<int>(state.range(0));
    korvo::sim::Simulator simulator({"127.0.0.60"});
    simulator.start();
    const korvo::ProfileFile catalogueIni = korvo::ProfileFile::FromText(kCatalogue);
    const korvo::CatalogueList catalogue = korvo::ReadCatalogueList(catalogueIni);
    korvo::StationModel model(&catalogueIni, "/");
    model.AppendModule("KORVO NC ETH");
    for (int i = 0; i < outputModules; ++i) model.AppendModule("KORVO DO 16");
    while (model.ModuleCount < korvo::StationModel::kMaxModules) model.AppendModule("KORVO DI 16");
    for (int i = 2; i <= model.ModuleCount; ++i) model.Module(i)->OutputData = "0,0,1,1";
    model.CurrentIP = "127.0.0.60";
    model.CurrentStation = 1;
    model.CurrentCouplerModule = 1;
    model.Online = true;

    korvo::ControllerAccess access(model.CurrentIP);
    korvo::OnlineUi ui;
    korvo::Pinger pinger;
    korvo::OnlineOperation online(model, catalogue, access, ui, pinger);
    if (access.OpenNodePair() != DDI_OK) {
        state.SkipWithError("cannot open the node pair on 127.0.0.60");
        return;
    }
    for (auto _ : state) {
        online.IoCycle();
        if (!model.Online) {
            state.SkipWithError("the cycle stopped with an error");
            break;
        }
    }
    state.counters["writes_per_cycle"] = outputModules;
    access.CloseNodePair();
    simulator.stop();
}
BENCHMARK(FullIoCycle)->Arg(20)->Arg(80)->Arg(160)->Unit(benchmark::kMillisecond);

}  // namespace
