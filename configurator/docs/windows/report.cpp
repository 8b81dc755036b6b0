#include "report.h"

#include "connection_list_painter.h"

#include "docs/connection_description.h"
#include "docs/connection_plan.h"
#include "docs/plan_text.h"
#include "ui/message_box.h"
#include "station/station_model.h"
#include "station/text_encoding.h"

#include <QAction>
#include <QDateTime>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

namespace korvo {

namespace {

constexpr const char* kCaption = "Report";

}  // namespace

TfrmReport::TfrmReport(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QString::fromLatin1(kCaption));
}

void TfrmReport::Preview(const StationModel& model) {
    std::vector<std::string> plan;
    try {
        BuildConnectionPlan(model, plan);
    } catch (const PlanError& e) {
        ShowMessageBox(parentWidget(), e.what(), kCaption);
        return;
    }
    plan_ = std::move(plan);
    properties_ = model.Properties;
    Generate();

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromLatin1(kReportTitle));
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                      QPageLayout::Millimeter));
    QPrintPreviewDialog dialog(&printer, parentWidget());
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(QString::fromLatin1(kReportTitle));
    dialog.resize(900, 800);
    AddExportActions(dialog);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &TfrmReport::PaintRequested);
    Q_EMIT previewOpened(&dialog);
    dialog.exec();
    plan_.clear();
    report_ = ConnectionListReport{};
}

void TfrmReport::Generate() {
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy  hh:mm:ss"));
    report_ = LayoutConnectionList(
        plan_, now.toStdString(), [this](int percent) { Q_EMIT progress(percent); }, properties_);
}

void TfrmReport::PaintRequested(QPrinter* printer) {
    // Every generation starts from the first plan line again.
    Generate();
    printer->setFullPage(true);
    PrintConnectionList(*printer, report_);
}

void TfrmReport::AddExportActions(QPrintPreviewDialog& dialog) {
    QToolBar* toolbar = dialog.findChild<QToolBar*>();
    if (toolbar == nullptr) return;
    toolbar->addSeparator();
    QAction* text = toolbar->addAction(QStringLiteral("export text..."));
    text->setObjectName(QStringLiteral("ExportText"));
    connect(text, &QAction::triggered, &dialog, [this, &dialog] {
        const QString file = QFileDialog::getSaveFileName(&dialog, QStringLiteral("export text"), QString(),
                                                          QStringLiteral("text file (*.txt)"));
        if (!file.isEmpty()) ExportText(file);
    });
    QAction* pdf = toolbar->addAction(QStringLiteral("export PDF..."));
    pdf->setObjectName(QStringLiteral("ExportPdf"));
    connect(pdf, &QAction::triggered, &dialog, [this, &dialog] {
        const QString file = QFileDialog::getSaveFileName(&dialog, QStringLiteral("export PDF"), QString(),
                                                          QStringLiteral("PDF file (*.pdf)"));
        if (!file.isEmpty()) ExportPdf(file);
    });
}

bool TfrmReport::ExportText(const QString& file) {
    try {
        WritePlanText(plan_, QFile::encodeName(file).toStdString());
    } catch (const PlanError& e) {
        ShowMessageBox(parentWidget(), e.what(), kCaption);
        return false;
    }
    return true;
}

bool TfrmReport::ExportPdf(const QString& file) {
    Generate();
    QString error;
    if (!WriteConnectionListPdf(report_, file, &error)) {
        ShowMessageBox(parentWidget(), Utf8ToCp1252(error.toStdString()), kCaption);
        return false;
    }
    return true;
}

}  // namespace korvo
