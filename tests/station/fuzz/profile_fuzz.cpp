// Fuzz target for the files the configurator reads from disk: the input is taken
// once as a project file (with a fixed catalogue) and once as a module catalogue
// (with a fixed project), then saved again, as the program does at close.

#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

const char* const kCatalogue =
    "[KORVO NC ETH]\nid_code=$F0\nslots=3\nLedMuster=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,\n"
    "[KORVO DI 16]\nin=2\nReadMethode=1\nslots=2\nLedMuster=1,2,4,8,16,32,64,128,256,0,\n"
    "[KORVO AI 2]\nin=4\nout=4\nWriteMethode=2\nParameter Input=2\n";

const char* const kProject =
    "[Module]\nAnzahl=4\nName1=KORVO NC ETH\nName2=KORVO DI 16\nName3=KORVO AI 2\nName4=KORVO NC ETH\n"
    "[Parameter]\nName3=1,2,\nComment31=a\n[Station1]\nIPAddress=127.0.0.10\n";

void Exercise(korvo::StationModel& model) {
    model.CurrentModule = model.ModuleCount > 1 ? 2 : 0;
    model.PlaceModule("KORVO AI 2");
    model.Renumber();
    for (int slot = 1; slot <= model.ModuleCount; ++slot) (void)model.DumpModule(slot);
    korvo::ProfileFile saved;
    (void)saved.Text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const korvo::ProfileFile input = korvo::ProfileFile::FromText(text);

    const korvo::ProfileFile catalogue = korvo::ProfileFile::FromText(kCatalogue);
    korvo::StationModel asProject(&catalogue, "/");
    korvo::LoadProject(asProject, input);
    Exercise(asProject);

    (void)korvo::ReadCatalogueList(input);
    korvo::StationModel withCatalogue(&input, "/");
    korvo::LoadProject(withCatalogue, korvo::ProfileFile::FromText(kProject));
    Exercise(withCatalogue);
    return 0;
}
