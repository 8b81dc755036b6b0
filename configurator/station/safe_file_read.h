#pragma once
// The one way the program reads a file at run time: only a regular file is read,
// never a folder, FIFO or device, and only up to the size its kind can sensibly
// have, so a wrong file named in a project or placed next to the program can
// neither hang the program nor fill its memory.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace korvo {

enum class FileKind {
    Profile,      // projects, the catalogue, the automatic save
    Description,  // connection descriptions
    Picture,      // module and connection pictures, help pages, the about box
};

// The largest file of the kind that is read.
std::uintmax_t SizeLimit(FileKind kind);

// A file could not be read; what() is "Cannot read "FILE": REASON".
class FileReadError : public std::runtime_error {
public:
    FileReadError(const std::filesystem::path& file, const std::string& reason, bool missing);
    const std::string& Reason() const { return reason_; }
    // There is no file of that name (as opposed to one that cannot be read).
    bool Missing() const { return missing_; }

private:
    std::string reason_;
    bool missing_;
};

// The whole file. Throws FileReadError when it is missing, not a regular file,
// larger than the kind's limit or unreadable.
std::string ReadFileSafely(const std::filesystem::path& file, FileKind kind);

}  // namespace korvo
