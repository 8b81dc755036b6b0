#include "trend_chart.h"

#include "online/trend_file.h"
#include "online/trend_history.h"
#include "station/safe_file_write.h"
#include "ui/cp1252_text.h"

#include <QBuffer>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFont>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPixmap>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>
#include <limits>
#include <map>

namespace korvo {

namespace {

using namespace std::chrono_literals;

// A line gets at least this many columns, however many share the plot.
constexpr int kMinColumns = 50;

QString AxisTitle(const TrendPoint& point) {
    if (point.digital) return QStringLiteral("state");
    return point.unit.empty() ? QStringLiteral("value") : ToQString(point.unit);
}

QString SeriesName(const TrendPoint& point) {
    QString name = ToQString(point.tag);
    if (!point.digital && !point.unit.empty()) name += QStringLiteral(" [%1]").arg(ToQString(point.unit));
    return name;
}

QString TimeFormat(std::chrono::milliseconds span) {
    return span <= 10min ? QStringLiteral("hh:mm:ss") : QStringLiteral("hh:mm");
}

}  // namespace

const std::vector<TrendSpan>& TrendSpans() {
    static const std::vector<TrendSpan> spans = {
        {"1 min", 1min}, {"10 min", 10min}, {"1 h", 1h}, {"24 h", 24h}};
    return spans;
}

TrendChart::TrendChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("TrendChart"));
    // Thin lines without smoothing draw fastest, and the columns are a pixel wide anyway.
    setRenderHint(QPainter::Antialiasing, false);
    QChart* plot = chart();
    plot->setAnimationOptions(QChart::NoAnimation);
    plot->legend()->setAlignment(Qt::AlignBottom);
    // Tags are long and panes narrow: a smaller legend keeps them readable.
    QFont small = plot->legend()->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    plot->legend()->setFont(small);
    plot->setMargins(QMargins(4, 4, 4, 4));
    plot->layout()->setContentsMargins(0, 0, 0, 0);
    plot->setBackgroundRoundness(0);
    setMinimumSize(320, 240);
    RemoveSeries();
}

TrendChart::~TrendChart() = default;

void TrendChart::RemoveSeries() {
    QChart* plot = chart();
    plot->removeAllSeries();
    series_.clear();
    blocks_.clear();
    for (QValueAxis* axis : axes_) {
        plot->removeAxis(axis);
        delete axis;
    }
    axes_.clear();
    digitalAxis_.clear();
    axisOf_.clear();
    laneOf_.clear();
    // A time axis that was once without series is never drawn again: it goes with them.
    if (timeAxis_ != nullptr) {
        plot->removeAxis(timeAxis_);
        delete timeAxis_;
    }
    timeAxis_ = new QDateTimeAxis;
    timeAxis_->setFormat(TimeFormat(span_));
    timeAxis_->setTickCount(TimeTicks());
    timeAxis_->setTitleText(QStringLiteral("time"));
    plot->addAxis(timeAxis_, Qt::AlignBottom);
    if (placed_) timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(viewFrom_), QDateTime::fromMSecsSinceEpoch(viewTo_));
}

void TrendChart::Show(const TrendHistory* history, std::vector<std::size_t> points) {
    RemoveSeries();
    history_ = history;
    points_.clear();
    if (history_ != nullptr) {
        for (std::size_t point : points) {
            if (point < history_->Points().size()) points_.push_back(point);
        }
    }
    QChart* plot = chart();
    std::map<QString, std::size_t> axisOfTitle;
    int lanes = 0;
    for (std::size_t point : points_) {
        const TrendPoint& p = history_->Points()[point];
        const QString title = AxisTitle(p);
        auto found = axisOfTitle.find(title);
        if (found == axisOfTitle.end()) {
            auto* axis = new QValueAxis;
            axis->setTitleText(title);
            if (p.digital) axis->setLabelsVisible(false);
            // Units take turns left and right, so each axis stands by itself.
            plot->addAxis(axis, axes_.size() % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
            found = axisOfTitle.emplace(title, axes_.size()).first;
            axes_.push_back(axis);
            digitalAxis_.push_back(p.digital);
        }
        auto* series = new QLineSeries;
        series->setName(SeriesName(p));
        plot->addSeries(series);
        // The theme gave the series its colour on adding.
        QPen pen = series->pen();
        pen.setWidth(1);
        pen.setCosmetic(true);
        series->setPen(pen);
        series->attachAxis(timeAxis_);
        series->attachAxis(axes_[found->second]);
        series_.push_back(series);
        blocks_.emplace_back();
        axisOf_.push_back(found->second);
        laneOf_.push_back(p.digital ? lanes++ : -1);
    }
    for (std::size_t a = 0; a < axes_.size(); ++a) {
        if (!digitalAxis_[a]) continue;
        axes_[a]->setRange(-0.25, (lanes - 1) * kLaneStep + 1.25);
    }
    dirty_ = true;
    if (isVisible()) Redraw();
}

void TrendChart::SetSpan(std::chrono::milliseconds span) {
    span_ = span;
    timeAxis_->setFormat(TimeFormat(span_));
    if (paused_) viewFrom_ = viewTo_ - span_.count();
    dirty_ = true;
    if (isVisible()) Redraw();
}

void TrendChart::SetPaused(bool paused) {
    paused_ = paused;
    if (!paused_ && dirty_ && isVisible()) Redraw();
}

void TrendChart::HistoryChanged() {
    dirty_ = true;
    ScheduleRedraw();
}

void TrendChart::ScheduleRedraw() {
    if (pending_ || paused_ || !isVisible()) return;
    pending_ = true;
    // After the cycle that told us, and once however many changes come before.
    QTimer::singleShot(0, this, [this] {
        pending_ = false;
        if (dirty_ && !paused_ && isVisible()) Redraw();
    });
}

void TrendChart::PlaceView() {
    TrendTime newest = std::numeric_limits<TrendTime>::min();
    if (history_ != nullptr) {
        // The last cycle's time: every measured channel has a sample of it.
        for (std::size_t p = 0; p < history_->Points().size(); ++p) {
            const PointRing& ring = history_->History(p);
            if (!ring.Empty()) newest = std::max(newest, ring.Newest().ms);
        }
    }
    if (newest == std::numeric_limits<TrendTime>::min()) newest = QDateTime::currentMSecsSinceEpoch();
    // The view ends at the column boundary after the newest sample: it moves once a
    // column fills, and a redraw that moves no axis lays out only the new points.
    const TrendTime column = std::max<TrendTime>(1, span_.count() / Columns());
    viewTo_ = (newest + column - 1) / column * column;
    viewFrom_ = viewTo_ - span_.count();
    placed_ = true;
}

int TrendChart::Columns() const {
    const int plotWidth = static_cast<int>(chart()->plotArea().width());
    const int width = plotWidth > 0 ? plotWidth : this->width();
    // A column draws up to four points: first, last, lowest and highest.
    const int shared = kPointBudget / (4 * std::max<int>(1, static_cast<int>(series_.size())));
    return std::max(kMinColumns, std::min(width, shared));
}

void TrendChart::Redraw() {
    if (!paused_ || !placed_) PlaceView();
    dirty_ = false;
    ++redraws_;
    const int columns = Columns();
    std::vector<double> low(axes_.size(), std::numeric_limits<double>::max());
    std::vector<double> high(axes_.size(), std::numeric_limits<double>::lowest());
    std::vector<QList<QPointF>> lines(series_.size());
    for (std::size_t n = 0; n < series_.size(); ++n) {
        QList<QPointF> drawn;
        const PointRing& ring = history_->History(points_[n]);
        const int lane = laneOf_[n];
        std::vector<TrendSample> samples;
        if (lane >= 0) {
            samples = StepSamples(MinMaxDownsample(ring, viewFrom_, viewTo_, columns), viewTo_);
        } else {
            blocks_[n].Follow(ring);
            const std::size_t inView = ring.Size() - ring.LowerBound(viewFrom_);
            // Where a column holds several blocks, the blocks are read instead of the samples.
            samples = inView >= static_cast<std::size_t>(columns) * 2 * SampleBlocks::kSize
                          ? blocks_[n].Envelope(viewFrom_, viewTo_, columns)
                          : MinMaxDownsample(ring, viewFrom_, viewTo_, columns);
        }
        const double offset = lane >= 0 ? lane * kLaneStep : 0.0;
        drawn.reserve(static_cast<qsizetype>(samples.size()));
        double& lo = low[axisOf_[n]];
        double& hi = high[axisOf_[n]];
        for (const TrendSample& s : samples) {
            drawn.append(QPointF(static_cast<qreal>(s.ms), s.value + offset));
            lo = std::min(lo, s.value);
            hi = std::max(hi, s.value);
        }
        lines[n] = std::move(drawn);
    }
    for (std::size_t a = 0; a < axes_.size(); ++a) {
        if (digitalAxis_[a] || low[a] > high[a]) continue;
        // The scale stays while the values fill most of it, so it does not twitch.
        const double shownLow = axes_[a]->min();
        const double shownHigh = axes_[a]->max();
        if (low[a] >= shownLow && high[a] <= shownHigh && high[a] - low[a] >= 0.6 * (shownHigh - shownLow)) continue;
        const double margin = high[a] > low[a] ? (high[a] - low[a]) * 0.05 : std::max(1.0, std::abs(high[a]) * 0.05);
        axes_[a]->setRange(low[a] - margin, high[a] + margin);
        axes_[a]->applyNiceNumbers();
    }
    const QDateTime from = QDateTime::fromMSecsSinceEpoch(viewFrom_);
    const QDateTime to = QDateTime::fromMSecsSinceEpoch(viewTo_);
    if (timeAxis_->min() != from || timeAxis_->max() != to) timeAxis_->setRange(from, to);
    // The axes are set first, so each series lays out its new points only once.
    for (std::size_t n = 0; n < series_.size(); ++n) series_[n]->replace(lines[n]);
}

std::optional<std::string> TrendChart::ExportCsv(const std::string& file) {
    if (history_ == nullptr || points_.empty()) return std::string("no trend to export");
    // What the plot shows, or would show once its redraw comes.
    if (!placed_ || (dirty_ && !paused_)) PlaceView();
    return WriteFileSafely(file, TrendHistoryCsv(*history_, points_, viewFrom_, viewTo_));
}

std::optional<std::string> TrendChart::ExportPng(const std::string& file) {
    if (dirty_ && !paused_) Redraw();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!grab().save(&buffer, "PNG")) return std::string("cannot draw the picture of the trend");
    return WriteFileSafely(file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TrendChart::showEvent(QShowEvent* event) {
    QChartView::showEvent(event);
    if (dirty_ && !paused_) ScheduleRedraw();
}

int TrendChart::TimeTicks() const {
    // A time label takes about 70 px; fewer of them than fit would be truncated.
    return std::clamp(width() / 110, 2, 8);
}

void TrendChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    if (timeAxis_ != nullptr) timeAxis_->setTickCount(TimeTicks());
    // The columns follow the plot's width.
    dirty_ = true;
    ScheduleRedraw();
}

}  // namespace korvo
