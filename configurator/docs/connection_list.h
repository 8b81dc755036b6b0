#pragma once
// The "Connection List" report laid out on A4 portrait pages in millimetres: the
// title block on the first page, one detail line per plan line in the fixed-pitch
// font, "Page" and the number centred in the footer. Toolkit-free, so the pages can
// be checked without painting; a thin painter draws them on a printer, a PDF or the
// preview.

#include "station/station_model.h"

#include <functional>
#include <string>
#include <vector>

namespace korvo {

inline constexpr const char* kReportTitle = "Connection List";

enum class ReportFont { Regular8, Bold8, Bold10 };

struct ReportLine {
    std::string text;  // Windows-1252, as in the plan
    ReportFont font = ReportFont::Regular8;
    double top = 0;     // mm from the top of the paper
    double height = 0;  // mm
};

struct ReportPage {
    int number = 1;
    bool title = false;  // the title block prints on the first page only
    std::vector<ReportLine> lines;
    std::string footer;  // "Page 1"
};

// Paper and bands in millimetres.
struct ReportGeometry {
    static constexpr double kPaperWidth = 210;
    static constexpr double kPaperHeight = 297;
    static constexpr double kLeft = 15;
    static constexpr double kRight = 10;
    static constexpr double kTop = 12;
    static constexpr double kBottom = 12;
    static constexpr double kTitleHeight = 30;
    static constexpr double kFooterHeight = 6;
    static constexpr double kLineHeight8 = 3.5;
    static constexpr double kLineHeight10 = 4.5;
};

struct ConnectionListReport {
    // The title block's texts, left to right and top to bottom.
    std::string projectName;
    std::string name;
    std::string description;
    std::string tester;
    std::string printedAt;
    std::vector<ReportPage> pages;
};

// The detail engine of the report: before every generation the line counter goes
// back to 0; NeedData gives the next plan line with its font until none is left.
class ConnectionListSource {
public:
    explicit ConnectionListSource(const std::vector<std::string>& plan) : plan_(plan) {}
    void BeforePrint() { counter_ = 0; }
    // False when no line is left; progress gets counter * 100 / lines, 100 at the end.
    bool NeedData(ReportLine& line, int& progress);

private:
    const std::vector<std::string>& plan_;
    std::size_t counter_ = 0;
};

// The font a plan line prints in.
ReportFont FontOfLine(const std::string& line);

// The title block's lines: project name, name (the customer), description, tester.
std::vector<std::string> TitleBlockLines(const ProjectProperties& properties);

// Generates the report of the plan; printedAt is the date and time shown in the title
// block, with the project's properties. progress, if set, is told the percentage of
// lines laid out. A module or station heading that would end a page, without the
// lines that follow it, starts the next page.
ConnectionListReport LayoutConnectionList(const std::vector<std::string>& plan, const std::string& printedAt,
                                          const std::function<void(int)>& progress = {},
                                          const ProjectProperties& properties = {});

}  // namespace korvo
