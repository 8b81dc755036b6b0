#pragma once
// The online commands of "korvo": check, io, diag, restart and ping against a coupler.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

// Each runs one command with its arguments (after the command word) and returns the
// exit status: 0 success, 1 the coupler answered but the result is negative (station
// differs, no echo reply, not back after a restart), 2 bad arguments or no connection.
int RunCheckCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue, std::ostream& out,
                    std::ostream& err);
int RunIoCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue, std::ostream& out,
                 std::ostream& err);
int RunDiagCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRestartCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunPingCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace korvo
