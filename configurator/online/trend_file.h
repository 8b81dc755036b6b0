#pragma once
// A trend file written as the test goes: the header when it opens, then the rows of
// every cycle in one write each, so a run that is killed leaves every complete row. Used by `korvo io --trend` and the window's "record trend...".
// Also the export of what the histories hold (the trend panes' "export CSV").

#include "online/appending_file.h"
#include "online/trend_history.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace korvo {

class TrendFile {
public:
    // Creates or replaces the file and writes the header; null with *error set
    // ("cannot write /x/y.csv: Permission denied") when it cannot.
    static std::unique_ptr<TrendFile> Open(const std::filesystem::path& file, std::string* error);

    // Only these points (indexes into the history's points) from now on; all when empty.
    void Only(std::vector<std::size_t> points);
    // The rows of one cycle. After a failed write nothing more is written and
    // Error() says why.
    void Write(const TrendHistory& history, const std::vector<TrendReading>& readings);
    bool Failed() const { return file_->Failed(); }
    const std::string& Error() const { return file_->Error(); }
    std::size_t Rows() const { return rows_; }
    const std::filesystem::path& Path() const { return file_->Path(); }

private:
    explicit TrendFile(std::unique_ptr<AppendingFile> file) : file_(std::move(file)) {}
    // The row TrendCsvRow makes, from texts made once per point and once per time: a
    // cycle writes a row for every point of the station.
    void AppendRow(std::string& text, const TrendPoint& point, const TrendReading& reading);

    std::unique_ptr<AppendingFile> file_;
    std::vector<bool> only_;
    std::size_t rows_ = 0;
    std::vector<std::string> tagFields_;  // per point, quoted as CSV wants
    std::vector<std::string> units_;      // per point: the unit and its field
    std::vector<std::string> unitFields_;
    TrendTime timeOf_ = -1;
    std::string timeText_;
};

// The samples of the points between from and to (ms) as a trend file's text, in time
// order; the history keeps no word, so the raw column stays empty.
std::string TrendHistoryCsv(const TrendHistory& history, const std::vector<std::size_t>& points, TrendTime from,
                            TrendTime to);

}  // namespace korvo
