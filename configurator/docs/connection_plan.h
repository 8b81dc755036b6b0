#pragma once
// The connection plan of all stations: per station a line with its name and address,
// per module a line with its type and slot, a column header, and one numbered line
// per input/output point (connector number, description, tag) and per parameter
// (tag, comment). The printed "Connection List" and "korvo plan" show these lines.

#include <string>
#include <vector>

namespace korvo {

class StationModel;

// The column header of a module whose descriptions and tags are short; longer ones
// move "TagName" and "Parameter" right, over their columns.
inline constexpr const char* kPlanColumnHeader =
    "        no.  connector   connection point        TagName           Parameter";

// Three parallel lists, one entry per row of the plan.
struct PlanRows {
    std::vector<std::string> connectionTexts;
    std::vector<std::string> tags;
    std::vector<std::string> parameterTexts;
};

// Appends the rows of the module in the slot: its input/output points from the
// type's description file in documents/, then its parameters. Throws PlanError
// (naming the file and line) when the description is missing or does not fit.
void AddModuleRows(const StationModel& model, int slot, PlanRows& rows);

// Appends the plan of the whole station list to lines. Throws PlanError and appends
// nothing when a module's rows cannot be built.
void BuildConnectionPlan(const StationModel& model, std::vector<std::string>& lines);
// The same for the slots first..last only (one station of the list).
void BuildConnectionPlan(const StationModel& model, std::vector<std::string>& lines, int first, int last);

// Slots of the coupler with the station number and of the modules behind it up to the
// next coupler; false when there is no such station.
bool StationSlots(const StationModel& model, int station, int& first, int& last);

}  // namespace korvo
