#pragma once
// Pieces every file export shares: RFC 4180 fields, JSON strings, and writing a file
// so that it is either complete or not there at all.

#include <filesystem>
#include <stdexcept>
#include <string>

namespace korvo {

// A file cannot be exported; the message names the file and the reason.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A CSV field of UTF-8 text: quoted, with quotes doubled, when it holds a comma, a
// quote, a line break or leading/trailing blanks.
std::string CsvField(const std::string& utf8);

// A JSON string literal of UTF-8 text.
std::string JsonQuoted(const std::string& utf8);

// Writes the file safely (see WriteFileSafely); throws ExportError, leaving the old
// file and no temporary behind, when that fails.
void ReplaceFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace korvo
