#include "event_log_window.h"

#include "io_test_feed.h"

#include "online/trend_history.h"
#include "station/safe_file_write.h"
#include "ui/cp1252_text.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo {

namespace {

constexpr EventSource kSources[] = {EventSource::InputRead, EventSource::LedClick,   EventSource::Dialog,
                                    EventSource::TestStart, EventSource::TestStop, EventSource::Reconnection};

QString TimeText(TrendTime ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

}  // namespace

IoEventTable::IoEventTable(QObject* parent) : QAbstractTableModel(parent) {}

void IoEventTable::Bind(const IoEventLog* log) {
    log_ = log;
    Rebuild();
}

void IoEventTable::SetFilter(EventFilter filter) {
    filter_ = std::move(filter);
    Rebuild();
}

void IoEventTable::Rebuild() {
    beginResetModel();
    rows_.clear();
    seen_ = 0;
    if (log_ != nullptr) {
        const std::vector<IoEvent>& events = log_->Events();
        for (; seen_ < events.size(); ++seen_) {
            if (filter_.Passes(events[seen_])) rows_.push_back(seen_);
        }
    }
    endResetModel();
}

void IoEventTable::CatchUp() {
    if (log_ == nullptr) return;
    const std::vector<IoEvent>& events = log_->Events();
    // Fewer than before: the log began again with a new test.
    if (events.size() < seen_) {
        Rebuild();
        return;
    }
    std::vector<std::size_t> added;
    for (; seen_ < events.size(); ++seen_) {
        if (filter_.Passes(events[seen_])) added.push_back(seen_);
    }
    if (added.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    rows_.insert(rows_.end(), added.begin(), added.end());
    endInsertRows();
}

const IoEvent& IoEventTable::EventAt(int row) const { return log_->Events()[rows_.at(static_cast<std::size_t>(row))]; }

std::vector<IoEvent> IoEventTable::Shown() const {
    std::vector<IoEvent> shown;
    shown.reserve(rows_.size());
    for (std::size_t row : rows_) shown.push_back(log_->Events()[row]);
    return shown;
}

int IoEventTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int IoEventTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant IoEventTable::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const IoEvent& event = EventAt(index.row());
    switch (index.column()) {
        case Time: return TimeText(event.ms);
        case Tag: return ToQString(event.tag);
        case Change: return ToQString(event.oldValue) + QStringLiteral(" \u2192 ") + ToQString(event.newValue);
        case Source: return QString::fromLatin1(EventSourceName(event.source));
        default: return {};
    }
}

QVariant IoEventTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
        case Time: return QStringLiteral("time");
        case Tag: return QStringLiteral("tag");
        case Change: return QStringLiteral("old \u2192 new");
        case Source: return QStringLiteral("source");
        default: return {};
    }
}

TfrmEventLog::TfrmEventLog(QWidget* parent) : QWidget(parent, Qt::Window), table_(new IoEventTable(this)) {
    setObjectName(QStringLiteral("frmEventLog"));
    setWindowTitle(QStringLiteral("event log"));
    resize(760, 520);
    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    tagFilter_ = new QLineEdit(this);
    tagFilter_->setObjectName(QStringLiteral("EdTagFilter"));
    tagFilter_->setPlaceholderText(QStringLiteral("filter by tag"));
    tagFilter_->setClearButtonEnabled(true);
    source_ = new QComboBox(this);
    source_->setObjectName(QStringLiteral("ComboSource"));
    source_->addItem(QStringLiteral("all"));
    for (const EventSource source : kSources) source_->addItem(QString::fromLatin1(EventSourceName(source)));
    filters->addWidget(tagFilter_, 1);
    filters->addWidget(source_);
    layout->addLayout(filters);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("GridEvents"));
    grid_->setModel(table_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    // Fixed row heights and column widths: nothing is measured per row.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setColumnWidth(IoEventTable::Time, 180);
    grid_->setColumnWidth(IoEventTable::Tag, 220);
    grid_->setColumnWidth(IoEventTable::Change, 140);
    layout->addWidget(grid_, 1);

    auto* bottom = new QHBoxLayout;
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("LaCount"));
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("LaExportResult"));
    auto* csv = new QPushButton(QStringLiteral("export CSV"), this);
    csv->setObjectName(QStringLiteral("ButtonExportCsv"));
    auto* json = new QPushButton(QStringLiteral("export JSON"), this);
    json->setObjectName(QStringLiteral("ButtonExportJson"));
    bottom->addWidget(count_);
    bottom->addWidget(result_, 1);
    bottom->addWidget(csv);
    bottom->addWidget(json);
    layout->addLayout(bottom);

    connect(tagFilter_, &QLineEdit::textChanged, this, &TfrmEventLog::FilterChanged);
    connect(source_, &QComboBox::currentIndexChanged, this, &TfrmEventLog::FilterChanged);
    connect(csv, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("export CSV"), QString(),
                                                          QStringLiteral("CSV table (*.csv)"));
        if (!file.isEmpty()) ExportCsv(file);
    });
    connect(json, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("export JSON"), QString(),
                                                          QStringLiteral("JSON (*.json)"));
        if (!file.isEmpty()) ExportJson(file);
    });
    ShowCount();
}

void TfrmEventLog::Bind(IoTestFeed& feed) {
    feed_ = &feed;
    table_->Bind(feed_->Events());
    connect(feed_, &IoTestFeed::begun, this, [this] { table_->Bind(feed_->Events()); ShowCount(); });
    connect(feed_, &IoTestFeed::eventLogged, this, &TfrmEventLog::EventLogged);
    ShowCount();
}

void TfrmEventLog::FilterChanged() {
    EventFilter filter;
    filter.tagPart = FromQString(tagFilter_->text());
    if (const int index = source_->currentIndex(); index > 0) filter.source = kSources[index - 1];
    table_->SetFilter(std::move(filter));
    ShowCount();
}

void TfrmEventLog::EventLogged() {
    // A cycle logs many events: the table takes them once the cycle is over, and
    // only while it is seen.
    if (pending_ || !isVisible()) return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] {
        pending_ = false;
        Refresh();
    });
}

void TfrmEventLog::Refresh() {
    QScrollBar* bar = grid_->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    table_->CatchUp();
    if (atEnd) grid_->scrollToBottom();
    ShowCount();
}

void TfrmEventLog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void TfrmEventLog::ShowCount() {
    const IoEventLog* log = feed_ != nullptr ? feed_->Events() : nullptr;
    const std::size_t all = log != nullptr ? log->Events().size() : 0;
    QString text = QStringLiteral("%1 of %2 events").arg(table_->rowCount()).arg(all);
    if (log != nullptr && log->Dropped() > 0) text += QStringLiteral(", %1 more not kept").arg(log->Dropped());
    count_->setText(text);
}

bool TfrmEventLog::Export(const QString& file, const std::string& text) {
    const std::optional<std::string> error = WriteFileSafely(QFile::encodeName(file).toStdString(), text);
    QPalette palette = result_->palette();
    palette.setColor(QPalette::WindowText, error ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    result_->setPalette(palette);
    result_->setText(error ? QString::fromStdString(*error) : QStringLiteral("written: ") + file);
    return !error;
}

bool TfrmEventLog::ExportCsv(const QString& file) {
    std::string text = IoEventsCsvHeader();
    for (const IoEvent& event : table_->Shown()) text += IoEventCsvRow(event);
    return Export(file, text);
}

bool TfrmEventLog::ExportJson(const QString& file) { return Export(file, IoEventsJson(table_->Shown())); }

}  // namespace korvo
