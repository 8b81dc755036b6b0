#include "connection_list.h"

namespace korvo {

ReportFont FontOfLine(const std::string& line) {
    ReportFont font = ReportFont::Regular8;
    if (line.find("Modul Type") != std::string::npos) font = ReportFont::Bold8;
    if (line.find("connection") != std::string::npos) font = ReportFont::Bold8;
    if (line.find("Stationname") != std::string::npos) font = ReportFont::Bold10;
    return font;
}

bool ConnectionListSource::NeedData(ReportLine& line, int& progress) {
    const bool more = counter_ < plan_.size();
    if (more) {
        line.text = plan_[counter_];
        line.font = FontOfLine(line.text);
        progress = static_cast<int>(counter_ * 100 / plan_.size());
    } else {
        progress = 100;
    }
    ++counter_;
    return more;
}

std::vector<std::string> TitleBlockLines(const ProjectProperties& properties) {
    return {"Project name  : " + properties.Name, "Name           :   " + properties.Customer,
            "Description  :  " + properties.Description, "Tester         :   " + properties.Tester};
}

namespace {

// A heading and the lines the plan puts behind it: the empty line, the column
// header and the first row.
constexpr std::size_t kHeadingKeptWith = 3;

bool IsHeading(const std::string& line) {
    return line.find("Modul Type") != std::string::npos || line.find("Stationname") != std::string::npos;
}

}  // namespace

ConnectionListReport LayoutConnectionList(const std::vector<std::string>& plan, const std::string& printedAt,
                                          const std::function<void(int)>& progress,
                                          const ProjectProperties& properties) {
    using G = ReportGeometry;
    ConnectionListReport report;
    const std::vector<std::string> title = TitleBlockLines(properties);
    report.projectName = title[0];
    report.name = title[1];
    report.description = title[2];
    report.tester = title[3];
    report.printedAt = printedAt;

    const double bodyBottom = G::kPaperHeight - G::kBottom - G::kFooterHeight;
    ConnectionListSource source(plan);
    source.BeforePrint();
    report.pages.push_back(ReportPage{1, true, {}, "Page 1"});
    double y = G::kTop + G::kTitleHeight;
    ReportLine line;
    int percent = 0;
    std::size_t index = 0;
    while (source.NeedData(line, percent)) {
        line.height = line.font == ReportFont::Bold10 ? G::kLineHeight10 : G::kLineHeight8;
        double needed = line.height;
        if (IsHeading(line.text)) {
            for (std::size_t k = 1; k <= kHeadingKeptWith && index + k < plan.size(); ++k) {
                needed += FontOfLine(plan[index + k]) == ReportFont::Bold10 ? G::kLineHeight10 : G::kLineHeight8;
            }
        }
        ++index;
        if (y + needed > bodyBottom && !report.pages.back().lines.empty()) {
            const int number = report.pages.back().number + 1;
            report.pages.push_back(ReportPage{number, false, {}, "Page " + std::to_string(number)});
            y = G::kTop;
        }
        line.top = y;
        y += line.height;
        report.pages.back().lines.push_back(line);
        if (progress) progress(percent);
    }
    if (progress) progress(percent);
    return report;
}

}  // namespace korvo
