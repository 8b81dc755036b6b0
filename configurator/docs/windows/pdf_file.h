#pragma once
// Writing a printed document as a PDF file, through the same safe file write as
// every other save and export: the old file or the whole new one, never half.

#include <QString>

#include <functional>

class QPagedPaintDevice;

namespace korvo {

// Renders the pages `print` draws on an A4 PDF device, titled `title`, and writes the
// result to `file`. False with the reason in error when the file cannot be written.
bool WritePdfFile(const QString& file, const QString& title, const std::function<void(QPagedPaintDevice&)>& print,
                  QString* error);

}  // namespace korvo
