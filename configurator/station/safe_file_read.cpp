#include "safe_file_read.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvo {

namespace {

constexpr std::uintmax_t kMiB = 1024u * 1024u;

}  // namespace

std::uintmax_t SizeLimit(FileKind kind) {
    switch (kind) {
        case FileKind::Profile: return 64 * kMiB;
        case FileKind::Description: return 1 * kMiB;
        case FileKind::Picture: return 32 * kMiB;
    }
    return 0;
}

FileReadError::FileReadError(const std::filesystem::path& file, const std::string& reason, bool missing)
    : std::runtime_error("Cannot read \"" + file.string() + "\": " + reason), reason_(reason), missing_(missing) {}

std::string ReadFileSafely(const std::filesystem::path& file, FileKind kind) {
    const auto refuse = [&](const std::string& why) { return FileReadError(file, why, false); };
    // Non-blocking, so that opening a FIFO cannot wait for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        throw FileReadError(file, std::strerror(error), error == ENOENT);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) throw refuse(std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw refuse("it is a folder");
    // A device or FIFO could feed bytes without end, or none for ever.
    if (!S_ISREG(info.st_mode)) throw refuse("it is not a regular file");
    const std::uintmax_t limit = SizeLimit(kind);
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        throw refuse("the file is larger than " + std::to_string(limit / kMiB) + " MiB");
    }
    std::string content;
    try {
        content.resize(static_cast<std::size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        throw refuse("not enough memory");
    }
    std::size_t filled = 0;
    // A file that grows while it is read is read up to the size it had.
    while (filled < content.size()) {
        const ssize_t n = ::read(fd, content.data() + filled, content.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw refuse(std::strerror(errno));
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    content.resize(filled);
    return content;
}

}  // namespace korvo
