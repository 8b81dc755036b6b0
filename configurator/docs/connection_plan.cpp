#include "connection_plan.h"

#include "connection_description.h"
#include "tag_names.h"

#include "station/dotted_address.h"
#include "station/property_call.h"
#include "station/catalogue.h"
#include "station/station_model.h"

#include <algorithm>
#include <optional>

namespace korvo {

namespace {

enum class EntryKind { Station, Module, Row };

std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

void AddModuleRows(const StationModel& model, int slot, PlanRows& rows) {
    const TModul* module = model.Module(slot);
    if (module == nullptr) return;
    const ConnectionRow* connection = FindConnection(module->ModulType);
    std::optional<ConnectionDescription> description;
    if (connection != nullptr) {
        description = ConnectionDescription::Load(DescriptionFile(model.ProgramFolder(), connection->typeKey));
    }
    const ModuleTags tags = TagNamesOf(model, slot);
    const int offset = SlotOffsetOf(model, slot);

    for (std::size_t i = 0; i < tags.points.size(); ++i) {
        if (!description) {
            throw PlanError("module type \"" + module->ModulType + "\" in slot " + std::to_string(slot) +
                            " has no connection description");
        }
        const ConnectionPoint point = description->Point(static_cast<int>(i));
        rows.connectionTexts.push_back(" " + std::to_string(point.number + offset) + std::string(13, ' ') +
                                       point.description);
        rows.tags.push_back(tags.points[i]);
        rows.parameterTexts.emplace_back();
    }
    for (std::size_t i = 0; i < tags.parameters.size(); ++i) {
        rows.connectionTexts.emplace_back(18, ' ');
        rows.tags.push_back(tags.parameters[i]);
        rows.parameterTexts.push_back("  " + module->ParameterComment[i + 1]);
    }
}

void BuildConnectionPlan(const StationModel& model, std::vector<std::string>& lines) {
    BuildConnectionPlan(model, lines, 1, model.ModuleCount);
}

bool StationSlots(const StationModel& model, int station, int& first, int& last) {
    first = 0;
    for (int slot = 1; slot <= model.ModuleCount; ++slot) {
        const TModul* module = model.Module(slot);
        if (module == nullptr || !module->IsCoupler()) continue;
        if (first > 0) {
            last = slot - 1;
            return true;
        }
        if (module->StationsNummmer == station) first = slot;
    }
    last = model.ModuleCount;
    return first > 0;
}

void BuildConnectionPlan(const StationModel& model, std::vector<std::string>& lines, int first, int last) {
    PlanRows entries;
    // Headers are told from rows by their kind, not their text, so a station or type
    // name that contains a header word never swallows the rows behind it.
    std::vector<EntryKind> kinds;
    for (int slot = std::max(first, 1); slot <= std::min(last, model.ModuleCount); ++slot) {
        const TModul* module = model.Module(slot);
        if (module == nullptr) continue;
        entries.connectionTexts.emplace_back();
        entries.parameterTexts.emplace_back();
        if (module->ModulType == kCouplerType) {
            // The address the connection uses, not a typed form with leading zeros.
            entries.tags.push_back("  Stationname   : " + module->StationName + "    IP Address  : " +
                                   DecimalAddress(module->IPAddress));
            kinds.push_back(EntryKind::Station);
        } else {
            entries.tags.push_back("    Modul Type  : " + module->ModulType + "             number : " +
                                   std::to_string(module->Nummer));
            kinds.push_back(EntryKind::Module);
        }
        AddModuleRows(model, slot, entries);
        kinds.resize(entries.tags.size(), EntryKind::Row);
    }

    std::vector<std::string> plan;
    bool headerDue = false;
    int row = 0;
    for (std::size_t i = 0; i < entries.tags.size(); ++i) {
        switch (kinds[i]) {
            case EntryKind::Module:
                plan.insert(plan.end(), {std::string(), entries.tags[i], std::string()});
                headerDue = true;
                row = 0;
                break;
            case EntryKind::Station:
                plan.insert(plan.end(), {std::string(), entries.tags[i], std::string()});
                headerDue = false;
                break;
            case EntryKind::Row:
                if (headerDue) {
                    plan.emplace_back(kPlanColumnHeader);
                    headerDue = false;
                }
                ++row;
                plan.push_back(RightAligned(std::to_string(row), 10) + std::string(4, ' ') +
                               entries.connectionTexts[i] + std::string(10, ' ') + entries.tags[i] +
                               entries.parameterTexts[i]);
                break;
        }
    }
    lines.insert(lines.end(), plan.begin(), plan.end());
}

}  // namespace korvo
