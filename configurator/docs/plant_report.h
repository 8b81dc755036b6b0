#pragma once
// One commissioning report of a plant section from the records of several machines:
// the configuration check results (`korvo check --all --record`) and the I/O test
// records (`korvo io --record`, the record window's JSON), merged by station and point.
// The latest verdict per point wins, and the report says who recorded it and when.

#include <filesystem>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

// One record file as read: who made it is the first folder below the records folder
// (one folder per engineer's machine), or "" for a file directly in it.
struct PlantRecordFile {
    std::filesystem::path path;
    std::string recordedBy;
};

struct ReportedPoint {
    int slot = 0;
    std::string tag;        // UTF-8, as the records write it
    std::string direction;  // "input" / "output"
    std::string result;     // "tested", "not seen at 1", ..., "not tested" without a record
    bool complete = false;
    std::string recordedBy;
    std::string when;  // the end of the test that gave the verdict
};

struct ReportedStation {
    int station = 0;
    std::string name;  // UTF-8
    std::string address;
    std::string check = "not checked";  // "match", the first difference, or why not
    bool match = false;
    std::string checkedBy;
    std::string checkedWhen;
    std::vector<ReportedPoint> points;
    int CompleteCount() const;
};

struct PlantReport {
    std::string project;  // file name
    std::vector<ReportedStation> stations;
    // Files left out, and why ("machine-b/io.json: line 3, column 7: expected ':'").
    std::vector<std::string> problems;
    int recordFiles = 0;  // files merged
};

// Every *.json below the folder, in path order; the folder must exist.
std::vector<PlantRecordFile> FindPlantRecords(const std::filesystem::path& folder);

// The project's stations with their points, and what the files say about them.
PlantReport MergePlantReport(const StationModel& model, const std::string& projectName,
                             const std::vector<PlantRecordFile>& files);

// The report as text lines (UTF-8), as `korvo report --text` prints it and the PDF shows it.
std::vector<std::string> PlantReportLines(const PlantReport& report);

}  // namespace korvo
