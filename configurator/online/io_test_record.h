#pragma once
// The commissioning record of the I/O test: per input point whether it was seen at 0
// and at 1, per analog channel the range seen and any error code, per output point
// whether it was switched on and off, by whom, and when first. Fed by the I/O cycle;
// what was seen stays when the connection is lost, with the time and the reason.

#include "dialogs/engineering_value.h"
#include "docs/address_map.h"
#include "online/io_cycle_observer.h"
#include "online/io_event_log.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

// Who switched an output: LED clicks on a digital output module, or a module dialog
// that put its values or commands into the module's output data.
enum class OutputSource { None, LedClick, Dialog };
const char* SourceName(OutputSource source);  // "", "LED click", "dialog"

// What the tester found at a point, set by hand in the record window.
enum class Verdict { None, Ok, NotOk, NotWired };
const char* VerdictName(Verdict verdict);  // "", "OK", "not OK", "not wired"

struct PointRecord {
    AddressEntry entry;
    // BOOL points: inputs seen at 0 / 1; outputs switched off / on (after having been on).
    bool seen0 = false;
    bool seen1 = false;
    // WORD points: the range of values seen or written, error codes left out.
    bool seenValue = false;
    int minimum = 0;
    int maximum = 0;
    int errorCode = -1;  // the first error word of an analog input channel, -1: none
    // Outputs: who made the first change and when.
    OutputSource source = OutputSource::None;
    std::string firstChange;
    int last = 0;  // the value of the last cycle
    // 1..8: a channel of a module whose channels are read one per cycle (the AI 8),
    // recorded from the value the cycle filled in; 0: a point of its own in the image.
    int muxChannel = 0;
    Verdict verdict = Verdict::None;
    std::string remark;  // UTF-8
    // An analog or temperature input channel's unit, from the parameter word the test
    // sends; none for the other points.
    std::optional<WordScale> scale;

    // Seen in both states (a BOOL) or seen moving (a WORD).
    bool Complete() const;
    // A point the user can switch or watch: not a parameter word or a request word
    // that the modules' dialogs write, which the test has nothing to find out about.
    bool Testable() const;
};

struct RecordHeader {
    std::string project;          // file name, UTF-8
    int station = 0;
    std::string stationName;      // Windows-1252
    std::string couplerAddress;
    std::string configurationCheck;  // e.g. "station OK"
    std::string stateRegister;       // the coupler's state bits in words
    std::string started;             // "2026-12-09 10:15:00"
    std::string tester;              // from the project's properties, Windows-1252
};

struct IoTestRecord {
    RecordHeader header;
    std::vector<PointRecord> points;
    int cycles = 0;
    std::string ended;       // empty while the test runs
    std::string stopReason;  // why it ended
    bool connectionLost = false;  // stopped for the connection: lost, or never made
    // The first events of the test's log, as an appendix (the whole log goes to its own
    // file); those beyond kMaxEvents only counted, so the record stays readable.
    static constexpr std::size_t kMaxEvents = 20000;
    std::vector<IoEvent> events;
    std::size_t droppedEvents = 0;

    // Of the testable points only.
    int CompleteCount() const;
    int TestableCount() const;
};

class IoTestRecorder : public IoCycleObserver {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit IoTestRecorder(const StationModel& model, Clock clock = &std::chrono::system_clock::now);

    // Starts a new record of the model's current station; the header's start time is set here.
    void Begin(RecordHeader header);
    // Ends the record (the user stopped the test, the cycles are done).
    void Finish(const std::string& reason);
    // Ends the record of a test that could not start: the coupler was not reached.
    void NoConnection(const std::string& status);
    bool Running() const { return running_; }
    bool HasRecord() const { return started_; }
    // With the events the log has seen so far while the test runs.
    const IoTestRecord& Record() const;
    // The log whose events the record carries; may be null.
    void SetEventLog(const IoEventLog* log) { events_ = log; }
    // The tester's verdict and remark for a point (index into Record().points).
    void SetVerdict(std::size_t point, Verdict verdict, std::string remark);
    // Told after every change of the record.
    void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    void InputsRead(const std::uint8_t* image, int length) override;
    void ChannelRead(int slot, int channel, std::int32_t value) override;
    void OutputsWritten(const std::uint8_t* image, int length) override;
    void CycleStopped(const std::string& status) override;

    // "YYYY-MM-DD hh:mm:ss" in local time.
    static std::string TimeText(std::chrono::system_clock::time_point time);

private:
    void Changed();

    const StationModel& model_;
    Clock clock_;
    void SyncEvents() const;

    // The events are copied in as the record is asked for while the test runs.
    mutable IoTestRecord record_;
    bool running_ = false;
    bool started_ = false;
    bool outputsWritten_ = false;
    std::function<void()> changed_;
    const IoEventLog* events_ = nullptr;
};

}  // namespace korvo
