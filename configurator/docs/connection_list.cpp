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

ConnectionListReport LayoutConnectionList(const std::vector<std::string>& plan, const std::string& printedAt,
                                          const std::function<void(int)>& progress) {
    using G = ReportGeometry;
    ConnectionListReport report;
    report.projectName = "Project name  : ";
    report.name = "Name           :   ";
    report.description = "Description  :  ";
    report.printedAt = printedAt;

    const double bodyBottom = G::kPaperHeight - G::kBottom - G::kFooterHeight;
    ConnectionListSource source(plan);
    source.BeforePrint();
    report.pages.push_back(ReportPage{1, true, {}, "Page 1"});
    double y = G::kTop + G::kTitleHeight;
    ReportLine line;
    int percent = 0;
    while (source.NeedData(line, percent)) {
        line.height = line.font == ReportFont::Bold10 ? G::kLineHeight10 : G::kLineHeight8;
        if (y + line.height > bodyBottom) {
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
