#include "profile_file.h"

#include "versch.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
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
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return profile;
    if (std::filesystem::is_directory(path, ec)) {
        throw ProfileError("Cannot read \"" + path.string() + "\": it is a folder");
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxFileSize) {
        throw ProfileError("Cannot read \"" + path.string() + "\": the file is larger than " +
                           std::to_string(kMaxFileSize / (1024 * 1024)) + " MB");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ProfileError("Cannot read \"" + path.string() + "\": " + ErrnoText(errno));
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        throw ProfileError("Cannot read \"" + path.string() + "\": read error");
    }
    profile.Parse(content.str());
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

void ProfileFile::SaveAs(const std::filesystem::path& path) const {
    if (path.empty()) throw ProfileError("Cannot save: no file name given");
    const std::string target = path.string();
    const std::string text = Text();
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        throw ProfileError("Cannot save \"" + target + "\": " + ErrnoText(errno));
    }
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw ProfileError("Cannot save \"" + target + "\": " + ErrnoText(error));
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
    if (::fsync(fd) != 0) fail(errno);
    // mkstemp creates the file readable by its owner only: keep the permissions of the
    // file being replaced, or give a new file those the user's umask allows.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw ProfileError("Cannot save \"" + target + "\": " + ErrnoText(error));
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw ProfileError("Cannot save \"" + target + "\": " + ErrnoText(error));
    }
}

}  // namespace korvo
