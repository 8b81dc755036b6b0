#include "io_test_record_painter.h"

#include "pdf_file.h"
#include "docs/connection_list.h"
#include "online/io_test_record_export.h"
#include "docs/windows/connection_list_painter.h"
#include "station/text_encoding.h"

#include <QDateTime>
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
constexpr std::array<Column, 4> kEventColumns = {{{"time", 40}, {"tag", 70}, {"old \u2192 new", 40}, {"source", 35}}};
constexpr double kAppendixHeading = 7;
constexpr double kAppendixGap = 4;
// The appendix starts under the signature only with at least this many of its rows.
constexpr int kMinEventRows = 2;

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

double RowsBottom() { return G::kPaperHeight - G::kBottom - G::kFooterHeight - kRowHeight; }

// Where the events go: per page of the whole record, its first event, its count and
// the top of its table (mm); pages of points without events have none.
struct EventBlock {
    int page = 0;
    int begin = 0;
    int count = 0;
    double top = 0;
    bool heading = false;
};

std::vector<EventBlock> EventBlocks(const IoTestRecord& record) {
    std::vector<EventBlock> blocks;
    const int events = static_cast<int>(record.events.size());
    if (events == 0) return blocks;
    const std::vector<int> starts = PageStarts(record);
    const int lastPage = static_cast<int>(starts.size()) - 1;
    const int lastRows = static_cast<int>(record.points.size()) - starts.back();
    const double afterSignature = (lastPage == 0 ? kTableTop : G::kTop) + kRowHeight * (1 + lastRows + kSignatureRows) +
                                  kAppendixGap;
    const auto fitting = [](double top) {
        return static_cast<int>((RowsBottom() - top - kAppendixHeading - kRowHeight) / kRowHeight);
    };
    int next = 0;
    int page = lastPage + 1;
    if (const int fit = fitting(afterSignature); fit >= std::min(kMinEventRows, events)) {
        blocks.push_back({lastPage, 0, std::min(fit, events), afterSignature, true});
        next = blocks.back().count;
    }
    while (next < events) {
        const bool heading = blocks.empty();
        const int fit = heading ? fitting(G::kTop) : fitting(G::kTop - kAppendixHeading);
        blocks.push_back({page++, next, std::min(fit, events - next), G::kTop, heading});
        next += blocks.back().count;
    }
    return blocks;
}

int PageCount(const IoTestRecord& record) {
    const std::vector<EventBlock> blocks = EventBlocks(record);
    const int pointPages = static_cast<int>(PageStarts(record).size());
    return blocks.empty() ? pointPages : std::max(pointPages, blocks.back().page + 1);
}

QString EventTime(TrendTime ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

void DrawCells(QPainter& painter, const QString* cells, const Column* columns, std::size_t count, double top,
               double scale, bool bold) {
    QFont font = ReportQFont(ReportFont::Regular8);
    font.setPointSizeF(7);
    font.setBold(bold);
    painter.setFont(font);
    double left = G::kLeft;
    for (std::size_t c = 0; c < count; ++c) {
        const QRectF cell((left + 0.8) * scale, top * scale, (columns[c].width - 1.6) * scale, kRowHeight * scale);
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(cells[c], Qt::ElideRight, static_cast<int>(cell.width())));
        left += columns[c].width;
    }
    const double width = G::kPaperWidth - G::kLeft - G::kRight;
    painter.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 0.1 * scale));
    painter.drawLine(QPointF(G::kLeft * scale, (top + kRowHeight) * scale),
                     QPointF((G::kLeft + width) * scale, (top + kRowHeight) * scale));
    painter.setPen(Qt::black);
}

void DrawEvents(QPainter& painter, const IoTestRecord& record, const EventBlock& block, double scale) {
    double top = block.top;
    if (block.heading) {
        QFont heading = ReportQFont(ReportFont::Bold10);
        painter.setFont(heading);
        QString text = QStringLiteral("events");
        if (record.droppedEvents > 0) text += QStringLiteral(" (%1 more not kept)").arg(record.droppedEvents);
        painter.drawText(QRectF(G::kLeft * scale, top * scale, 180 * scale, (kAppendixHeading - 1) * scale),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        top += kAppendixHeading;
    }
    std::array<QString, kEventColumns.size()> cells;
    for (std::size_t c = 0; c < kEventColumns.size(); ++c) cells[c] = QString::fromUtf8(kEventColumns[c].title);
    DrawCells(painter, cells.data(), kEventColumns.data(), cells.size(), top, scale, true);
    top += kRowHeight;
    for (int i = block.begin; i < block.begin + block.count; ++i) {
        const IoEvent& e = record.events[static_cast<std::size_t>(i)];
        cells = {EventTime(e.ms), Text(e.tag), Text(e.oldValue) + QStringLiteral(" \u2192 ") + Text(e.newValue),
                 QString::fromLatin1(EventSourceName(e.source))};
        DrawCells(painter, cells.data(), kEventColumns.data(), cells.size(), top, scale, false);
        top += kRowHeight;
    }
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
    DrawCells(painter, cells.data(), kColumns.data(), cells.size(), top, scale, bold);
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

int IoTestRecordPageCount(const IoTestRecord& record) { return PageCount(record); }

std::vector<int> IoTestRecordPageRows(const IoTestRecord& record) {
    const std::vector<int> starts = PageStarts(record);
    std::vector<int> rows;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        rows.push_back((i + 1 < starts.size() ? starts[i + 1] : static_cast<int>(record.points.size())) - starts[i]);
    }
    return rows;
}

std::vector<int> IoTestRecordEventRows(const IoTestRecord& record) {
    std::vector<int> rows(static_cast<std::size_t>(PageCount(record)), 0);
    for (const EventBlock& block : EventBlocks(record)) rows[static_cast<std::size_t>(block.page)] = block.count;
    return rows;
}

void PaintIoTestRecordPage(QPainter& painter, const IoTestRecord& record, int page, double pixelsPerMm) {
    const double scale = pixelsPerMm;
    painter.save();
    painter.setPen(Qt::black);
    const bool first = page == 0;
    if (first) DrawHead(painter, record, scale);
    const std::vector<int> starts = PageStarts(record);
    const int pages = PageCount(record);
    if (page < 0 || page >= pages) {
        painter.restore();
        return;
    }
    if (page < static_cast<int>(starts.size())) {
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
    }
    for (const EventBlock& block : EventBlocks(record)) {
        if (block.page == page) DrawEvents(painter, record, block, scale);
    }
    painter.setFont(ReportQFont(ReportFont::Regular8));
    painter.drawText(QRectF(0, (G::kPaperHeight - G::kBottom - G::kFooterHeight) * scale, G::kPaperWidth * scale,
                            G::kFooterHeight * scale),
                     Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
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
