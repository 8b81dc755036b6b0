#pragma once
// "korvo plan": the connection plan of a project, as the plan lines of the printed
// "Connection List" (text) or as that report in a PDF file.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

// Runs the command with its arguments (after the word "plan"). programFolder holds the
// folder documents with the connection descriptions. Exit status 0 on success, 2 when
// the arguments, the files or the plan are wrong, with a one-line error on err and no
// output file left behind.
int RunPlanCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                   const std::string& programFolder, std::ostream& out, std::ostream& err);

}  // namespace korvo
