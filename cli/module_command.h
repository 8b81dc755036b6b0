#pragma once
// "korvo module": a module's properties dialog without its window. Shows the module
// as the dialog shows it on opening, selects options as clicks on them would, sends
// output values, and saves like "Save Configuration" into the project file.

#include <iosfwd>
#include <string>
#include <vector>

namespace korvo {

// Runs the command with its arguments (after the word "module"). Exit status 0 on
// success, 1 when a value lay outside its range (the field took the limit), 2 on bad
// arguments, files, slots or captions, with a one-line error on err.
int RunModuleCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                     std::ostream& out, std::ostream& err);

}  // namespace korvo
