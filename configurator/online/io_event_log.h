#pragma once
// The I/O test's event log: every change of an input or output point while the test
// runs, with the time in milliseconds, the point's tag, the old and the new value and
// what made it: the cycle that read the inputs, an LED click, a module dialog, the
// start or the end of the test, or the coupler answering again after a lost
// connection. At the start every point's first value is logged once (old value
// empty), so that the later changes read from a known state. Measured words (analog,
// temperature, counter) move in every cycle and belong to the trends: they are logged
// only when they start or stop reporting an error.

#include "online/cycle_points.h"
#include "online/io_cycle_observer.h"
#include "online/point_ring.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

enum class EventSource { InputRead, LedClick, Dialog, TestStart, TestStop, Reconnection };
// "input read", "LED click", "dialog", "test start", "test stop", "reconnection"
const char* EventSourceName(EventSource source);

struct IoEvent {
    TrendTime ms = 0;
    std::string tag;  // Windows-1252
    int slot = 0;
    bool output = false;
    std::string oldValue;  // as the value reads: "0", "1", "16000"; empty at the start
    std::string newValue;
    EventSource source = EventSource::InputRead;
};

class IoEventLog : public IoCycleObserver {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    // Kept in memory at most; the ones after are counted (a file being written gets all).
    static constexpr std::size_t kMaxEvents = 200000;

    explicit IoEventLog(const StationModel& model, Clock clock = &std::chrono::system_clock::now);

    // Forgets the events and takes the current station's points afresh.
    void Begin();
    const std::vector<IoEvent>& Events() const { return events_; }
    std::size_t Dropped() const { return dropped_; }
    // Told every event as it happens (a file, the window).
    void SetSink(std::function<void(const IoEvent&)> sink) { sink_ = std::move(sink); }

    void TestStarted() override;
    void InputsRead(const std::uint8_t* image, int length) override;
    void ChannelRead(int slot, int channel, std::int32_t value) override;
    void OutputsWritten(const std::uint8_t* image, int length) override;
    void CycleStopped(const std::string&) override {}
    void Reconnected() override;
    void OutputsSwitchedOff(const std::uint8_t* image, int length) override;

private:
    void Compare(bool outputs, const std::uint8_t* image, int length, std::optional<EventSource> source);
    void Take(std::size_t point, std::int32_t value, EventSource source);
    EventSource OutputSourceOf(const CyclePoint& point) const;
    std::string ValueText(const CyclePoint& point, std::int32_t value) const;

    const StationModel& model_;
    Clock clock_;
    std::vector<CyclePoint> points_;
    // What every cycle reads, kept apart from the points' texts.
    std::vector<PointProbe> probes_;
    std::vector<std::uint32_t> inputs_;  // points of their own in the input image
    std::vector<std::uint32_t> outputs_;
    std::vector<std::int32_t> last_;
    std::vector<char> known_;
    bool reconnectInputs_ = false;
    bool reconnectOutputs_ = false;
    std::vector<IoEvent> events_;
    std::size_t dropped_ = 0;
    std::function<void(const IoEvent&)> sink_;
};

// Which events a filter lets through: a tag part (case-insensitive, empty: all) and
// a source (none: all).
struct EventFilter {
    std::string tagPart;
    std::optional<EventSource> source;
    bool Passes(const IoEvent& event) const;
};

// "time,tag,slot,direction,old,new,source", time as IsoTimeText, UTF-8, RFC 4180.
std::string IoEventsCsvHeader();
std::string IoEventCsvRow(const IoEvent& event);
// [{"time": "...", "tag": "...", "slot": 3, "direction": "input", "old": null, "new": "1", "source": "input read"}, ...]
std::string IoEventsJson(const std::vector<IoEvent>& events);

}  // namespace korvo
