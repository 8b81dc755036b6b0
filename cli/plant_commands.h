#pragma once
// The commands for many couplers: a station read from its coupler (scan), the
// couplers of a network (discover) and the check of every station (check --all).

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

// Exit status: 0 success, 1 negative result (a module the catalogue does not name
// alone, a station that differs or was not found), 2 bad arguments, files or no connection.
int RunScanCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue, std::ostream& out,
                   std::ostream& err);
int RunDiscoverCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                       std::ostream& out, std::ostream& err);
int RunCheckAllCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                       std::ostream& out, std::ostream& err);

}  // namespace korvo
