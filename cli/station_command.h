#pragma once
// "korvo station": the address map of a project, the byte ranges of every module's
// inputs and outputs in its station's process image.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

// Runs the command with its arguments (after the word "station"). Exit status 0 on
// success, 2 on bad arguments or files, with a one-line error on err.
int RunStationCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                      std::ostream& out, std::ostream& err);

void PrintAddressMap(const StationModel& model, std::ostream& out);
void PrintAddressMapJson(const StationModel& model, std::ostream& out);

}  // namespace korvo
