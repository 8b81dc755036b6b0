#include "export_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

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
    std::random_device random;
    std::filesystem::path temporary = file;
    temporary += ".tmp" + std::to_string(random() % 1000000);
    const auto fail = [&](const std::string& why) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw ExportError("cannot write \"" + file.string() + "\": " + why);
    };
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) fail(std::strerror(errno));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) fail(std::strerror(errno));
    }
    std::error_code ec;
    std::filesystem::rename(temporary, file, ec);
    if (ec) fail(ec.message());
}

}  // namespace korvo
