#include "plant_report.h"

#include "address_map.h"
#include "json_value.h"
#include "station/safe_file_read.h"
#include "station/station_model.h"
#include "station/text_encoding.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace korvo {

int ReportedStation::CompleteCount() const {
    return static_cast<int>(std::count_if(points.begin(), points.end(), [](const ReportedPoint& p) { return p.complete; }));
}

std::vector<PlantRecordFile> FindPlantRecords(const std::filesystem::path& folder) {
    std::vector<PlantRecordFile> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec) || it->path().extension() != ".json") continue;
        const std::filesystem::path relative = it->path().lexically_relative(folder);
        const bool inFolder = std::distance(relative.begin(), relative.end()) > 1;
        files.push_back({it->path(), inFolder ? relative.begin()->string() : std::string()});
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return files;
}

namespace {

// The points of a station as its I/O test records them: a multiplexed module's
// input words become its channels.
std::vector<ReportedPoint> ExpectedPoints(const StationModel& model, int station) {
    std::vector<ReportedPoint> points;
    int expanded = 0;
    const auto add = [&points](const AddressEntry& e) {
        points.push_back({e.slot, Cp1252ToUtf8(e.tag), DirectionName(e.direction), "not tested", false, {}, {}});
    };
    for (const AddressEntry& entry : BuildAddressMap(model, station)) {
        if (entry.direction == PointDirection::Input) {
            if (entry.slot == expanded) continue;
            const std::vector<AddressEntry> channels = MultiplexedChannels(model, entry.slot);
            if (!channels.empty()) {
                expanded = entry.slot;
                for (const AddressEntry& channel : channels) add(channel);
                continue;
            }
        }
        add(entry);
    }
    return points;
}

// The station a record is of, or why it belongs to none of the project's.
ReportedStation* StationOf(PlantReport& report, const JsonValue& record, const std::string& nameKey,
                           std::string& why) {
    const auto number = record.Number("station");
    const std::string name = record.Text(nameKey);
    for (ReportedStation& s : report.stations) {
        if (number && static_cast<int>(*number) == s.station) {
            if (s.name == name) return &s;
            why = "a record of station " + std::to_string(s.station) + " \"" + name + "\", which the project names \"" +
                  s.name + "\"";
            return nullptr;
        }
    }
    why = "a record of station " + (number ? std::to_string(static_cast<int>(*number)) : std::string("?")) +
          " \"" + name + "\", which the project does not have";
    return nullptr;
}

// The file as the report names it: its machine's folder and its name.
std::string Shown(const PlantRecordFile& file) {
    const std::string name = file.path.filename().string();
    return file.recordedBy.empty() ? name : file.recordedBy + "/" + name;
}

}  // namespace

PlantReport MergePlantReport(const StationModel& model, const std::string& projectName,
                             const std::vector<PlantRecordFile>& files) {
    PlantReport report;
    report.project = projectName;
    for (int i = 1; i <= model.ModuleCount; ++i) {
        const TModul* m = model.Module(i);
        if (m == nullptr || !m->IsCoupler()) continue;
        ReportedStation s;
        s.station = m->StationsNummmer;
        s.name = Cp1252ToUtf8(m->StationName);
        s.address = m->IPAddress;
        s.points = ExpectedPoints(model, s.station);
        report.stations.push_back(std::move(s));
    }
    for (const PlantRecordFile& file : files) {
        const std::string shown = Shown(file);
        JsonParse parsed;
        try {
            parsed = ParseJson(ReadFileSafely(file.path, FileKind::Profile));
        } catch (const FileReadError& e) {
            report.problems.push_back(shown + ": " + e.Reason());
            continue;
        }
        if (!parsed.value) {
            report.problems.push_back(shown + ": " + parsed.error);
            continue;
        }
        const JsonValue& record = *parsed.value;
        const JsonValue* points = record.Member("points");
        const bool check = record.Member("rows") != nullptr && record.Bool("reachable").has_value();
        if ((points == nullptr || points->kind != JsonValue::Kind::Array) && !check) {
            report.problems.push_back(shown + ": neither a check result nor an I/O test record");
            continue;
        }
        std::string why;
        ReportedStation* station = StationOf(report, record, check ? "name" : "stationName", why);
        if (station == nullptr) {
            report.problems.push_back(shown + ": " + why + "; left out");
            continue;
        }
        ++report.recordFiles;
        if (check) {
            const std::string when = record.Text("finished");
            if (station->checkedWhen.empty() || when >= station->checkedWhen) {
                station->check = record.Text("result", "no result");
                station->match = record.Bool("match").value_or(false);
                station->checkedBy = file.recordedBy;
                station->checkedWhen = when;
            }
            continue;
        }
        const std::string ended = record.Text("ended");
        const std::string when = ended.empty() ? record.Text("started") : ended;
        for (const JsonValue& p : points->items) {
            const std::string tag = p.Text("tag");
            if (tag.empty()) continue;
            auto it = std::find_if(station->points.begin(), station->points.end(),
                                   [&](const ReportedPoint& r) { return r.tag == tag; });
            if (it == station->points.end()) {
                // A point the project no longer has still shows what was recorded.
                station->points.push_back({static_cast<int>(p.Number("slot").value_or(0)), tag,
                                           p.Text("direction"), "not tested", false, {}, {}});
                it = station->points.end() - 1;
            }
            if (!it->when.empty() && when < it->when) continue;
            it->result = p.Text("result", "no result");
            it->complete = p.Bool("complete").value_or(false);
            it->recordedBy = file.recordedBy;
            it->when = when;
        }
    }
    return report;
}

namespace {

std::string Padded(std::string text, std::size_t width) {
    std::size_t shown = 0;
    for (unsigned char c : text) shown += (c & 0xC0) != 0x80;
    if (shown < width) text.append(width - shown, ' ');
    return text + " ";
}

std::string ByWhen(const std::string& by, const std::string& when) {
    if (when.empty()) return {};
    return " (" + (by.empty() ? std::string("records folder") : by) + ", " + when + ")";
}

}  // namespace

std::vector<std::string> PlantReportLines(const PlantReport& report) {
    std::vector<std::string> lines;
    int matching = 0;
    int complete = 0;
    int points = 0;
    for (const ReportedStation& s : report.stations) {
        matching += s.match;
        complete += s.CompleteCount();
        points += static_cast<int>(s.points.size());
    }
    lines.push_back("Commissioning report of " + report.project);
    lines.push_back(std::to_string(report.stations.size()) + " station(s), " + std::to_string(matching) +
                    " match; " + std::to_string(complete) + " of " + std::to_string(points) + " point(s) tested; " +
                    std::to_string(report.recordFiles) + " record file(s) merged");
    for (const ReportedStation& s : report.stations) {
        lines.push_back("");
        lines.push_back("Station " + std::to_string(s.station) + " \"" + s.name + "\" " + s.address);
        lines.push_back("  configuration check: " + s.check + ByWhen(s.checkedBy, s.checkedWhen));
        lines.push_back("  I/O test: " + std::to_string(s.CompleteCount()) + " of " + std::to_string(s.points.size()) +
                        " point(s) tested");
        if (s.points.empty()) continue;
        lines.push_back("  " + Padded("slot", 4) + Padded("tag", 24) + Padded("dir", 6) + Padded("result", 18) +
                        Padded("by", 12) + "when");
        for (const ReportedPoint& p : s.points) {
            lines.push_back("  " + Padded(std::to_string(p.slot), 4) + Padded(p.tag, 24) +
                            Padded(p.direction == "input" ? "in" : p.direction == "output" ? "out" : p.direction, 6) +
                            Padded(p.result, 18) + Padded(p.when.empty() ? "" : p.recordedBy.empty() ? "-" : p.recordedBy, 12) +
                            p.when);
        }
    }
    if (!report.problems.empty()) {
        lines.push_back("");
        lines.push_back("Files left out:");
        for (const std::string& problem : report.problems) lines.push_back("  " + problem);
    }
    return lines;
}

}  // namespace korvo
