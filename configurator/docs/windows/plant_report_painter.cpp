#include "plant_report_painter.h"

#include "docs/connection_list.h"
#include "pdf_file.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>

namespace korvo {

namespace {

using G = ReportGeometry;
constexpr double kLineHeight = 3.6;  // mm

}  // namespace

bool WritePlantReportPdf(const std::vector<std::string>& lines, const QString& file, QString* error) {
    return WritePdfFile(file, QStringLiteral("Commissioning report"), [&lines](QPagedPaintDevice& device) {
        QPainter painter(&device);
        const double scale = device.width() / G::kPaperWidth;
        const int perPage =
            static_cast<int>((G::kPaperHeight - G::kTop - G::kBottom - G::kFooterHeight) / kLineHeight);
        const int pages = std::max(1, static_cast<int>((lines.size() + static_cast<std::size_t>(perPage) - 1) /
                                                       static_cast<std::size_t>(perPage)));
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setPointSizeF(7);
        for (int page = 0; page < pages; ++page) {
            if (page > 0) device.newPage();
            for (int row = 0; row < perPage; ++row) {
                const std::size_t index = static_cast<std::size_t>(page * perPage + row);
                if (index >= lines.size()) break;
                const QString text = QString::fromStdString(lines[index]);
                font.setBold(index == 0 || text.startsWith(QStringLiteral("Station ")));
                painter.setFont(font);
                const double top = G::kTop + row * kLineHeight;
                painter.drawText(QRectF(G::kLeft * scale, top * scale, (G::kPaperWidth - G::kLeft - G::kRight) * scale,
                                        kLineHeight * scale),
                                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
            }
            font.setBold(false);
            painter.setFont(font);
            painter.drawText(QRectF(G::kLeft * scale, (G::kPaperHeight - G::kBottom - G::kFooterHeight) * scale,
                                    (G::kPaperWidth - G::kLeft - G::kRight) * scale, G::kFooterHeight * scale),
                             Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("page %1 of %2").arg(page + 1).arg(pages));
        }
    }, error);
}

}  // namespace korvo
