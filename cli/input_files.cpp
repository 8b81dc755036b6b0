#include "input_files.h"

#include <filesystem>
#include <system_error>

namespace korvo {

std::optional<std::string> MissingInputFile(const std::string& catalogue, const std::string& project) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(catalogue, ec))
        return "cannot open the module catalogue \"" + catalogue + "\": no such file";
    if (!std::filesystem::is_regular_file(project, ec)) return "cannot open the project \"" + project + "\": no such file";
    return std::nullopt;
}

std::string UnknownTypesRefusal(const ProjectLoadReport& report) {
    std::string slots;
    for (const int slot : report.unknownTypes) slots += (slots.empty() ? "" : ", ") + std::to_string(slot);
    const bool one = report.unknownTypes.size() == 1;
    return std::string(one ? "module " : "modules ") + slots + " of the project " + (one ? "has" : "have") +
           " no type the catalogue knows; nothing is written (--skip-unknown goes on without " +
           (one ? "its" : "their") + " process data)";
}

}  // namespace korvo
