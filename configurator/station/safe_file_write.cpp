#include "safe_file_write.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvo {

namespace {

// The file a write must replace: a symbolic link is followed to the file it names.
std::optional<std::filesystem::path> WriteTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(target, ec)) return target;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) return target;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return std::nullopt;
}

// Makes a rename durable: the folder's entry is written out as well.
void SyncFolder(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::filesystem::path SavingName(const std::filesystem::path& target) {
    return std::filesystem::path(target.string() + kSavingSuffix);
}

std::optional<std::string> WriteFileSafely(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty()) return std::string("no file name given");
    const std::optional<std::filesystem::path> resolved = WriteTarget(path);
    if (!resolved) return std::string("too many levels of symbolic links");
    const std::string target = resolved->string();

    // A write-protected file is refused as the platform's own writing would
    // refuse it, instead of being replaced behind the user's back.
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) return std::string("it is a folder");
    // Renaming over a device, a FIFO or a socket would replace the node itself
    // with a regular file (as root even one of the system's devices).
    if (replacing && !S_ISREG(existing.st_mode)) return std::string("it exists and is not a regular file");
    if (replacing && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        return std::string("the file is write-protected");
    }

    const std::string temporary = SavingName(*resolved).string();
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return std::string(std::strerror(errno));
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return std::optional<std::string>(std::strerror(error));
    };
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    // The file created with owner-only access gets the permissions of the file
    // being replaced, or those the user's umask allows for a new one.
    if (replacing) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::string(std::strerror(error));
    }
    SyncFolder(*resolved);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::string(std::strerror(error));
    }
    SyncFolder(*resolved);
    return std::nullopt;
}

}  // namespace korvo
