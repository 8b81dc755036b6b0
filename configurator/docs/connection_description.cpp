#include "connection_description.h"

#include "station/safe_file_read.h"
#include "station/versch.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace korvo {

namespace {

std::string Where(const std::filesystem::path& file, std::size_t lineIndex) {
    return file.string() + ", line " + std::to_string(lineIndex + 1);
}

// A line without a comma is all "number"; the message quotes only its start.
std::string Excerpt(const std::string& text) {
    constexpr std::size_t kShown = 40;
    return text.size() <= kShown ? text : text.substr(0, kShown) + "...";
}

bool IsMarker(const std::string& line) {
    if (line.size() != std::strlen(kConnectionMarker)) return false;
    return std::equal(line.begin(), line.end(), kConnectionMarker, [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

bool ParseDecimal(const std::string& text, int& value) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

}  // namespace

ConnectionDescription ConnectionDescription::Load(const std::filesystem::path& file) {
    std::string bytes;
    try {
        bytes = ReadFileSafely(file, FileKind::Description);
    } catch (const FileReadError& e) {
        throw PlanError(file.string() + ": cannot read the connection description: " + e.Reason());
    }
    return FromText(file, bytes);
}

ConnectionDescription ConnectionDescription::FromText(const std::filesystem::path& file, std::string_view text) {
    ConnectionDescription description;
    description.file_ = file;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        description.lines_.push_back(std::move(line));
        start = end + 1;
    }
    const auto marker = std::find_if(description.lines_.begin(), description.lines_.end(), IsMarker);
    if (marker == description.lines_.end()) {
        throw PlanError(file.string() + ": no line \"" + kConnectionMarker + "\" in front of the connection points");
    }
    description.marker_ = static_cast<std::size_t>(marker - description.lines_.begin());
    // Counted once: every point asks for it, and a file may end in many empty lines.
    std::size_t end = description.lines_.size();
    while (end > description.marker_ + 1 && description.lines_[end - 1].empty()) --end;
    description.dataLines_ = static_cast<int>(end - description.marker_ - 1);
    return description;
}

ConnectionPoint ConnectionDescription::Point(int k) const {
    const std::size_t index = marker_ + 1 + static_cast<std::size_t>(k);
    if (k < 0 || k >= DataLineCount()) {
        throw PlanError(Where(file_, index) + ": the module needs " + std::to_string(k + 1) +
                        " connection points after the marker line " + std::to_string(marker_ + 1) +
                        ", the file has " + std::to_string(DataLineCount()));
    }
    const std::string& line = lines_[index];
    const std::size_t comma = line.find(',');
    std::string number = line.substr(0, comma);
    TrimBlanks(number);
    ConnectionPoint point;
    // An empty line would repeat the previous number in a comma-list reading; here it is
    // an error. A number outside the range would name a connector of another module
    // once the slot offset is added, or overflow.
    if (!ParseDecimal(number, point.number) || point.number < kMinConnector || point.number > kMaxConnector) {
        throw PlanError(Where(file_, index) + ": \"" + Excerpt(number) + "\" is not a connector number (" +
                        std::to_string(kMinConnector) + ".." + std::to_string(kMaxConnector) + ")");
    }
    if (comma != std::string::npos) {
        point.description = line.substr(comma + 1);
        TrimBlanks(point.description);
        if (point.description.size() > kMaxPointDescription) point.description.resize(kMaxPointDescription);
    }
    return point;
}

std::filesystem::path DescriptionFile(const std::string& programFolder, const std::string& typeKey) {
    return std::filesystem::path(programFolder) / "documents" / (typeKey + ".txt");
}

}  // namespace korvo
