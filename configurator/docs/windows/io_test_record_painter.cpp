#include "io_test_record_painter.h"

#include "pdf_file.h"
#include "docs/connection_list.h"
#include "online/io_test_record_export.h"
#include "docs/windows/connection_list_painter.h"
#include "station/text_encoding.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>

#include <array>

namespace korvo {

namespace {

using G = ReportGeometry;

constexpr double kHeadHeight = 54;
constexpr double kRowHeight = 4.2;
constexpr double kTableTop = G::kTop + kHeadHeight;
const QColor kUntested(0xFF, 0xE0, 0xA0);

struct Column {
    const char* title;
    double width;  // mm
};
constexpr std::array<Column, 9> kColumns = {{{"slot", 8},
                                             {"tag", 40},
                                             {"dir", 8},
                                             {"address", 17},
                                             {"result", 25},
                                             {"seen / switched", 27},
                                             {"by", 13},
                                             {"verdict", 15},
                                             {"remark", 32}}};
// The tester's name, date and signature under the last row.
constexpr int kSignatureRows = 4;

QString Text(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }
QString Utf8(const std::string& utf8) { return QString::fromStdString(utf8); }

int RowsPerPage(bool first) {
    const double top = first ? kTableTop : G::kTop;
    return static_cast<int>((G::kPaperHeight - G::kBottom - G::kFooterHeight - top) / kRowHeight) - 1;
}

std::array<QString, kColumns.size()> Cells(const PointRecord& p) {
    return {QString::number(p.entry.slot),
            Text(p.entry.tag),
            p.entry.direction == PointDirection::Input ? QStringLiteral("in") : QStringLiteral("out"),
            Utf8(PointAddress(p)),
            Utf8(PointResult(p)),
            Utf8(PointValues(p)),
            QString::fromLatin1(SourceName(p.source)),
            QString::fromLatin1(VerdictName(p.verdict)),
            Utf8(p.remark)};
}

// The first row of every page. A last page never holds a lone row, and the
// signature block fits under the rows of the last page, which takes rows from the
// page before when it would stand alone.
std::vector<int> PageStarts(const IoTestRecord& record) {
    const int rows = static_cast<int>(record.points.size());
    std::vector<int> starts{0};
    int capacity = RowsPerPage(true);
    while (rows - starts.back() > capacity) {
        starts.push_back(starts.back() + capacity);
        capacity = RowsPerPage(false);
    }
    const int onLast = rows - starts.back();
    if (starts.size() > 1 && onLast < 2) starts.back() -= 2 - onLast;
    // The signature did not fit under the rows: two rows go along with it.
    if (rows - starts.back() + kSignatureRows > capacity && rows >= 2) starts.push_back(rows - 2);
    return starts;
}

void DrawSignature(QPainter& painter, const IoTestRecord& r, double top, double scale) {
    painter.setFont(ReportQFont(ReportFont::Regular8));
    const QString tester = r.header.tester.empty() ? QString() : Text(r.header.tester);
    const std::array<std::pair<const char*, QString>, 2> fields = {
        {{"Tester", tester}, {"Date", QString()}}};
    double left = G::kLeft;
    for (const auto& [label, value] : fields) {
        painter.drawText(QRectF(left * scale, (top + 4) * scale, 60 * scale, 4 * scale),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(label) + QStringLiteral(": ") + value);
        left += 62;
    }
    painter.drawText(QRectF(left * scale, (top + 4) * scale, 60 * scale, 4 * scale), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Signature:"));
    painter.setPen(QPen(Qt::black, 0.2 * scale));
    const double line = (top + 12) * scale;
    painter.drawLine(QPointF((left + 16) * scale, line), QPointF((G::kPaperWidth - G::kRight) * scale, line));
    painter.setPen(Qt::black);
}

void DrawRow(QPainter& painter, const std::array<QString, kColumns.size()>& cells, double top, double scale,
             bool shaded, bool bold) {
    const double width = G::kPaperWidth - G::kLeft - G::kRight;
    if (shaded) painter.fillRect(QRectF(G::kLeft * scale, top * scale, width * scale, kRowHeight * scale), kUntested);
    QFont font = ReportQFont(ReportFont::Regular8);
    font.setPointSizeF(7);
    font.setBold(bold);
    painter.setFont(font);
    double left = G::kLeft;
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        const QRectF cell((left + 0.8) * scale, top * scale, (kColumns[c].width - 1.6) * scale, kRowHeight * scale);
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(cells[c], Qt::ElideRight, static_cast<int>(cell.width())));
        left += kColumns[c].width;
    }
    painter.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 0.1 * scale));
    painter.drawLine(QPointF(G::kLeft * scale, (top + kRowHeight) * scale),
                     QPointF((G::kLeft + width) * scale, (top + kRowHeight) * scale));
    painter.setPen(Qt::black);
}

void DrawHead(QPainter& painter, const IoTestRecord& r, double scale) {
    const RecordHeader& h = r.header;
    QFont title = ReportQFont(ReportFont::Bold10);
    title.setPointSize(13);
    painter.setFont(title);
    painter.drawText(QRectF(G::kLeft * scale, G::kTop * scale, 180 * scale, 7 * scale), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(kIoTestRecordTitle));
    painter.setFont(ReportQFont(ReportFont::Regular8));
    const QString ended = r.ended.empty() ? QStringLiteral("(test running)") : Utf8(r.ended);
    const std::array<std::pair<const char*, QString>, 10> lines = {{
        {"Project", Utf8(h.project)},
        {"Station", QStringLiteral("%1  %2").arg(h.station).arg(Text(h.stationName))},
        {"Coupler address", Utf8(h.couplerAddress)},
        {"Configuration check", Utf8(h.configurationCheck)},
        {"Coupler state", Utf8(h.stateRegister)},
        {"Started", Utf8(h.started)},
        {"Ended", ended},
        {"Stopped because", Utf8(r.stopReason)},
        {"Result", QStringLiteral("%1 of %2 points tested in %3 cycles")
                       .arg(r.CompleteCount())
                       .arg(r.TestableCount())
                       .arg(r.cycles)},
        {"Tester", Text(h.tester)},
    }};
    double top = G::kTop + 9;
    for (const auto& [label, value] : lines) {
        painter.drawText(QRectF(G::kLeft * scale, top * scale, 40 * scale, 4 * scale), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromLatin1(label) + QStringLiteral(":"));
        painter.drawText(QRectF((G::kLeft + 40) * scale, top * scale, 145 * scale, 4 * scale),
                         Qt::AlignLeft | Qt::AlignVCenter, value);
        top += 4;
    }
}

}  // namespace

int IoTestRecordPageCount(const IoTestRecord& record) { return static_cast<int>(PageStarts(record).size()); }

std::vector<int> IoTestRecordPageRows(const IoTestRecord& record) {
    const std::vector<int> starts = PageStarts(record);
    std::vector<int> rows;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        rows.push_back((i + 1 < starts.size() ? starts[i + 1] : static_cast<int>(record.points.size())) - starts[i]);
    }
    return rows;
}

void PaintIoTestRecordPage(QPainter& painter, const IoTestRecord& record, int page, double pixelsPerMm) {
    const double scale = pixelsPerMm;
    painter.save();
    painter.setPen(Qt::black);
    const bool first = page == 0;
    if (first) DrawHead(painter, record, scale);
    const std::vector<int> starts = PageStarts(record);
    if (page < 0 || page >= static_cast<int>(starts.size())) {
        painter.restore();
        return;
    }
    const bool last = page + 1 == static_cast<int>(starts.size());
    const int begin = starts[static_cast<std::size_t>(page)];
    const int end = last ? static_cast<int>(record.points.size()) : starts[static_cast<std::size_t>(page) + 1];
    double top = first ? kTableTop : G::kTop;
    std::array<QString, kColumns.size()> titles;
    for (std::size_t c = 0; c < kColumns.size(); ++c) titles[c] = QString::fromLatin1(kColumns[c].title);
    DrawRow(painter, titles, top, scale, false, true);
    top += kRowHeight;
    for (int i = begin; i < end; ++i) {
        const PointRecord& p = record.points[static_cast<std::size_t>(i)];
        DrawRow(painter, Cells(p), top, scale, p.Testable() && !p.Complete(), false);
        top += kRowHeight;
    }
    if (last) DrawSignature(painter, record, top, scale);
    painter.setFont(ReportQFont(ReportFont::Regular8));
    painter.drawText(QRectF(0, (G::kPaperHeight - G::kBottom - G::kFooterHeight) * scale, G::kPaperWidth * scale,
                            G::kFooterHeight * scale),
                     Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page + 1).arg(IoTestRecordPageCount(record)));
    painter.restore();
}

void PrintIoTestRecord(QPagedPaintDevice& device, const IoTestRecord& record) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                     QPageLayout::Millimeter));
    QPainter painter(&device);
    const double pixelsPerMm = device.logicalDpiX() / 25.4;
    for (int page = 0; page < IoTestRecordPageCount(record); ++page) {
        if (page > 0) device.newPage();
        PaintIoTestRecordPage(painter, record, page, pixelsPerMm);
    }
}

bool WriteIoTestRecordPdf(const IoTestRecord& record, const QString& file, QString* error) {
    return WritePdfFile(file, QString::fromLatin1(kIoTestRecordTitle),
                        [&](QPagedPaintDevice& device) { PrintIoTestRecord(device, record); }, error);
}

}  // namespace korvo
