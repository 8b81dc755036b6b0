#pragma once
// The check every command that reads a station makes before it starts: its
// module catalogue and its project must be files.

#include <optional>
#include <string>

namespace korvo {

// Why the command cannot read them ("cannot open the module catalogue "…": no
// such file", the same for the project), or nothing when both are files.
std::optional<std::string> MissingInputFile(const std::string& catalogue, const std::string& project);

}  // namespace korvo
