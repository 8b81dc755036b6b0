#pragma once
// "korvo bootp": the BOOTP server of the configurator's window without a window,
// armed from the start, optionally restarting the coupler first so that it asks for
// a new address.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

// Runs the command with its arguments (after the command word). program is the path
// of the running program, named in the hint on how to allow the port. Exit status:
// 0 a reply was sent, 1 none was sent in time, 2 bad arguments, the port cannot be
// bound or the restart failed.
int RunBootpCommand(const std::vector<std::string>& args, const std::string& program, std::ostream& out,
                    std::ostream& err);

}  // namespace korvo
