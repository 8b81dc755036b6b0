#include "plan_text.h"

#include "connection_description.h"

#include "station/safe_file_write.h"
#include "station/text_encoding.h"

namespace korvo {

std::string PlanText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += Cp1252ToUtf8(line);
        text += '\n';
    }
    return text;
}

void WritePlanText(const std::vector<std::string>& lines, const std::filesystem::path& file) {
    if (const std::optional<std::string> why = WriteFileSafely(file, PlanText(lines))) {
        throw PlanError("Cannot write \"" + file.string() + "\": " + *why);
    }
}

}  // namespace korvo
