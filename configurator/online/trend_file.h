#pragma once
// A trend file written as the test goes: the header when it opens, then the rows of
// every cycle in one write each, straight to the file, so a run that is killed leaves
// every complete row behind. Used by `korvo io --trend` and the window's "record trend...".
// Also the export of what the histories hold (the trend panes' "export CSV").

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
    ~TrendFile();
    TrendFile(const TrendFile&) = delete;
    TrendFile& operator=(const TrendFile&) = delete;

    // Only these points (indexes into the history's points) from now on; all when empty.
    void Only(std::vector<std::size_t> points);
    // The rows of one cycle. After a failed write nothing more is written and
    // Error() says why.
    void Write(const TrendHistory& history, const std::vector<TrendReading>& readings);
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    std::size_t Rows() const { return rows_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    TrendFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
    bool WriteAll(const std::string& text);

    int fd_;
    std::filesystem::path path_;
    std::vector<bool> only_;
    std::string error_;
    std::size_t rows_ = 0;
};

// The samples of the points between from and to (ms) as a trend file's text, in time
// order; the history keeps no word, so the raw column stays empty.
std::string TrendHistoryCsv(const TrendHistory& history, const std::vector<std::size_t>& points, TrendTime from,
                            TrendTime to);

}  // namespace korvo
