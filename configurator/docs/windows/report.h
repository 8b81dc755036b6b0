#pragma once
// TfrmReport "Report": builds the connection plan of the station list, lays it out as
// the "Connection List" and opens the print preview, from which it is printed or
// exported as PDF or as plain text. The window itself is never shown.

#include "docs/connection_list.h"

#include <QWidget>

#include <string>
#include <vector>

class QPrintPreviewDialog;
class QPrinter;

namespace korvo {

class StationModel;

class TfrmReport : public QWidget {
    Q_OBJECT
public:
    explicit TfrmReport(QWidget* parent);

    // The preview command: a plan that cannot be built is reported with its message and
    // nothing opens; otherwise returns when the user has closed the preview.
    void Preview(const StationModel& model);

    // The plan and the report of the preview that is open now (empty otherwise).
    const std::vector<std::string>& Plan() const { return plan_; }
    const ConnectionListReport& Report() const { return report_; }

    // The preview's export commands; false after a message naming the file.
    bool ExportText(const QString& file);
    bool ExportPdf(const QString& file);

Q_SIGNALS:
    // Percentage of plan lines laid out while a generation runs.
    void progress(int percent);
    // The preview dialog is about to run; tests look at it and close it.
    void previewOpened(QPrintPreviewDialog* dialog);

private:
    // QuickRep1BeforePrint and the detail lines: one generation of the report.
    void Generate();
    void PaintRequested(QPrinter* printer);
    void AddExportActions(QPrintPreviewDialog& dialog);

    std::vector<std::string> plan_;
    ProjectProperties properties_;
    ConnectionListReport report_;
};

}  // namespace korvo
