#pragma once
// The configuration check slot by slot: what the project expects at each bus position
// against what the coupler reported there, for the online log, the table window and
// `korvo check --json`.

#include "station/catalogue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

struct ConfigurationRow {
    int slot = 0;             // bus position, 1-based; passive modules take none
    std::string expected;     // the project's type there, empty beyond the project's modules
    std::string found;        // catalogue name(s) of the reported codes, or why none
    bool reported = false;    // the coupler reported a module at this position
    std::uint8_t idCode = 0;
    std::uint8_t lengthCode = 0;
    bool match = false;
};

// `busList` entries 1..busCount as the check decoded them (names filled from the
// catalogue). A position matches when the names reported there include the expected type.
std::vector<ConfigurationRow> CompareConfigurationRows(const StationModel& model, int station,
                                                       const std::vector<TAlleModule>& busList);

// "unknown module, ID 99h length 01h" for codes no catalogue type has.
std::string UnknownModuleText(std::uint8_t idCode, std::uint8_t lengthCode);

// The rows as the online log shows them: a heading, one line per position, the first
// difference marked "<-- first difference".
std::vector<std::string> ConfigurationRowLines(const std::vector<ConfigurationRow>& rows);

}  // namespace korvo
