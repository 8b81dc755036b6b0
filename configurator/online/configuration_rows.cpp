#include "online/configuration_rows.h"

#include "station/station_model.h"
#include "station/versch.h"

#include <algorithm>
#include <cstdio>

namespace korvo {

namespace {

bool IsPassive(const std::string& type) { return type == kPassiveType || type == kPassiveRowBreakType; }

std::string Hex2(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", value);
    return text;
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

}  // namespace

std::string UnknownModuleText(std::uint8_t idCode, std::uint8_t lengthCode) {
    return "unknown module, ID " + Hex2(idCode) + " length " + Hex2(lengthCode);
}

std::vector<ConfigurationRow> CompareConfigurationRows(const StationModel& model, int station,
                                                       const std::vector<TAlleModule>& busList) {
    std::vector<std::string> expected;
    for (int i = 1; i <= model.ModuleCount; ++i) {
        const TModul* m = model.Module(i);
        if (m != nullptr && m->ModulZuStations == station && !IsPassive(m->ModulType)) expected.push_back(m->ModulType);
    }
    const std::size_t count = std::max(expected.size(), busList.size());
    std::vector<ConfigurationRow> rows;
    rows.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        ConfigurationRow row;
        row.slot = static_cast<int>(k + 1);
        if (k < expected.size()) row.expected = expected[k];
        if (k < busList.size()) {
            const TAlleModule& entry = busList[k];
            row.reported = true;
            row.idCode = entry.idCode;
            row.lengthCode = entry.lengthCode;
            std::string names = entry.name;
            TrimBlanks(names);
            row.found = names.empty() ? UnknownModuleText(entry.idCode, entry.lengthCode) : names;
            row.match = !row.expected.empty() && entry.name.find(row.expected) != std::string::npos;
        } else {
            row.found = "(none reported)";
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> ConfigurationRowLines(const std::vector<ConfigurationRow>& rows) {
    std::vector<std::string> lines;
    lines.push_back(" slot  expected          found                                     ID   length");
    bool marked = false;
    for (const ConfigurationRow& row : rows) {
        std::string line = " " + Padded(std::to_string(row.slot), 5) + " " +
                           Padded(row.expected.empty() ? "(none)" : row.expected, 17) + " " + Padded(row.found, 41) +
                           " " + (row.reported ? Hex2(row.idCode) + "  " + Hex2(row.lengthCode) : std::string("-    -"));
        if (!row.match && !marked) {
            line += "   <-- first difference";
            marked = true;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace korvo
