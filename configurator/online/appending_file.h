#pragma once
// A file written as a test goes: created with its header, then each piece in one write,
// straight to the file, so a run that is killed leaves every complete piece behind.
// After a failed write nothing more is written and Error() says why.

#include <filesystem>
#include <memory>
#include <string>

namespace korvo {

class AppendingFile {
public:
    // Creates or replaces the file and writes the header; null with *error set
    // ("cannot write /x/y.csv: Permission denied") when it cannot.
    static std::unique_ptr<AppendingFile> Open(const std::filesystem::path& file, const std::string& header,
                                               std::string* error);
    ~AppendingFile();
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

    bool Append(const std::string& text);
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    AppendingFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}

    int fd_;
    std::filesystem::path path_;
    std::string error_;
};

}  // namespace korvo
