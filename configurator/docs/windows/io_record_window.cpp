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
#include <QComboBox>
#include <QPushButton>
#include <QStyledItemDelegate>
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

constexpr Verdict kVerdicts[] = {Verdict::None, Verdict::Ok, Verdict::NotOk, Verdict::NotWired};

Verdict VerdictOfText(const QString& text) {
    for (const Verdict verdict : kVerdicts) {
        if (text == QString::fromLatin1(VerdictName(verdict))) return verdict;
    }
    return Verdict::None;
}

// The verdict cell edits as a choice of the four verdicts.
class VerdictDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->setObjectName(QStringLiteral("VerdictChoice"));
        for (const Verdict verdict : kVerdicts) box->addItem(QString::fromLatin1(VerdictName(verdict)));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(std::max(0, box->findText(index.data().toString())));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }
};

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

    gridPoints_ = new QTableWidget(0, 11, this);
    gridPoints_->setObjectName(QStringLiteral("GridPoints"));
    gridPoints_->setHorizontalHeaderLabels({QStringLiteral("slot"), QStringLiteral("module"), QStringLiteral("tag"),
                                            QStringLiteral("direction"), QStringLiteral("address"),
                                            QStringLiteral("result"), QStringLiteral("seen / switched"),
                                            QStringLiteral("switched by"), QStringLiteral("first change"),
                                            QStringLiteral("verdict"), QStringLiteral("remark")});
    // Only the verdict and the remark are the tester's; the other cells are not editable.
    gridPoints_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                 QAbstractItemView::EditKeyPressed);
    gridPoints_->setItemDelegateForColumn(kVerdictColumn, new VerdictDelegate(gridPoints_));
    connect(gridPoints_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kVerdictColumn || item->column() == kRemarkColumn) PointEdited(item->row());
    });
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
                            .arg(r.TestableCount())
                            .arg(r.cycles));
    // Items are kept and only their texts change, so an open verdict or remark editor
    // survives the cycle's refresh.
    const QSignalBlocker quiet(gridPoints_);
    const bool newRows = gridPoints_->rowCount() != static_cast<int>(r.points.size());
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
                                   Utf8(p.firstChange),
                                   QString::fromLatin1(VerdictName(p.verdict)),
                                   Utf8(p.remark)};
        for (int column = 0; column < cells.size(); ++column) {
            QTableWidgetItem* item = gridPoints_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                if (column != kVerdictColumn && column != kRemarkColumn) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                gridPoints_->setItem(row, column, item);
            }
            if (item->text() != cells[column]) item->setText(cells[column]);
            item->setBackground(p.Testable() && !p.Complete() ? QBrush(kUntested) : QBrush());
        }
    }
    if (newRows) gridPoints_->resizeColumnsToContents();
}

void TfrmIoRecord::PointEdited(int row) {
    if (recorder_ == nullptr || row < 0 || row >= gridPoints_->rowCount()) return;
    const QTableWidgetItem* verdict = gridPoints_->item(row, kVerdictColumn);
    const QTableWidgetItem* remark = gridPoints_->item(row, kRemarkColumn);
    // The record keeps its remarks in UTF-8, as its exports write them.
    recorder_->SetVerdict(static_cast<std::size_t>(row), VerdictOfText(verdict ? verdict->text() : QString()),
                          remark ? remark->text().toStdString() : std::string());
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
