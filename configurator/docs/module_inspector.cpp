#include "module_inspector.h"

#include "address_map_export.h"
#include "export_text.h"
#include "station/station_model.h"

#include <vector>

namespace korvo {

namespace {

std::string Range(int start, int count) {
    if (count <= 0) return "none";
    if (count == 1) return "byte " + std::to_string(start);
    return "bytes " + std::to_string(start) + ".." + std::to_string(start + count - 1);
}

std::vector<std::string> Lines(const StationModel& model, int slot) {
    const TModul* m = model.Module(slot);
    if (m == nullptr) return {};
    std::string station;
    if (m->IsCoupler()) {
        station = "station " + std::to_string(m->StationsNummmer) + " (" + m->StationName + ")";
    } else if (m->ModulZuStations == StationModel::kPowerFeedLink) {
        station = "power feed, no station";
    } else if (m->ModulZuStations > 0) {
        station = "station " + std::to_string(m->ModulZuStations);
    } else {
        station = "no station";
    }
    std::vector<std::string> lines{m->ModulType + ", slot " + std::to_string(slot) + ", " + station,
                                   "inputs " + Range(m->InputStart(), m->Input) + ", outputs " +
                                       Range(m->ByteOffsetOutput - m->output, m->output)};
    // The whole list, as the export numbers it: each station's image follows the one before.
    std::vector<const ExportRow*> own;
    AddressMapExport map;
    try {
        map = RenderAddressMap(model, ExportOptions{});
    } catch (const ExportError&) {
        return lines;
    }
    for (const ExportRow& row : map.rows) {
        if (row.entry.slot == slot) own.push_back(&row);
    }
    if (!own.empty()) {
        lines.push_back(own.size() == 1 ? "address " + own.front()->address
                                        : "addresses " + own.front()->address + " .. " + own.back()->address);
    }
    return lines;
}

}  // namespace

std::string ModuleInspectorText(const StationModel& model, int slot) {
    std::string text;
    for (const std::string& line : Lines(model, slot)) text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::string ModuleInspectorLine(const StationModel& model, int slot) {
    std::string text;
    for (const std::string& line : Lines(model, slot)) text += (text.empty() ? "" : "; ") + line;
    return text;
}

}  // namespace korvo
