#pragma once
// "korvo io --trend FILE.csv" and "--events FILE.csv|FILE.json": the trend rows of every
// cycle and the event log, the CSV files written as the test goes (a killed run leaves
// every complete row), the JSON file whole when the test ends.

#include "online/cycle_observers.h"
#include "online/io_event_log.h"
#include "online/trend_file.h"
#include "online/trend_history.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace korvo {

class StationModel;

class IoTraceSession {
public:
    // Listens on observers; the event log also goes to whoever asks for Events().
    IoTraceSession(const StationModel& model, CycleObservers& observers, int intervalMs);

    // Opens the files asked for; false after a one-line error on err.
    bool OpenTrend(const std::string& file, std::ostream& err);
    bool OpenEvents(const std::string& file, std::ostream& err);
    const IoEventLog& Events() const { return events_; }
    // After the last cycle: the JSON event file, and whether every file was written
    // whole; false after a one-line error on err for each that was not.
    bool Finish(std::ostream& err);

private:
    CycleObservers& observers_;
    TrendHistory trend_;
    IoEventLog events_;
    std::unique_ptr<TrendFile> trendFile_;
    std::unique_ptr<AppendingFile> eventCsv_;
    std::string eventJson_;
};

}  // namespace korvo
