#include "trend_window.h"

#include "io_test_feed.h"
#include "trend_chart.h"
#include "trend_pane.h"

#include "online/trend_file.h"
#include "online/trend_history.h"
#include "ui/cp1252_text.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace korvo {

namespace {

QString ItemText(const TrendPoint& point) {
    QString text = ToQString(point.tag);
    if (point.digital) text += QStringLiteral("  (digital)");
    else if (!point.unit.empty()) text += QStringLiteral("  [%1]").arg(ToQString(point.unit));
    return text;
}

constexpr int kTagRole = Qt::UserRole;

}  // namespace

TfrmTrend::TfrmTrend(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmTrend"));
    setWindowTitle(QStringLiteral("trend"));
    resize(980, 560);
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);

    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    filter_ = new QLineEdit(left);
    filter_->setObjectName(QStringLiteral("EdTagFilter"));
    filter_->setPlaceholderText(QStringLiteral("filter by tag"));
    filter_->setClearButtonEnabled(true);
    list_ = new QListWidget(left);
    list_->setObjectName(QStringLiteral("ListPoints"));
    leftLayout->addWidget(filter_);
    leftLayout->addWidget(list_, 1);
    pane_ = new TrendPane(true, splitter);
    splitter->addWidget(left);
    splitter->addWidget(pane_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 700});
    layout->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    record_ = new QPushButton(QStringLiteral("record trend..."), this);
    record_->setObjectName(QStringLiteral("ButtonRecord"));
    stop_ = new QPushButton(QStringLiteral("stop recording"), this);
    stop_->setObjectName(QStringLiteral("ButtonStopRecording"));
    recording_ = new QLabel(this);
    recording_->setObjectName(QStringLiteral("LaRecording"));
    bottom->addWidget(record_);
    bottom->addWidget(stop_);
    bottom->addWidget(recording_, 1);
    layout->addLayout(bottom);

    connect(filter_, &QLineEdit::textChanged, this, &TfrmTrend::Filter);
    connect(list_, &QListWidget::itemChanged, this, &TfrmTrend::PicksChanged);
    connect(record_, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("record trend"), QString(),
                                                          QStringLiteral("CSV table (*.csv)"));
        if (!file.isEmpty()) StartRecording(file);
    });
    connect(stop_, &QPushButton::clicked, this, &TfrmTrend::StopRecording);
    UpdateButtons();
}

TfrmTrend::~TfrmTrend() = default;

void TfrmTrend::Bind(IoTestFeed& feed) {
    feed_ = &feed;
    pane_->SetFeed(feed_);
    connect(feed_, &IoTestFeed::begun, this, &TfrmTrend::FillList);
    connect(feed_, &IoTestFeed::readings, this, &TfrmTrend::Write);
    connect(feed_, &IoTestFeed::ended, this, [this] {
        StopRecording();
        UpdateButtons();
    });
    FillList();
}

void TfrmTrend::FillList() {
    const TrendHistory* history = feed_ != nullptr && feed_->Begun() ? feed_->Trends() : nullptr;
    const QSignalBlocker quiet(list_);
    list_->clear();
    if (history != nullptr) {
        for (const TrendPoint& point : history->Points()) {
            auto* item = new QListWidgetItem(ItemText(point), list_);
            item->setData(kTagRole, QByteArray::fromStdString(point.tag));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(picked_.count(point.tag) != 0 ? Qt::Checked : Qt::Unchecked);
        }
    }
    Filter(filter_->text());
    // The pane asks for the points at the same new test; it gets them from the list.
    pane_->ShowPoints([this](const TrendHistory&) { return Picked(); });
    UpdateButtons();
}

void TfrmTrend::Filter(const QString& text) {
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        const QString tag = ToQString(item->data(kTagRole).toByteArray().toStdString());
        item->setHidden(!tag.contains(text, Qt::CaseInsensitive));
    }
}

bool TfrmTrend::Pick(const QString& tag, bool picked) {
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        if (ToQString(item->data(kTagRole).toByteArray().toStdString()) != tag) continue;
        item->setCheckState(picked ? Qt::Checked : Qt::Unchecked);
        return true;
    }
    return false;
}

std::vector<std::size_t> TfrmTrend::Picked() const {
    std::vector<std::size_t> points;
    const TrendHistory* history = feed_ != nullptr ? feed_->Trends() : nullptr;
    if (history == nullptr) return points;
    for (int row = 0; row < list_->count(); ++row) {
        const QListWidgetItem* item = list_->item(row);
        if (item->checkState() != Qt::Checked) continue;
        if (const auto point = history->Find(item->data(kTagRole).toByteArray().toStdString())) points.push_back(*point);
    }
    return points;
}

void TfrmTrend::PicksChanged() {
    picked_.clear();
    for (int row = 0; row < list_->count(); ++row) {
        const QListWidgetItem* item = list_->item(row);
        if (item->checkState() == Qt::Checked) picked_.insert(item->data(kTagRole).toByteArray().toStdString());
    }
    pane_->ShowPoints([this](const TrendHistory&) { return Picked(); });
    if (file_) file_->Only(Picked());
    UpdateButtons();
}

bool TfrmTrend::StartRecording(const QString& file) {
    StopRecording();
    if (feed_ == nullptr || !feed_->Running() || Picked().empty()) {
        ShowRecording(QStringLiteral("pick points while the I/O test runs to record them"), true);
        return false;
    }
    std::string error;
    file_ = TrendFile::Open(std::filesystem::path(QFile::encodeName(file).toStdString()), &error);
    if (!file_) {
        ShowRecording(QString::fromStdString(error), true);
        UpdateButtons();
        return false;
    }
    file_->Only(Picked());
    ShowRecording(QStringLiteral("recording to %1: 0 rows").arg(file), false);
    UpdateButtons();
    return true;
}

void TfrmTrend::StopRecording() {
    if (!file_) return;
    const QString path = QFile::decodeName(QByteArray::fromStdString(file_->Path().string()));
    if (file_->Failed()) {
        ShowRecording(QStringLiteral("recording stopped after %1 rows: %2")
                          .arg(file_->Rows())
                          .arg(QString::fromStdString(file_->Error())),
                      true);
    } else {
        ShowRecording(QStringLiteral("recorded %1 rows to %2").arg(file_->Rows()).arg(path), false);
    }
    file_.reset();
    UpdateButtons();
}

void TfrmTrend::Write(const std::vector<TrendReading>& readings) {
    if (!file_ || feed_ == nullptr || feed_->Trends() == nullptr) return;
    file_->Write(*feed_->Trends(), readings);
    if (file_->Failed()) {
        StopRecording();
        return;
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(file_->Path().string()));
    ShowRecording(QStringLiteral("recording to %1: %2 rows").arg(path).arg(file_->Rows()), false);
}

void TfrmTrend::ShowRecording(const QString& text, bool failed) {
    QPalette palette = recording_->palette();
    palette.setColor(QPalette::WindowText, failed ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    recording_->setPalette(palette);
    recording_->setText(text);
}

void TfrmTrend::UpdateButtons() {
    record_->setEnabled(!file_ && feed_ != nullptr && feed_->Running() && !picked_.empty());
    stop_->setEnabled(file_ != nullptr);
}

}  // namespace korvo
