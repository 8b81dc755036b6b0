#pragma once
// The plain-text export of the connection plan: the plan lines exactly as the report
// prints them, one per line, in UTF-8.

#include <filesystem>
#include <string>
#include <vector>

namespace korvo {

std::string PlanText(const std::vector<std::string>& lines);

// Writes the text beside the target and renames it into place, so a failed export
// never leaves a half-written file. Throws PlanError naming the file.
void WritePlanText(const std::vector<std::string>& lines, const std::filesystem::path& file);

}  // namespace korvo
