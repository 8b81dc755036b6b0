#pragma once
// korvo report: one commissioning report of a plant section from the check results and
// I/O test records of several machines.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

// 0 written, 2 bad arguments or files (a record that cannot be read is named and left out).
int RunReportCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue, std::ostream& out,
                     std::ostream& err);

}  // namespace korvo
