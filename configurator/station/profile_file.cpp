#include "profile_file.h"

#include "safe_file_read.h"
#include "safe_file_write.h"
#include "versch.h"

#include <new>

namespace korvo {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimView(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::size_t ProfileFile::NoCaseHash::operator()(std::string_view text) const noexcept {
    // FNV-1a over the lower-cased bytes.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(LowerAscii(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

bool ProfileFile::NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

ProfileFile::ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

ProfileFile ProfileFile::Load(const std::filesystem::path& path) {
    ProfileFile profile(path);
    std::string content;
    try {
        content = ReadFileSafely(path, FileKind::Profile);
    } catch (const FileReadError& e) {
        if (e.Missing()) return profile;
        throw ProfileError(e.what());
    }
    try {
        profile.Parse(content);
    } catch (const std::bad_alloc&) {
        throw ProfileError("Cannot read \"" + path.string() + "\": not enough memory");
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
        // CR, LF and CR LF all end a line: files from old editors end lines with CR
        // alone, and a stray CR must not join two lines into one.
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;

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
        if (added.isEntry) section.keyIndex.try_emplace(added.key, section.lines.size() - 1);
    }
    RebuildSectionIndex();
}

void ProfileFile::RebuildSectionIndex() {
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        sectionIndex_.try_emplace(sections_[i].name, i);
    }
}

const ProfileFile::Section* ProfileFile::FindSection(std::string_view name) const {
    const auto it = sectionIndex_.find(name);
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

ProfileFile::Section* ProfileFile::FindSection(std::string_view name) {
    const auto it = sectionIndex_.find(name);
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const ProfileFile::Line* ProfileFile::FindLine(const Section& section, std::string_view key) {
    const auto it = section.keyIndex.find(key);
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
        sectionIndex_.try_emplace(std::string(section), sections_.size() - 1);
        s = &sections_.back();
    }
    const auto it = s->keyIndex.find(key);
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
        if (s->lines[i].isEntry) s->keyIndex.try_emplace(s->lines[i].key, i);
    }
}

void ProfileFile::EraseSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return NoCaseEqual{}(s.name, section); });
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
    if (const std::optional<std::string> why = WriteFileSafely(path, Text())) {
        throw ProfileError("Cannot save \"" + path.string() + "\": " + *why);
    }
}

}  // namespace korvo
