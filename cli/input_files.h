#pragma once
// The checks every command that reads a station makes: its module catalogue and its
// project must be files, and a document needs every module's type in the catalogue.

#include "station/project_file.h"

#include <optional>
#include <string>

namespace korvo {

// Why the command cannot read them ("cannot open the module catalogue "…": no
// such file", the same for the project), or nothing when both are files.
std::optional<std::string> MissingInputFile(const std::string& catalogue, const std::string& project);

// The one-line refusal of a plan or export whose project names types the catalogue
// does not know (the load report has warned of each): such a document would give
// every later module of the station another address than the coupler uses.
std::string UnknownTypesRefusal(const ProjectLoadReport& report);

}  // namespace korvo
