#include "profile_file.h"

#include "versch.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvo {

namespace {

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

std::string_view TrimView(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string ErrnoText(int error) {
    return std::string(std::strerror(error));
}

}  // namespace

ProfileFile::ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

ProfileFile ProfileFile::Load(const std::filesystem::path& path) {
    ProfileFile profile(path);
    const std::string name = path.string();
    const auto refuse = [&](const std::string& why) { return ProfileError("Cannot read \"" + name + "\": " + why); };
    // Non-blocking, so that opening a FIFO cannot wait for a writer; only a
    // regular file is read, so a device cannot feed bytes without end.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return profile;
        throw refuse(ErrnoText(errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) throw refuse(ErrnoText(errno));
    if (S_ISDIR(info.st_mode)) throw refuse("it is a folder");
    if (!S_ISREG(info.st_mode)) throw refuse("it is not a regular file");
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxFileSize) {
        throw refuse("the file is larger than " + std::to_string(kMaxFileSize / (1024 * 1024)) + " MB");
    }
    try {
        std::string content;
        content.resize(static_cast<std::size_t>(info.st_size));
        std::size_t filled = 0;
        // A file that grows while it is read is read up to the size it had.
        while (filled < content.size()) {
            const ssize_t n = ::read(fd, content.data() + filled, content.size() - filled);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw refuse(ErrnoText(errno));
            if (n == 0) break;
            filled += static_cast<std::size_t>(n);
        }
        content.resize(filled);
        profile.Parse(content);
    } catch (const std::bad_alloc&) {
        throw refuse("not enough memory");
    }
    return profile;
}

ProfileFile ProfileFile::FromText(std::string_view text) {
    ProfileFile profile;
    profile.Parse(text);
    return profile;
}

void ProfileFile::Parse(std::string_view text) {
    preamble_.clear();
    sections_.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const std::string_view trimmed = TrimView(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            const std::string_view name =
                close == std::string_view::npos ? trimmed.substr(1) : trimmed.substr(1, close - 1);
            sections_.push_back(Section{std::string(TrimView(name)), {}, {}});
            continue;
        }
        Line entry;
        const std::size_t eq = trimmed.find('=');
        if (trimmed.empty() || trimmed.front() == ';' || eq == std::string_view::npos) {
            entry.raw = std::string(line);
        } else {
            entry.isEntry = true;
            entry.key = std::string(TrimView(trimmed.substr(0, eq)));
            entry.value = std::string(TrimView(trimmed.substr(eq + 1)));
        }
        if (sections_.empty()) {
            preamble_.push_back(std::string(line));
            continue;
        }
        Section& section = sections_.back();
        section.lines.push_back(std::move(entry));
        const Line& added = section.lines.back();
        if (added.isEntry) section.keyIndex.try_emplace(Lower(added.key), section.lines.size() - 1);
    }
    RebuildSectionIndex();
}

void ProfileFile::RebuildSectionIndex() {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        sectionIndex_.try_emplace(Lower(sections_[i].name), i);
    }
}

const ProfileFile::Section* ProfileFile::FindSection(std::string_view name) const {
    const auto it = sectionIndex_.find(Lower(name));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

ProfileFile::Section* ProfileFile::FindSection(std::string_view name) {
    const auto it = sectionIndex_.find(Lower(name));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const ProfileFile::Line* ProfileFile::FindLine(const Section& section, std::string_view key) {
    const auto it = section.keyIndex.find(Lower(key));
    return it == section.keyIndex.end() ? nullptr : &section.lines[it->second];
}

std::vector<std::string> ProfileFile::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

bool ProfileFile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool ProfileFile::KeyExists(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    return s != nullptr && FindLine(*s, key) != nullptr;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const Section* s = FindSection(section);
    if (s == nullptr) return std::string(defaultValue);
    const Line* line = FindLine(*s, key);
    return line == nullptr ? std::string(defaultValue) : line->value;
}

std::int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const {
    const Section* s = FindSection(section);
    if (s == nullptr) return defaultValue;
    const Line* line = FindLine(*s, key);
    if (line == nullptr) return defaultValue;
    std::int32_t value = 0;
    return TryStrToInt(line->value, value) ? value : defaultValue;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = FindSection(section);
    if (s == nullptr) {
        sections_.push_back(Section{std::string(section), {}, {}});
        sectionIndex_.try_emplace(Lower(section), sections_.size() - 1);
        s = &sections_.back();
    }
    const auto it = s->keyIndex.find(Lower(key));
    if (it != s->keyIndex.end()) {
        s->lines[it->second].value = std::string(value);
        return;
    }
    // New keys go behind the last entry so blank lines and comments that close the
    // section stay in front of the next section header.
    std::size_t insertAt = s->lines.size();
    while (insertAt > 0 && !s->lines[insertAt - 1].isEntry) --insertAt;
    Line entry;
    entry.isEntry = true;
    entry.key = std::string(key);
    entry.value = std::string(value);
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(entry));
    s->keyIndex.clear();
    for (std::size_t i = 0; i < s->lines.size(); ++i) {
        if (s->lines[i].isEntry) s->keyIndex.try_emplace(Lower(s->lines[i].key), i);
    }
}

void ProfileFile::EraseSection(std::string_view section) {
    const std::string wanted = Lower(section);
    std::erase_if(sections_, [&](const Section& s) { return Lower(s.name) == wanted; });
    RebuildSectionIndex();
}

std::string ProfileFile::Text() const {
    std::string text;
    for (const std::string& line : preamble_) {
        text += line;
        text += "\r\n";
    }
    for (const Section& s : sections_) {
        text += '[';
        text += s.name;
        text += "]\r\n";
        for (const Line& line : s.lines) {
            if (line.isEntry) {
                text += line.key;
                text += '=';
                text += line.value;
            } else {
                text += line.raw;
            }
            text += "\r\n";
        }
    }
    return text;
}

void ProfileFile::Save() const {
    SaveAs(path_);
}

std::filesystem::path ProfileFile::SavingName(const std::filesystem::path& target) {
    return std::filesystem::path(target.string() + kSavingSuffix);
}

namespace {

// The file a save must replace: a symbolic link is followed to the file it
// names, so the link stays and the real file gets the new content.
std::filesystem::path SaveTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(target, ec)) return target;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) return target;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    throw ProfileError("Cannot save \"" + path.string() + "\": too many levels of symbolic links");
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

void ProfileFile::SaveAs(const std::filesystem::path& path) const {
    if (path.empty()) throw ProfileError("Cannot save: no file name given");
    const std::filesystem::path resolved = SaveTarget(path);
    const std::string target = resolved.string();
    const std::string shown = path.string();
    const auto refuse = [&](const std::string& why) { return ProfileError("Cannot save \"" + shown + "\": " + why); };

    // A write-protected file is refused as the platform's own writing would
    // refuse it, instead of being replaced behind the user's back.
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) throw refuse("it is a folder");
    if (replacing && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        throw refuse("the file is write-protected");
    }

    const std::string text = Text();
    // One fixed name per target: what a killed save left behind is replaced
    // by the next save instead of piling up.
    const std::string temporary = SavingName(resolved).string();
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) throw refuse(ErrnoText(errno));
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw refuse(ErrnoText(error));
    };
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    // The file created with owner-only access gets the permissions of the
    // file being replaced, or those the user's umask allows for a new one.
    if (replacing) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw refuse(ErrnoText(error));
    }
    SyncFolder(resolved);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw refuse(ErrnoText(error));
    }
    SyncFolder(resolved);
}

}  // namespace korvo
