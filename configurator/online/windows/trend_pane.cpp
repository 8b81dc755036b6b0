#include "trend_pane.h"

#include "io_test_feed.h"
#include "trend_chart.h"

#include "online/trend_history.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvo {

namespace {

constexpr int kStartSpan = 1;  // "10 min"

std::string LocalPath(const QString& file) { return QFile::encodeName(file).toStdString(); }

}  // namespace

TrendPane::TrendPane(bool offerDay, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TrendPane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* controls = new QHBoxLayout;
    spans_ = new QComboBox(this);
    spans_->setObjectName(QStringLiteral("ComboTimeWindow"));
    const std::vector<TrendSpan>& spans = TrendSpans();
    for (std::size_t i = 0; i < spans.size() - (offerDay ? 0 : 1); ++i) spans_->addItem(QString::fromLatin1(spans[i].text));
    pause_ = new QCheckBox(QStringLiteral("pause"), this);
    pause_->setObjectName(QStringLiteral("CheckPause"));
    exportCsv_ = new QPushButton(QStringLiteral("export CSV"), this);
    exportCsv_->setObjectName(QStringLiteral("ButtonExportCsv"));
    exportPng_ = new QPushButton(QStringLiteral("export PNG"), this);
    exportPng_->setObjectName(QStringLiteral("ButtonExportPng"));
    controls->addWidget(spans_);
    controls->addWidget(pause_);
    controls->addStretch();
    controls->addWidget(exportCsv_);
    controls->addWidget(exportPng_);
    layout->addLayout(controls);

    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("LaTrendResult"));
    result_->setWordWrap(true);
    result_->hide();
    layout->addWidget(result_);
    noTrend_ = new QLabel(QString::fromLatin1(kNoTrend), this);
    noTrend_->setObjectName(QStringLiteral("LaNoTrend"));
    noTrend_->setAlignment(Qt::AlignCenter);
    layout->addWidget(noTrend_, 1);
    chart_ = new TrendChart(this);
    chart_->SetSpan(spans[kStartSpan].span);
    layout->addWidget(chart_, 1);
    spans_->setCurrentIndex(kStartSpan);

    connect(spans_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) chart_->SetSpan(TrendSpans()[static_cast<std::size_t>(index)].span);
    });
    connect(pause_, &QCheckBox::toggled, chart_, &TrendChart::SetPaused);
    connect(exportCsv_, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("export CSV"), QString(),
                                                          QStringLiteral("CSV table (*.csv)"));
        if (!file.isEmpty()) ExportCsv(file);
    });
    connect(exportPng_, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("export PNG"), QString(),
                                                          QStringLiteral("PNG picture (*.png)"));
        if (!file.isEmpty()) ExportPng(file);
    });
    Refresh();
}

void TrendPane::SetFeed(IoTestFeed* feed) {
    if (feed_ != nullptr) disconnect(feed_, nullptr, this, nullptr);
    feed_ = feed;
    if (feed_ != nullptr) {
        connect(feed_, &IoTestFeed::begun, this, &TrendPane::Refresh);
        connect(feed_, &IoTestFeed::trendsChanged, chart_, &TrendChart::HistoryChanged);
    }
    Refresh();
}

void TrendPane::ShowPoints(PointPick pick) {
    pick_ = std::move(pick);
    Refresh();
}

void TrendPane::ShowSlot(int slot) {
    ShowPoints([slot](const TrendHistory& history) { return history.ChannelsOfSlot(slot); });
}

void TrendPane::Refresh() {
    const TrendHistory* history = feed_ != nullptr && feed_->Begun() ? feed_->Trends() : nullptr;
    noTrend_->setVisible(history == nullptr);
    chart_->setVisible(history != nullptr);
    for (QWidget* control : std::initializer_list<QWidget*>{spans_, pause_, exportCsv_, exportPng_})
        control->setEnabled(history != nullptr);
    chart_->Show(history, history != nullptr && pick_ ? pick_(*history) : std::vector<std::size_t>{});
}

void TrendPane::ShowResult(const std::optional<std::string>& error, const QString& file) {
    QPalette palette = result_->palette();
    palette.setColor(QPalette::WindowText, error ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    result_->setPalette(palette);
    result_->setText(error ? QString::fromStdString(*error) : QStringLiteral("written: ") + file);
    result_->show();
}

bool TrendPane::ExportCsv(const QString& file) {
    const std::optional<std::string> error = chart_->ExportCsv(LocalPath(file));
    ShowResult(error, file);
    return !error;
}

bool TrendPane::ExportPng(const QString& file) {
    const std::optional<std::string> error = chart_->ExportPng(LocalPath(file));
    ShowResult(error, file);
    return !error;
}

}  // namespace korvo
