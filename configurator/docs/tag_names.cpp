#include "tag_names.h"

#include "station/property_call.h"
#include "station/station_model.h"

#include <algorithm>

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

std::string WordTagName(const std::string& station, int number, const std::string& groupKey, const std::string& word) {
    return station + "_M" + std::to_string(number) + "_" + groupKey + "_" + word;
}

ModuleTags TagNamesOf(const StationModel& model, int slot) {
    ModuleTags tags;
    const TModul* module = model.Module(slot);
    if (module == nullptr) return tags;
    const ConnectionRow* connection = FindConnection(module->ModulType);
    const std::string groupKey = connection != nullptr ? connection->groupKey : "";
    const std::string station = StationNameOf(model, slot);
    const int points = std::max(0, module->tag_anzahl_input + module->tag_anzahl_output);
    for (int i = 1; i <= points; ++i) tags.points.push_back(PointTagName(station, module->Nummer, groupKey, i));
    const int parameters = std::clamp(module->Parameter_input + module->Parameter_output, 0, TModul::kCommentCount);
    for (int i = 1; i <= parameters; ++i) tags.parameters.push_back(ParameterTagName(station, module->Nummer, i));
    return tags;
}

}  // namespace korvo
