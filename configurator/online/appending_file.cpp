#include "online/appending_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvo {

namespace {

std::string CannotWrite(const std::filesystem::path& file, int error) {
    return "cannot write " + file.string() + ": " + std::strerror(error);
}

}  // namespace

std::unique_ptr<AppendingFile> AppendingFile::Open(const std::filesystem::path& file, const std::string& header,
                                                   std::string* error) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error != nullptr) *error = CannotWrite(file, errno);
        return nullptr;
    }
    std::unique_ptr<AppendingFile> opened(new AppendingFile(fd, file));
    if (!opened->Append(header)) {
        if (error != nullptr) *error = opened->Error();
        return nullptr;
    }
    return opened;
}

AppendingFile::~AppendingFile() { ::close(fd_); }

bool AppendingFile::Append(const std::string& text) {
    if (Failed()) return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = CannotWrite(path_, n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace korvo
