#include "export_text.h"

#include "station/safe_file_write.h"

#include <cstdio>

namespace korvo {

std::string CsvField(const std::string& utf8) {
    const bool quote = utf8.find_first_of(",\"\r\n") != std::string::npos ||
                       (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
    if (!quote) return utf8;
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string JsonQuoted(const std::string& utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void ReplaceFile(const std::filesystem::path& file, const std::string& bytes) {
    if (const std::optional<std::string> why = WriteFileSafely(file, bytes)) {
        throw ExportError("cannot write \"" + file.string() + "\": " + *why);
    }
}

}  // namespace korvo
