#include "plan_text.h"

#include "connection_description.h"

#include "station/text_encoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const std::string target = file.string();
    const std::string text = PlanText(lines);
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    const auto fail = [&](int error) {
        if (fd >= 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
        }
        throw PlanError("Cannot write \"" + target + "\": " + std::strerror(error));
    };
    if (fd < 0) fail(errno);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; an exported list is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw PlanError("Cannot write \"" + target + "\": " + std::strerror(error));
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw PlanError("Cannot write \"" + target + "\": " + std::strerror(error));
    }
}

}  // namespace korvo
