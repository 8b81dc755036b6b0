#pragma once
// A plot of some points of the I/O test's trends: measured values as lines reduced to
// the plot's width (no spike lost), digital points as steps, one lane each; one y axis
// per unit, autoscaled; the time axis the last span of the history. Redraws come at
// most once per turn of the event loop and only while the plot is seen and not paused;
// the series stay and only their points are replaced, so a redraw is cheap.

#include "online/point_ring.h"
#include "online/sample_blocks.h"

#include <QChartView>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace korvo {

class TrendHistory;

struct TrendSpan {
    const char* text;  // "1 min", "10 min", "1 h", "24 h"
    std::chrono::milliseconds span;
};
// The time windows a plot offers, shortest first.
const std::vector<TrendSpan>& TrendSpans();

class TrendChart : public QChartView {
    Q_OBJECT
public:
    static constexpr double kLaneStep = 1.5;
    // The points all lines of a plot draw at most: the series' cost grows with them,
    // so many lines share them and take fewer columns each.
    static constexpr int kPointBudget = 5000;

    explicit TrendChart(QWidget* parent = nullptr);
    ~TrendChart() override;

    // Draws these points (indexes into history's points) from now on; null: nothing.
    void Show(const TrendHistory* history, std::vector<std::size_t> points);
    const std::vector<std::size_t>& Points() const { return points_; }
    const TrendHistory* History() const { return history_; }
    void SetSpan(std::chrono::milliseconds span);
    std::chrono::milliseconds Span() const { return span_; }
    // A paused plot keeps its view; the history goes on recording.
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }

    // The history took new samples: redrawn once the window thread is free.
    void HistoryChanged();
    // Draws now, paused or not, seen or not.
    void Redraw();
    int Redraws() const { return redraws_; }

    // The time the view shows, in ms since 1970, as of the last redraw.
    TrendTime ViewFrom() const { return viewFrom_; }
    TrendTime ViewTo() const { return viewTo_; }
    // The series of the n-th point shown.
    QLineSeries* SeriesAt(std::size_t n) const { return n < series_.size() ? series_[n] : nullptr; }
    QDateTimeAxis* TimeAxis() const { return timeAxis_; }

    // The shown points over the shown time as a trend file, or the picture of the
    // plot; either the whole file is written or none. Why it failed, or nothing.
    std::optional<std::string> ExportCsv(const std::string& file);
    std::optional<std::string> ExportPng(const std::string& file);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RemoveSeries();
    void PlaceView();
    void ScheduleRedraw();
    // The columns each line of the plot is reduced to.
    int Columns() const;
    int TimeTicks() const;

    const TrendHistory* history_ = nullptr;
    std::vector<std::size_t> points_;
    std::vector<QLineSeries*> series_;
    std::vector<SampleBlocks> blocks_;
    // Per shown point: its y axis (index into axes_) and, for digital points, its lane.
    std::vector<std::size_t> axisOf_;
    std::vector<int> laneOf_;
    std::vector<QValueAxis*> axes_;
    std::vector<bool> digitalAxis_;
    QDateTimeAxis* timeAxis_ = nullptr;
    std::chrono::milliseconds span_{std::chrono::minutes(10)};
    bool paused_ = false;
    bool dirty_ = true;
    bool pending_ = false;
    int redraws_ = 0;
    bool placed_ = false;
    TrendTime viewFrom_ = 0;
    TrendTime viewTo_ = 0;
};

}  // namespace korvo
