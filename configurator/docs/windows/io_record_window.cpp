#include "io_record_window.h"

#include "io_test_record_painter.h"

#include "docs/export_text.h"
#include "online/io_test_record_export.h"
#include "online/io_test_record.h"
#include "ui/cp1252_text.h"
#include "ui/message_box.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvo {

namespace {

constexpr const char* kCaption = "I/O test record";
const QColor kUntested(0xFF, 0xE0, 0xA0);

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

std::filesystem::path LocalPath(const QString& file) {
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

}  // namespace

TfrmIoRecord::TfrmIoRecord(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmIoRecord"));
    setWindowTitle(QString::fromLatin1(kCaption));
    resize(860, 620);

    laHeader_ = new QLabel(this);
    laHeader_->setObjectName(QStringLiteral("LaHeader"));
    laHeader_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    laSummary_ = new QLabel(this);
    laSummary_->setObjectName(QStringLiteral("LaSummary"));
    QFont bold = laSummary_->font();
    bold.setBold(true);
    laSummary_->setFont(bold);

    gridPoints_ = new QTableWidget(0, 9, this);
    gridPoints_->setObjectName(QStringLiteral("GridPoints"));
    gridPoints_->setHorizontalHeaderLabels({QStringLiteral("slot"), QStringLiteral("module"), QStringLiteral("tag"),
                                            QStringLiteral("direction"), QStringLiteral("address"),
                                            QStringLiteral("result"), QStringLiteral("seen / switched"),
                                            QStringLiteral("switched by"), QStringLiteral("first change")});
    gridPoints_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridPoints_->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridPoints_->verticalHeader()->setVisible(false);
    gridPoints_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    gridPoints_->horizontalHeader()->setStretchLastSection(true);

    const auto button = [this](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    buttonPdf_ = button("ButtonExportPdf", "export PDF...");
    buttonCsv_ = button("ButtonExportCsv", "export CSV...");
    buttonJson_ = button("ButtonExportJson", "export JSON...");
    connect(buttonPdf_, &QPushButton::clicked, this,
            [this] { ExportClicked(QStringLiteral("export PDF"), QStringLiteral("PDF (*.pdf)"), &TfrmIoRecord::ExportPdf); });
    connect(buttonCsv_, &QPushButton::clicked, this,
            [this] { ExportClicked(QStringLiteral("export CSV"), QStringLiteral("CSV table (*.csv)"), &TfrmIoRecord::ExportCsv); });
    connect(buttonJson_, &QPushButton::clicked, this,
            [this] { ExportClicked(QStringLiteral("export JSON"), QStringLiteral("JSON (*.json)"), &TfrmIoRecord::ExportJson); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(laSummary_, 1);
    buttons->addWidget(buttonPdf_);
    buttons->addWidget(buttonCsv_);
    buttons->addWidget(buttonJson_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(laHeader_);
    layout->addWidget(gridPoints_, 1);
    layout->addLayout(buttons);
    Refresh();
}

void TfrmIoRecord::Bind(IoTestRecorder& recorder) {
    recorder_ = &recorder;
    recorder.SetChanged([this] {
        if (isVisible()) Refresh();
    });
    Refresh();
}

void TfrmIoRecord::ShowRecord() {
    Refresh();
    show();
    raise();
    activateWindow();
}

void TfrmIoRecord::Refresh() {
    const bool hasRecord = recorder_ != nullptr && recorder_->HasRecord();
    for (QPushButton* b : {buttonPdf_, buttonCsv_, buttonJson_}) b->setEnabled(hasRecord);
    if (!hasRecord) {
        laHeader_->setText(QStringLiteral("No I/O test has run yet: start it with \"online\" and the record fills."));
        laSummary_->clear();
        gridPoints_->setRowCount(0);
        return;
    }
    const IoTestRecord& r = recorder_->Record();
    const RecordHeader& h = r.header;
    QString ended = r.ended.empty() ? QStringLiteral("test running") : Utf8(r.ended) + QStringLiteral(", ") + Utf8(r.stopReason);
    laHeader_->setText(QStringLiteral("Project: %1    Station: %2 %3    Coupler: %4\n"
                                      "Configuration check: %5    Coupler state: %6\n"
                                      "Started: %7    Ended: %8")
                           .arg(Utf8(h.project))
                           .arg(h.station)
                           .arg(ToQString(h.stationName), Utf8(h.couplerAddress), Utf8(h.configurationCheck),
                                Utf8(h.stateRegister), Utf8(h.started), ended));
    laSummary_->setText(QStringLiteral("%1 of %2 points tested in %3 cycles")
                            .arg(r.CompleteCount())
                            .arg(r.points.size())
                            .arg(r.cycles));
    gridPoints_->setRowCount(static_cast<int>(r.points.size()));
    for (int row = 0; row < static_cast<int>(r.points.size()); ++row) {
        const PointRecord& p = r.points[static_cast<std::size_t>(row)];
        const AddressEntry& e = p.entry;
        const QStringList cells = {QString::number(e.slot),
                                   ToQString(e.moduleType),
                                   ToQString(e.tag),
                                   QString::fromLatin1(DirectionName(e.direction)),
                                   Utf8(PointAddress(p)),
                                   Utf8(PointResult(p)),
                                   Utf8(PointValues(p)),
                                   QString::fromLatin1(SourceName(p.source)),
                                   Utf8(p.firstChange)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (!p.Complete()) item->setBackground(kUntested);
            gridPoints_->setItem(row, column, item);
        }
    }
    gridPoints_->resizeColumnsToContents();
}

void TfrmIoRecord::ExportClicked(const QString& caption, const QString& filter,
                                 bool (TfrmIoRecord::*write)(const QString&)) {
    const QString file = QFileDialog::getSaveFileName(this, caption, QString(), filter);
    if (!file.isEmpty()) (this->*write)(file);
}

bool TfrmIoRecord::ExportPdf(const QString& file) {
    if (recorder_ == nullptr || !recorder_->HasRecord()) return false;
    QString error;
    if (WriteIoTestRecordPdf(recorder_->Record(), file, &error)) return true;
    ShowMessageBox(this, FromQString(error), kCaption);
    return false;
}

bool TfrmIoRecord::WriteText(const QString& file, bool json) {
    if (recorder_ == nullptr || !recorder_->HasRecord()) return false;
    try {
        WriteIoTestRecord(recorder_->Record(), LocalPath(file), json);
        return true;
    } catch (const ExportError& e) {
        ShowMessageBox(this, FromQString(Utf8(e.what())), kCaption);
        return false;
    }
}

bool TfrmIoRecord::ExportCsv(const QString& file) { return WriteText(file, false); }

bool TfrmIoRecord::ExportJson(const QString& file) { return WriteText(file, true); }

}  // namespace korvo
