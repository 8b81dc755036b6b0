#pragma once
// The trends of the I/O test: per point of the current station a ring of its values
// (engineering values where the word has a scale, 0/1 for digital points, the word
// otherwise), 24 h at the test's interval, fed by the cycle. Measured channels take
// a sample every cycle that read them; digital points and unscaled words only when
// their value changes, as a plot draws them as steps. The multi-channel temperature
// modules' actual values come from the responses their dialog's read commands bring.
// Error words of measured channels are left out of the line.

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

struct TrendPoint {
    std::string tag;   // Windows-1252
    int slot = 0;
    std::string moduleType;
    // 1-based channel of its module shown by its properties window; 0 for digital points.
    int channel = 0;
    bool digital = false;
    bool output = false;
    std::string unit;  // Windows-1252; empty for digital points and unscaled words
    int decimals = 0;
    CyclePoint point;
    // A multi-channel temperature channel: its values come in the module's responses.
    bool fromResponse = false;
};

// One value of one point in one cycle, as the trend file writes it.
struct TrendReading {
    std::size_t point = 0;  // index into TrendHistory::Points()
    TrendTime ms = 0;
    std::int32_t raw = 0;   // the word as its format reads it, 0/1 for a BOOL
    EngineeringValue value; // scale applied; no value for digital points and unscaled words
};

class TrendHistory : public IoCycleObserver {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    static constexpr std::chrono::hours kSpan{24};

    explicit TrendHistory(const StationModel& model, Clock clock = &std::chrono::system_clock::now);

    // New, empty histories for the current station's points, each sized for kSpan at
    // intervalMs; what was kept before is dropped.
    void Begin(int intervalMs);
    const std::vector<TrendPoint>& Points() const { return points_; }
    const PointRing& History(std::size_t point) const { return rings_.at(point); }
    std::optional<std::size_t> Find(const std::string& tag) const;
    // The measured channels of the module in slot, in channel order: what its
    // properties window shows.
    std::vector<std::size_t> ChannelsOfSlot(int slot) const;
    std::size_t MemoryBytes() const;
    // Bytes all rings of the points take once full.
    std::size_t FullMemoryBytes() const;
    int IntervalMs() const { return intervalMs_; }

    // Told the readings of every cycle that ended, in point order (the trend file).
    void SetReadingsSink(std::function<void(const std::vector<TrendReading>&)> sink) { sink_ = std::move(sink); }
    // Told after every cycle that added samples (a plot redraws).
    void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    void TestStarted() override;
    void InputsRead(const std::uint8_t* image, int length) override;
    void ChannelRead(int slot, int channel, std::int32_t value) override;
    void OutputsWritten(const std::uint8_t* image, int length) override;
    void CycleEnded() override;
    void CycleStopped(const std::string&) override {}

private:
    void Note(std::size_t point, std::int32_t word);
    EngineeringValue Convert(const TrendPoint& point, std::int32_t word) const;
    void ReadPoints(const std::vector<std::uint32_t>& points, const std::uint8_t* image, int length);
    void ReadResponses(const std::uint8_t* image, int length);

    const StationModel& model_;
    Clock clock_;
    int intervalMs_ = 1000;
    std::vector<TrendPoint> points_;
    std::vector<PointRing> rings_;
    // What every cycle reads, kept apart from the points' texts.
    std::vector<PointProbe> probes_;
    std::vector<char> scaled_;
    std::vector<std::uint32_t> inputs_;  // points of their own in the input image
    std::vector<std::uint32_t> outputs_;
    std::vector<std::uint32_t> responses_;
    std::vector<std::int32_t> last_;  // the last word per point, for changes
    std::vector<char> seen_;
    TrendTime cycleMs_ = 0;
    std::vector<TrendReading> cycle_;
    std::function<void(const std::vector<TrendReading>&)> sink_;
    std::function<void()> changed_;
};

// The trend file: "time,tag,raw,value,unit,diagnostic" with the time as ISO 8601 local
// time with milliseconds and offset ("2026-12-10T14:03:07.250+01:00"), the value with
// a point as decimal separator, UTF-8. One row per reading.
std::string TrendCsvHeader();
std::string TrendCsvRow(const TrendPoint& point, const TrendReading& reading);
std::string IsoTimeText(TrendTime ms);

}  // namespace korvo
