// The "Connection List" report: fonts by line, page flow, progress, the PDF and the
// plain-text export.

#include "temp_folder.h"

#include "docs/connection_description.h"
#include "docs/connection_list.h"
#include "docs/connection_plan.h"
#include "docs/plan_text.h"
#include "docs/windows/connection_list_painter.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace korvo {
namespace {

using testing::TempFolder;

std::vector<std::string> NumberedLines(int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) lines.push_back("         " + std::to_string(i) + "     1   point");
    return lines;
}

int CountOf(const QByteArray& bytes, const QByteArray& what) {
    int count = 0;
    for (qsizetype at = bytes.indexOf(what); at >= 0; at = bytes.indexOf(what, at + 1)) ++count;
    return count;
}

TEST(ConnectionListTest, FontsFollowTheWordsInTheLine) {
    EXPECT_EQ(FontOfLine("  Stationname   : S1    IP Address  : 10.0.0.1"), ReportFont::Bold10);
    EXPECT_EQ(FontOfLine("    Modul Type  : KORVO DI 8             number : 2"), ReportFont::Bold8);
    EXPECT_EQ(FontOfLine("        no.  connector   connection point        TagName           Parameter"),
              ReportFont::Bold8);
    EXPECT_EQ(FontOfLine("         1     1             shield connection          S_M2_AI_1"), ReportFont::Bold8);
    EXPECT_EQ(FontOfLine("         1     1             DI 1          S_M2_DI_1"), ReportFont::Regular8);
    EXPECT_EQ(FontOfLine(""), ReportFont::Regular8);
    // A station line wins over the other words it may contain.
    EXPECT_EQ(FontOfLine("  Stationname   : Modul Type connection"), ReportFont::Bold10);
}

TEST(ConnectionListTest, SourceRestartsAtEveryGenerationAndReportsProgress) {
    const std::vector<std::string> plan = {"a", "b", "c", "d"};
    ConnectionListSource source(plan);
    for (int generation = 0; generation < 2; ++generation) {
        source.BeforePrint();
        ReportLine line;
        int progress = -1;
        std::vector<int> seen;
        std::string text;
        while (source.NeedData(line, progress)) {
            seen.push_back(progress);
            text += line.text;
        }
        EXPECT_EQ(text, "abcd");
        EXPECT_EQ(seen, (std::vector<int>{0, 25, 50, 75}));
        EXPECT_EQ(progress, 100);
    }
}

TEST(ConnectionListTest, EmptyPlanGivesOnePageWithTheTitleBlockOnly) {
    int last = -1;
    const ConnectionListReport report = LayoutConnectionList({}, "01.02.2026  10:00:00", [&](int p) { last = p; });
    ASSERT_EQ(report.pages.size(), 1u);
    EXPECT_TRUE(report.pages[0].title);
    EXPECT_TRUE(report.pages[0].lines.empty());
    EXPECT_EQ(report.pages[0].footer, "Page 1");
    EXPECT_EQ(report.projectName, "Project name  : ");
    EXPECT_EQ(report.name, "Name           :   ");
    EXPECT_EQ(report.description, "Description  :  ");
    EXPECT_EQ(report.printedAt, "01.02.2026  10:00:00");
    EXPECT_EQ(last, 100);
}

TEST(ConnectionListTest, LinesFlowOntoFurtherPagesInsideTheBody) {
    using G = ReportGeometry;
    const std::vector<std::string> plan = NumberedLines(200);
    const ConnectionListReport report = LayoutConnectionList(plan, "now");
    ASSERT_GE(report.pages.size(), 3u);
    std::size_t printed = 0;
    for (std::size_t p = 0; p < report.pages.size(); ++p) {
        const ReportPage& page = report.pages[p];
        EXPECT_EQ(page.number, static_cast<int>(p) + 1);
        EXPECT_EQ(page.footer, "Page " + std::to_string(p + 1));
        EXPECT_EQ(page.title, p == 0);
        ASSERT_FALSE(page.lines.empty());
        EXPECT_GE(page.lines.front().top, p == 0 ? G::kTop + G::kTitleHeight : G::kTop);
        const ReportLine& lastLine = page.lines.back();
        EXPECT_LE(lastLine.top + lastLine.height, G::kPaperHeight - G::kBottom - G::kFooterHeight);
        for (const ReportLine& line : page.lines) EXPECT_EQ(line.text, plan[printed++]);
    }
    EXPECT_EQ(printed, plan.size());
}

TEST(ConnectionListTest, ModuleHeadingNeverStandsAloneAtTheFootOfAPage) {
    // Wherever a module starts, its heading shares its page with its column header
    // and first row: shift the heading through every place near the end of page 1.
    for (int before = 40; before < 80; ++before) {
        std::vector<std::string> plan = NumberedLines(before);
        plan.insert(plan.end(), {"", "    Modul Type  : KORVO DI 2             number : 2", "", kPlanColumnHeader,
                                 "         1     1  DI 1", "         2     1  DI 2"});
        const ConnectionListReport report = LayoutConnectionList(plan, "now");
        for (const ReportPage& page : report.pages) {
            for (std::size_t i = 0; i < page.lines.size(); ++i) {
                if (page.lines[i].text.find("Modul Type") == std::string::npos) continue;
                EXPECT_LE(i + 3, page.lines.size() - 1) << before << " lines in front";
                EXPECT_EQ(page.lines[i + 3].text.substr(0, 10), "         1") << before;
            }
        }
    }
}

TEST(ConnectionListTest, TitleBlockCarriesTheProjectProperties) {
    const ConnectionListReport report =
        LayoutConnectionList({"a"}, "now", {}, ProjectProperties{"Pump house", "Line 2", "Acme", "M. Test"});
    EXPECT_EQ(report.projectName, "Project name  : Pump house");
    EXPECT_EQ(report.name, "Name           :   Acme");
    EXPECT_EQ(report.description, "Description  :  Line 2");
    EXPECT_EQ(report.tester, "Tester         :   M. Test");
}

TEST(ConnectionListTest, StationLinesTakeMoreRoomThanDetailLines) {
    const ConnectionListReport report = LayoutConnectionList({"  Stationname   : S", "x", "y"}, "now");
    const std::vector<ReportLine>& lines = report.pages[0].lines;
    EXPECT_DOUBLE_EQ(lines[0].height, ReportGeometry::kLineHeight10);
    EXPECT_DOUBLE_EQ(lines[1].top, lines[0].top + ReportGeometry::kLineHeight10);
    EXPECT_DOUBLE_EQ(lines[2].top, lines[1].top + ReportGeometry::kLineHeight8);
}

// Darkest pixel in the columns [left, right) of the image.
int DarkestIn(const QImage& image, int left, int right) {
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = left; x < right; ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
    }
    return darkest;
}

TEST(ConnectionListPaintTest, OverlongLineIsSqueezedInsideTheMarginsNotCut) {
    using G = ReportGeometry;
    const std::string line = std::string(180, 'x') + "END";
    const ConnectionListReport report = LayoutConnectionList({line}, "now");
    const double pixelsPerMm = 4;
    QImage page(static_cast<int>(G::kPaperWidth * pixelsPerMm), static_cast<int>(G::kPaperHeight * pixelsPerMm),
                QImage::Format_RGB32);
    page.setDotsPerMeterX(4000);
    page.setDotsPerMeterY(4000);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        PaintReportPage(painter, report, report.pages[0], pixelsPerMm);
    }
    const int rightMargin = static_cast<int>((G::kPaperWidth - G::kRight) * pixelsPerMm);
    const int top = static_cast<int>(report.pages[0].lines[0].top * pixelsPerMm);
    const QImage band = page.copy(0, top, page.width(), static_cast<int>(G::kLineHeight8 * pixelsPerMm));
    EXPECT_LT(DarkestIn(band, rightMargin - 8 * 4, rightMargin), 128) << "the end of the line is printed";
    EXPECT_EQ(DarkestIn(band, rightMargin + 2, band.width()), 255) << "nothing beyond the right margin";
}

class ExportTest : public TempFolder {};

TEST_F(ExportTest, TextExportHasOneLinePerPlanLineInUtf8) {
    const std::vector<std::string> plan = {"", "  Stationname   : K\xFC" "hlhaus", "         1     1   DI 1"};
    WritePlanText(plan, File("plan.txt"));
    EXPECT_EQ(Read(File("plan.txt")), "\n  Stationname   : K\xC3\xBC" "hlhaus\n         1     1   DI 1\n");
    struct stat info {};
    ASSERT_EQ(::stat(File("plan.txt").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IRGRP, 0u) << "an exported list is readable like any document";
}

TEST_F(ExportTest, TextExportIntoAMissingFolderFailsAndLeavesNothing) {
    EXPECT_THROW(WritePlanText({"a"}, dir_ / "missing" / "plan.txt"), PlanError);
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(ExportTest, PdfHasOneA4PagePerReportPageAndItsTitle) {
    std::vector<std::string> plan = {"", "  Stationname   : Station1    IP Address  : 10.0.0.5", ""};
    const std::vector<std::string> rows = NumberedLines(150);
    plan.insert(plan.end(), rows.begin(), rows.end());
    const ConnectionListReport report = LayoutConnectionList(plan, "now");
    ASSERT_EQ(report.pages.size(), 3u);
    QString error;
    const QString file = QString::fromStdString(File("list.pdf").string());
    ASSERT_TRUE(WriteConnectionListPdf(report, file, &error)) << error.toStdString();
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_EQ(CountOf(bytes, "/Type /Page\n") + CountOf(bytes, "/Type /Page\r") + CountOf(bytes, "/Type /Page/") +
                  CountOf(bytes, "/Type /Page "),
              3);
    // The A4 media box in points.
    EXPECT_GT(CountOf(bytes, "595"), 0);
    EXPECT_GT(CountOf(bytes, "842"), 0);
    // Qt writes the document title as UTF-16 with a byte order mark.
    QByteArray title = QByteArray("\xFE\xFF", 2);
    for (const char c : QByteArray(kReportTitle)) title += QByteArray(1, '\0') + c;
    EXPECT_TRUE(bytes.contains(title) || bytes.contains(QByteArray("(") + kReportTitle + ")") ||
                bytes.contains(QByteArray(kReportTitle)))
        << "the title is in the document information";
}

TEST_F(ExportTest, PdfIntoAMissingFolderFailsWithAReasonAndLeavesNothing) {
    QString error;
    const QString file = QString::fromStdString((dir_ / "missing" / "list.pdf").string());
    EXPECT_FALSE(WriteConnectionListPdf(LayoutConnectionList({"a"}, "now"), file, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("list.pdf"))) << error.toStdString();
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

// A PDF goes through the same safe write as every save: a link keeps pointing at
// the file it names, and a write-protected file is refused.
TEST_F(ExportTest, PdfWritesThroughALinkAndRefusesAWriteProtectedFile) {
    const std::filesystem::path target = File("real.pdf");
    const std::filesystem::path link = File("link.pdf");
    { std::ofstream(target) << "old"; }
    std::filesystem::create_symlink(target, link);
    QString error;
    ASSERT_TRUE(WriteConnectionListPdf(LayoutConnectionList({"a"}, "now"), QString::fromStdString(link.string()), &error))
        << error.toStdString();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Read(target).substr(0, 5), "%PDF-");

    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    EXPECT_FALSE(WriteConnectionListPdf(LayoutConnectionList({"a"}, "now"), QString::fromStdString(target.string()),
                                        &error));
    EXPECT_TRUE(error.contains(QStringLiteral("real.pdf"))) << error.toStdString();
    std::filesystem::permissions(target, std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace korvo

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
