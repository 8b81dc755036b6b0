// Fuzz target for the values of the module catalogue: the input is taken as
// "korvo_config.ini", the types it lists are placed in a station (two large
// counts already overflow a sum), and the process-image addresses must stay
// within what the range-checked counts allow.
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/station_model.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const korvo::ProfileFile catalogue =
        korvo::ProfileFile::FromText(std::string_view(reinterpret_cast<const char*>(data), size));
    const korvo::CatalogueList list = korvo::ReadCatalogueList(catalogue);
    if (list.TypeEntryCount() == 0) return 0;

    // Every listed type at least once, and enough modules that large counts add up.
    const int modules = std::min(korvo::StationModel::kMaxModules, std::max(10, 1 + list.TypeEntryCount()));
    korvo::StationModel model(&catalogue, "/");
    model.AppendModule(korvo::kCouplerType);
    for (int i = 0; model.ModuleCount < modules; ++i) {
        const auto& type = list.CatalogueTypes[static_cast<std::size_t>(1 + i % list.TypeEntryCount())];
        model.AppendModule(type.name);
    }
    model.Renumber();
    const int limit = modules * korvo::StationModel::kMaxModuleBytes;
    for (int slot = 1; slot <= model.ModuleCount; ++slot) {
        const korvo::TModul& m = *model.Module(slot);
        if (m.Input < 0 || m.Input > korvo::StationModel::kMaxModuleBytes || m.output < 0 ||
            m.output > korvo::StationModel::kMaxModuleBytes || m.InputStart() < 0 || m.OutputStart() < 0 ||
            m.ByteOffsetInput > limit || m.ByteOffsetOutput > limit || m.breite < 0) {
            std::abort();
        }
    }
    return 0;
}
