#pragma once
// Draws the laid-out "Connection List" pages with QPainter: on the preview's and the
// print dialog's printer, into a PDF file, or onto a picture. Needs only QtGui, so the
// command-line program writes the same PDF as the window.

#include "docs/connection_list.h"

#include <QFont>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace korvo {

// "Courier New" in the size and weight of the line; where that font is missing the
// system's fixed-pitch font takes its place.
QFont ReportQFont(ReportFont font);

// One page at the given scale; the painter's origin is the paper's top left corner.
void PaintReportPage(QPainter& painter, const ConnectionListReport& report, const ReportPage& page,
                     double pixelsPerMm);

// All pages on an A4 portrait device without margins (a printer or a PDF writer).
void PrintConnectionList(QPagedPaintDevice& device, const ConnectionListReport& report);

// The report as a PDF file, through the one safe file write. False
// with the reason in error when the file cannot be written.
bool WriteConnectionListPdf(const ConnectionListReport& report, const QString& file, QString* error);

}  // namespace korvo
