#include "connection_list_painter.h"

#include "pdf_file.h"
#include "station/text_encoding.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>

namespace korvo {

namespace {

QString Text(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

QRectF MmRect(double left, double top, double width, double height, double scale) {
    return QRectF(left * scale, top * scale, width * scale, height * scale);
}

// A line wider than the paper is drawn narrower rather than cut off, so every tag and
// comment of a long line stays on the page.
void DrawLine(QPainter& painter, const QString& text, ReportFont font, double top, double height, double scale) {
    using G = ReportGeometry;
    const QFont qfont = ReportQFont(font);
    painter.setFont(qfont);
    const double room = (G::kPaperWidth - G::kLeft - G::kRight) * scale;
    const double width = QFontMetricsF(qfont, painter.device()).horizontalAdvance(text);
    const double squeeze = width > room ? room / width : 1.0;
    painter.save();
    painter.translate(G::kLeft * scale, top * scale);
    painter.scale(squeeze, 1.0);
    painter.drawText(QRectF(0, 0, room / squeeze, height * scale), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     text);
    painter.restore();
}

}  // namespace

QFont ReportQFont(ReportFont font) {
    QFont qfont(QStringLiteral("Courier New"));
    qfont.setStyleHint(QFont::TypeWriter);
    qfont.setFixedPitch(true);
    qfont.setPointSize(font == ReportFont::Bold10 ? 10 : 8);
    qfont.setBold(font != ReportFont::Regular8);
    return qfont;
}

void PaintReportPage(QPainter& painter, const ConnectionListReport& report, const ReportPage& page,
                     double pixelsPerMm) {
    using G = ReportGeometry;
    const double scale = pixelsPerMm;
    painter.save();
    painter.setPen(Qt::black);
    if (page.title) {
        DrawLine(painter, Text(report.projectName), ReportFont::Bold10, G::kTop, 5, scale);
        DrawLine(painter, Text(report.name), ReportFont::Regular8, G::kTop + 6, 4, scale);
        DrawLine(painter, Text(report.description), ReportFont::Regular8, G::kTop + 11, 4, scale);
        DrawLine(painter, Text(report.tester), ReportFont::Regular8, G::kTop + 15.5, 4, scale);
        DrawLine(painter, Text(report.printedAt), ReportFont::Regular8, G::kTop + 20, 4, scale);
        painter.setPen(QPen(Qt::black, 0.3 * scale));
        const double rule = (G::kTop + G::kTitleHeight - 3) * scale;
        painter.drawLine(QPointF(G::kLeft * scale, rule), QPointF((G::kPaperWidth - G::kRight) * scale, rule));
        painter.setPen(Qt::black);
    }
    for (const ReportLine& line : page.lines) {
        DrawLine(painter, Text(line.text), line.font, line.top, line.height, scale);
    }
    painter.setFont(ReportQFont(ReportFont::Regular8));
    painter.drawText(MmRect(0, G::kPaperHeight - G::kBottom - G::kFooterHeight, G::kPaperWidth, G::kFooterHeight,
                            scale),
                     Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, Text(page.footer));
    painter.restore();
}

void PrintConnectionList(QPagedPaintDevice& device, const ConnectionListReport& report) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                     QPageLayout::Millimeter));
    QPainter painter(&device);
    const double pixelsPerMm = device.logicalDpiX() / 25.4;
    bool first = true;
    for (const ReportPage& page : report.pages) {
        if (!first) device.newPage();
        first = false;
        PaintReportPage(painter, report, page, pixelsPerMm);
    }
}

bool WriteConnectionListPdf(const ConnectionListReport& report, const QString& file, QString* error) {
    return WritePdfFile(file, QString::fromLatin1(kReportTitle),
                        [&](QPagedPaintDevice& device) { PrintConnectionList(device, report); }, error);
}

}  // namespace korvo
