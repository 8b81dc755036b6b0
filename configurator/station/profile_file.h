#pragma once
// An INI ("profile") file held in memory: sections in file order, case-insensitive
// section and key names, texts kept as bytes. Comments, blank lines and sections
// nobody touches survive a save unchanged; saving replaces the file atomically.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvo {

// Reading or writing a profile file failed; the message names the file and the reason.
class ProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::filesystem::path path);

    // Reads the file (FileKind::Profile); a missing file gives an empty profile. Throws
    // ProfileError when the file exists but cannot be read or is too large.
    static ProfileFile Load(const std::filesystem::path& path);
    static ProfileFile FromText(std::string_view text);

    const std::filesystem::path& Path() const { return path_; }

    std::vector<std::string> SectionNames() const;
    bool SectionExists(std::string_view section) const;
    bool KeyExists(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, "$" or "0x" hexadecimal; a missing key or a value that is not a number
    // gives the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;

    // Changes the key in place, or adds it at the end of its section; a missing section
    // is added at the end of the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void EraseSection(std::string_view section);

    // The file's text as it would be saved, CRLF line ends.
    std::string Text() const;

    // Writes the whole profile to Path() through a temporary file in the same folder
    // and a rename, so a failed save leaves the old file intact. Throws ProfileError.
    void Save() const;
    // Writes a temporary file beside the target (a symbolic link is
    // followed), syncs it and renames it over the target; a write-protected
    // target is refused.
    void SaveAs(const std::filesystem::path& path) const;

private:
    // Section and key names compare without regard to ASCII case; lookups by
    // string_view hash the name as it is, without making a lower-case copy.
    struct NoCaseHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept;
    };
    struct NoCaseEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };
    using NameIndex = std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual>;

    struct Line {
        std::string key;  // empty for comments and blank lines
        std::string value;
        std::string raw;  // comment or blank line text, kept as it was
        bool isEntry = false;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
        NameIndex keyIndex;  // key -> first line
    };

    void Parse(std::string_view text);
    void RebuildSectionIndex();
    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    static const Line* FindLine(const Section& section, std::string_view key);

    std::filesystem::path path_;
    std::vector<std::string> preamble_;  // lines before the first section
    std::vector<Section> sections_;
    NameIndex sectionIndex_;  // name -> first section
};

}  // namespace korvo
