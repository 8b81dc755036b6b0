#pragma once
// Tag names of a module's input/output points and parameters, and the two station
// facts they and the connector numbers depend on. Kept apart from the plan so that
// other exports of the station (a PLC variable list) name their tags the same way.

#include <string>
#include <vector>

namespace korvo {

class StationModel;

// The StationName of the coupler the module belongs to; a coupler's own name for a
// coupler; empty for a module no coupler owns (in front of the first coupler, a power
// feed).
std::string StationNameOf(const StationModel& model, int slot);

// Sum of the slots of the station's modules in front of the module, counted from its
// coupler; power feeds in between count, couplers themselves add nothing.
int SlotOffsetOf(const StationModel& model, int slot);

// "Station1_M3_DI_5": station name, slot number, connection group key, point number.
std::string PointTagName(const std::string& station, int number, const std::string& groupKey, int point);
// "Station1_M3_P2": station name, slot number, parameter number.
std::string ParameterTagName(const std::string& station, int number, int parameter);

// "Station1_M10_CT_IW2": a process-data word of a module whose points share a record
// (a counter, a multiplexed or command-driven module); word is "IW" or "QW" with its number.
std::string WordTagName(const std::string& station, int number, const std::string& groupKey, const std::string& word);

// All tag names of the module in the slot: its input/output points (inputs first) and
// its parameters (at most 32), in plan order. Needs no description file.
struct ModuleTags {
    std::vector<std::string> points;
    std::vector<std::string> parameters;
};
ModuleTags TagNamesOf(const StationModel& model, int slot);

}  // namespace korvo
