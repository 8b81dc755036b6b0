#pragma once
// The commissioning record on A4 pages: a head with project, station, coupler, check
// result, state bits and dates, then one table row per point; rows of points not yet
// seen in both states are shaded. The test's events follow as an appendix "events",
// under the signature where they fit, on pages of their own otherwise. Needs only
// QtGui, like the connection list.

#include "online/io_test_record.h"

#include <QString>

#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace korvo {

inline constexpr const char* kIoTestRecordTitle = "I/O test record";

int IoTestRecordPageCount(const IoTestRecord& record);
// The number of point rows on each page of the points; a last page never holds a
// single row, and the signature block always has room under the last page's rows.
std::vector<int> IoTestRecordPageRows(const IoTestRecord& record);
// The number of event rows on each page, all pages; the appendix's heading never
// stands on a page without rows under it.
std::vector<int> IoTestRecordEventRows(const IoTestRecord& record);
// Page index (0-based) at the given scale; the painter's origin is the paper's corner.
void PaintIoTestRecordPage(QPainter& painter, const IoTestRecord& record, int page, double pixelsPerMm);
// All pages on an A4 portrait device without margins.
void PrintIoTestRecord(QPagedPaintDevice& device, const IoTestRecord& record);
// The record as a PDF file, complete or not written; false with the reason in error.
bool WriteIoTestRecordPdf(const IoTestRecord& record, const QString& file, QString* error);

}  // namespace korvo
