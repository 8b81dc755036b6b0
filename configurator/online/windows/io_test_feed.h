#pragma once
// What the windows of a running I/O test (the trend panes, the trend window, the event
// log) hear of it. The history and the log each have one change callback and one
// sink; the main window owns those and forwards them here, where any number of
// windows listen.
//
//   IoTestFeed feed([&] { return history.get(); }, [&] { return log.get(); });
//   history->SetChanged([&] { feed.NotifyTrendsChanged(); });
//   connect(&feed, &IoTestFeed::trendsChanged, chart, &TrendChart::HistoryChanged);

#include "online/trend_history.h"

#include <QObject>

#include <functional>
#include <vector>

namespace korvo {

class IoEventLog;

// The test's trends and event log; null until the main window's first activation.
using TrendSource = std::function<TrendHistory*()>;
using EventLogSource = std::function<IoEventLog*()>;

class IoTestFeed : public QObject {
    Q_OBJECT
public:
    IoTestFeed(TrendSource trends, EventLogSource events, QObject* parent = nullptr);

    TrendHistory* Trends() const { return trends_ ? trends_() : nullptr; }
    IoEventLog* Events() const { return events_ ? events_() : nullptr; }
    // A test has begun since the program started: the history has the station's points.
    bool Begun() const { return begun_; }
    bool Running() const { return running_; }

    void NotifyBegun();
    void NotifyTrendsChanged() { Q_EMIT trendsChanged(); }
    void NotifyReadings(const std::vector<TrendReading>& cycle) { Q_EMIT readings(cycle); }
    void NotifyEventLogged() { Q_EMIT eventLogged(); }
    // Once per test, however many ways its end is noticed.
    void NotifyEnded();

Q_SIGNALS:
    // The history and the log were begun afresh: the points may be others now.
    void begun();
    void trendsChanged();
    void readings(const std::vector<TrendReading>& readings);
    void eventLogged();
    void ended();

private:
    TrendSource trends_;
    EventLogSource events_;
    bool begun_ = false;
    bool running_ = false;
};

}  // namespace korvo
