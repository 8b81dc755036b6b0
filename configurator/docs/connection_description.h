#pragma once
// The connection description of a module type, documents/<type key>.txt: free lines,
// the marker line "connection point" (any case, nothing else on the line), then one
// data line per input/output point: connector number, comma, description.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvo {

inline constexpr const char* kConnectionMarker = "connection point";
inline constexpr std::size_t kMaxPointDescription = 255;
inline constexpr int kMinConnector = 1;
inline constexpr int kMaxConnector = 999;

// The plan cannot be built; the message names the file and, where there is one, the line.
class PlanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ConnectionPoint {
    int number = 0;            // on the module's own connector, 1..999
    std::string description;   // trimmed, at most 255 characters
};

class ConnectionDescription {
public:
    // Reads the file (FileKind::Description) and finds the marker. Throws PlanError
    // when the file cannot be read or has no marker line.
    static ConnectionDescription Load(const std::filesystem::path& file);
    // The same from the file's bytes; `file` names it in the errors.
    static ConnectionDescription FromText(const std::filesystem::path& file, std::string_view text);

    const std::filesystem::path& File() const { return file_; }
    // Lines after the marker, trailing empty lines not counted.
    int DataLineCount() const { return dataLines_; }
    // Data line k (0-based). Throws PlanError when the file has fewer data lines or the
    // text before the first comma is not a connector number, 1..999.
    ConnectionPoint Point(int k) const;

private:
    std::filesystem::path file_;
    std::vector<std::string> lines_;
    std::size_t marker_ = 0;  // index of the marker line
    int dataLines_ = 0;
};

// The description file of a type key in the program folder.
std::filesystem::path DescriptionFile(const std::string& programFolder, const std::string& typeKey);

}  // namespace korvo
