#pragma once
// The commissioning report of a plant section on A4 pages: its lines in a fixed-width
// font, a station's head in bold, pages numbered. Needs only QtGui.

#include <QString>

#include <string>
#include <vector>

namespace korvo {

// The lines (UTF-8) as a PDF file, complete or not written; false with the reason.
bool WritePlantReportPdf(const std::vector<std::string>& lines, const QString& file, QString* error);

}  // namespace korvo
