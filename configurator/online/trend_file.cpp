#include "online/trend_file.h"

#include "docs/export_text.h"
#include "station/text_encoding.h"

#include <algorithm>

namespace korvo {

std::unique_ptr<TrendFile> TrendFile::Open(const std::filesystem::path& file, std::string* error) {
    auto opened = AppendingFile::Open(file, TrendCsvHeader(), error);
    if (!opened) return nullptr;
    return std::unique_ptr<TrendFile>(new TrendFile(std::move(opened)));
}

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
        AppendRow(text, history.Points()[r.point], r);
        ++rows;
    }
    // One write per cycle: whatever stops the program, the file ends with a whole row.
    if (!text.empty() && file_->Append(text)) rows_ += rows;
}

void TrendFile::AppendRow(std::string& text, const TrendPoint& point, const TrendReading& reading) {
    if (reading.point >= tagFields_.size()) {
        tagFields_.resize(reading.point + 1);
        units_.resize(reading.point + 1);
        unitFields_.resize(reading.point + 1);
    }
    std::string& tag = tagFields_[reading.point];
    if (tag.empty()) tag = CsvField(Cp1252ToUtf8(point.tag));
    if (reading.ms != timeOf_) {
        timeOf_ = reading.ms;
        timeText_ = IsoTimeText(reading.ms);
    }
    const EngineeringValue& v = reading.value;
    text += timeText_;
    text += ',';
    text += tag;
    text += ',';
    text += std::to_string(v.diagnostic.empty() ? reading.raw : static_cast<std::int32_t>(v.word));
    text += ',';
    if (v.value) {
        text += FixedText(*v.value, v.decimals);
        if (units_[reading.point] != v.unit || unitFields_[reading.point].empty()) {
            units_[reading.point] = v.unit;
            unitFields_[reading.point] = CsvField(Cp1252ToUtf8(v.unit));
        }
        text += ',';
        text += unitFields_[reading.point];
    } else {
        if (v.diagnostic.empty()) text += std::to_string(reading.raw);
        text += ',';
    }
    text += ',';
    if (!v.diagnostic.empty()) text += CsvField(Cp1252ToUtf8(v.diagnostic));
    text += "\r\n";
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
