#pragma once
// "korvo export": the address map of a project as a CSV table, an IEC 61131-3 global
// variable list or JSON, for the PLC program.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

// Runs the command with its arguments (after the word "export"). programFolder holds
// the folder documents with the connection descriptions. Exit status 0 on success, 2
// on bad arguments, a bad project or nothing to export, with a one-line error on err
// and no output file written.
int RunExportCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                     const std::string& programFolder, std::ostream& out, std::ostream& err);

}  // namespace korvo
