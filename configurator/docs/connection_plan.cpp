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

std::string LeftAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// A row: the number in 10 characters, 4 blanks, then the connection text.
constexpr std::size_t kRowPrefix = 14;
constexpr std::size_t kTagGap = 10;
// The narrowest columns give the column header of old: "TagName" at 49, "Parameter" at 67.
constexpr std::size_t kMinConnectionWidth = 25;
constexpr std::size_t kMinTagWidth = 16;
constexpr std::size_t kCommentGap = 2;  // the blanks in front of every parameter comment

// The widths of a module's connection and tag columns, wide enough for all its rows,
// so every tag stands under "TagName" and every comment under "Parameter".
struct ColumnWidths {
    std::size_t connection = kMinConnectionWidth;
    std::size_t tag = kMinTagWidth;
};

std::string ColumnHeader(const ColumnWidths& widths) {
    return LeftAligned("        no.  connector   connection point", kRowPrefix + widths.connection + kTagGap) +
           LeftAligned("TagName", widths.tag + kCommentGap) + "Parameter";
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
        // A connector number of several digits keeps the description in its column.
        rows.connectionTexts.push_back(LeftAligned(" " + std::to_string(point.number + offset), 15) +
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
    ColumnWidths widths;
    for (std::size_t i = 0; i < entries.tags.size(); ++i) {
        switch (kinds[i]) {
            case EntryKind::Module:
                plan.insert(plan.end(), {std::string(), entries.tags[i], std::string()});
                headerDue = true;
                row = 0;
                widths = ColumnWidths{};
                for (std::size_t k = i + 1; k < entries.tags.size() && kinds[k] == EntryKind::Row; ++k) {
                    widths.connection = std::max(widths.connection, entries.connectionTexts[k].size());
                    widths.tag = std::max(widths.tag, entries.tags[k].size());
                }
                break;
            case EntryKind::Station:
                plan.insert(plan.end(), {std::string(), entries.tags[i], std::string()});
                headerDue = false;
                break;
            case EntryKind::Row:
                if (headerDue) {
                    plan.push_back(ColumnHeader(widths));
                    headerDue = false;
                }
                ++row;
                // Point rows end with their tag, without blanks behind it.
                plan.push_back(RightAligned(std::to_string(row), 10) + std::string(4, ' ') +
                               LeftAligned(entries.connectionTexts[i], widths.connection) +
                               std::string(kTagGap, ' ') +
                               (entries.parameterTexts[i].empty()
                                    ? entries.tags[i]
                                    : LeftAligned(entries.tags[i], widths.tag) + entries.parameterTexts[i]));
                break;
        }
    }
    lines.insert(lines.end(), plan.begin(), plan.end());
}

}  // namespace korvo
