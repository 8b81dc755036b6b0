#include "online/trend_file.h"

#include "docs/export_text.h"
#include "station/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvo {

namespace {

std::string CannotWrite(const std::filesystem::path& file, int error) {
    return "cannot write " + file.string() + ": " + std::strerror(error);
}

}  // namespace

std::unique_ptr<TrendFile> TrendFile::Open(const std::filesystem::path& file, std::string* error) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error != nullptr) *error = CannotWrite(file, errno);
        return nullptr;
    }
    std::unique_ptr<TrendFile> trend(new TrendFile(fd, file));
    if (!trend->WriteAll(TrendCsvHeader())) {
        if (error != nullptr) *error = trend->Error();
        return nullptr;
    }
    return trend;
}

TrendFile::~TrendFile() { ::close(fd_); }

void TrendFile::Only(std::vector<std::size_t> points) {
    only_.clear();
    if (points.empty()) return;
    only_.assign(*std::max_element(points.begin(), points.end()) + 1, false);
    for (std::size_t p : points) only_[p] = true;
}

void TrendFile::Write(const TrendHistory& history, const std::vector<TrendReading>& readings) {
    if (Failed()) return;
    std::string text;
    std::size_t rows = 0;
    for (const TrendReading& r : readings) {
        if (!only_.empty() && (r.point >= only_.size() || !only_[r.point])) continue;
        if (r.point >= history.Points().size()) continue;
        text += TrendCsvRow(history.Points()[r.point], r);
        ++rows;
    }
    // One write per cycle: whatever stops the program, the file ends with a whole row.
    if (!text.empty() && WriteAll(text)) rows_ += rows;
}

bool TrendFile::WriteAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = CannotWrite(path_, n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string TrendHistoryCsv(const TrendHistory& history, const std::vector<std::size_t>& points, TrendTime from,
                            TrendTime to) {
    struct Row {
        TrendTime ms;
        std::size_t point;
        double value;
    };
    std::vector<Row> rows;
    for (std::size_t p : points) {
        if (p >= history.Points().size()) continue;
        const PointRing& ring = history.History(p);
        for (std::size_t i = ring.LowerBound(from); i < ring.Size(); ++i) {
            const TrendSample s = ring.At(i);
            if (s.ms > to) break;
            rows.push_back({s.ms, p, s.value});
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.ms < b.ms; });
    std::string text = TrendCsvHeader();
    for (const Row& row : rows) {
        const TrendPoint& point = history.Points()[row.point];
        const std::string value =
            point.unit.empty() ? std::to_string(static_cast<long>(row.value)) : FixedText(row.value, point.decimals);
        text += IsoTimeText(row.ms) + "," + CsvField(Cp1252ToUtf8(point.tag)) + ",," + value + "," +
                CsvField(Cp1252ToUtf8(point.unit)) + ",\r\n";
    }
    return text;
}

}  // namespace korvo
