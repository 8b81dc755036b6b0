#include "tag_names.h"

#include "station/station_model.h"

namespace korvo {

std::string StationNameOf(const StationModel& model, int slot) {
    const TModul* module = model.Module(slot);
    if (module == nullptr) return {};
    if (module->IsCoupler()) return module->StationName;
    // Only couplers carry station numbers; a link of 0 or 999 names no coupler.
    std::string name;
    for (int i = 1; i <= model.ModuleCount; ++i) {
        const TModul* other = model.Module(i);
        if (other != nullptr && other->IsCoupler() && other->StationsNummmer == module->ModulZuStations) {
            name = other->StationName;
        }
    }
    return name;
}

int SlotOffsetOf(const StationModel& model, int slot) {
    int offset = 0;
    for (int i = 1; i < slot && i <= model.ModuleCount; ++i) {
        const TModul* module = model.Module(i);
        if (module == nullptr) continue;
        if (module->IsCoupler()) offset = 0;
        if (module->ModulZuStations > 0) offset += module->slots;
    }
    return offset;
}

std::string PointTagName(const std::string& station, int number, const std::string& groupKey, int point) {
    return station + "_M" + std::to_string(number) + "_" + groupKey + "_" + std::to_string(point);
}

std::string ParameterTagName(const std::string& station, int number, int parameter) {
    return station + "_M" + std::to_string(number) + "_P" + std::to_string(parameter);
}

}  // namespace korvo
