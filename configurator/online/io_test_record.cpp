#include "online/io_test_record.h"

#include "online/cycle_points.h"
#include "station/station_model.h"

#include <algorithm>
#include <ctime>

namespace korvo {

namespace {

int ValueAt(const PointRecord& p, const std::uint8_t* image, int length) {
    return PointValue(p.entry, image, length);
}

void NoteWord(PointRecord& p, int value) {
    if (!p.seenValue) {
        p.minimum = p.maximum = value;
        p.seenValue = true;
        return;
    }
    p.minimum = std::min(p.minimum, value);
    p.maximum = std::max(p.maximum, value);
}

void NoteInputWord(PointRecord& p, int value) {
    if (IsErrorWord(p.entry, p.muxChannel, value)) {
        if (p.errorCode < 0) p.errorCode = value;
    } else {
        NoteWord(p, value);
    }
    p.last = value;
}

}  // namespace

const char* SourceName(OutputSource source) {
    switch (source) {
        case OutputSource::LedClick: return "LED click";
        case OutputSource::Dialog: return "dialog";
        case OutputSource::None: break;
    }
    return "";
}

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Ok: return "OK";
        case Verdict::NotOk: return "not OK";
        case Verdict::NotWired: return "not wired";
        case Verdict::None: break;
    }
    return "";
}

bool PointRecord::Testable() const { return TestablePoint(entry); }

bool PointRecord::Complete() const {
    if (entry.width == PointWidth::Bool) return seen0 && seen1;
    return seenValue && minimum != maximum;
}

int IoTestRecord::CompleteCount() const {
    return static_cast<int>(
        std::count_if(points.begin(), points.end(), [](const PointRecord& p) { return p.Testable() && p.Complete(); }));
}

int IoTestRecord::TestableCount() const {
    return static_cast<int>(std::count_if(points.begin(), points.end(), [](const PointRecord& p) { return p.Testable(); }));
}

void IoTestRecorder::SetVerdict(std::size_t point, Verdict verdict, std::string remark) {
    if (point >= record_.points.size()) return;
    record_.points[point].verdict = verdict;
    record_.points[point].remark = std::move(remark);
    Changed();
}

IoTestRecorder::IoTestRecorder(const StationModel& model, Clock clock) : model_(model), clock_(std::move(clock)) {}

std::string IoTestRecorder::TimeText(std::chrono::system_clock::time_point time) {
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void IoTestRecorder::Begin(RecordHeader header) {
    record_ = IoTestRecord{};
    record_.header = std::move(header);
    record_.header.started = TimeText(clock_());
    if (record_.header.tester.empty()) record_.header.tester = model_.Properties.Tester;
    outputsWritten_ = false;
    for (CyclePoint& cycle : CyclePoints(model_)) {
        PointRecord point;
        point.entry = std::move(cycle.entry);
        point.muxChannel = cycle.muxChannel;
        point.scale = std::move(cycle.scale);
        record_.points.push_back(std::move(point));
    }
    running_ = true;
    started_ = true;
    Changed();
}

const IoTestRecord& IoTestRecorder::Record() const {
    if (running_) SyncEvents();
    return record_;
}

void IoTestRecorder::SyncEvents() const {
    if (events_ == nullptr) return;
    const std::vector<IoEvent>& log = events_->Events();
    // A log begun anew since the last copy is copied whole.
    if (log.size() < record_.events.size()) record_.events.clear();
    const std::size_t kept = std::min(log.size(), IoTestRecord::kMaxEvents);
    record_.events.insert(record_.events.end(), log.begin() + static_cast<std::ptrdiff_t>(record_.events.size()),
                          log.begin() + static_cast<std::ptrdiff_t>(std::max(kept, record_.events.size())));
    record_.droppedEvents = log.size() - record_.events.size() + events_->Dropped();
}

void IoTestRecorder::Finish(const std::string& reason) {
    if (!running_) return;
    SyncEvents();
    running_ = false;
    record_.ended = TimeText(clock_());
    record_.stopReason = reason;
    Changed();
}

void IoTestRecorder::InputsRead(const std::uint8_t* image, int length) {
    if (!running_) return;
    ++record_.cycles;
    for (PointRecord& p : record_.points) {
        if (p.entry.direction != PointDirection::Input || p.muxChannel > 0) continue;
        const int value = ValueAt(p, image, length);
        if (value < 0) continue;
        if (p.entry.width == PointWidth::Bool) {
            (value != 0 ? p.seen1 : p.seen0) = true;
            p.last = value;
        } else {
            NoteInputWord(p, value);
        }
    }
    Changed();
}

void IoTestRecorder::ChannelRead(int slot, int channel, std::int32_t value) {
    if (!running_) return;
    for (PointRecord& p : record_.points) {
        if (p.entry.slot != slot || p.muxChannel != channel) continue;
        NoteInputWord(p, value);
        Changed();
        return;
    }
}

void IoTestRecorder::OutputsWritten(const std::uint8_t* image, int length) {
    if (!running_) return;
    const std::string now = TimeText(clock_());
    // The first image written is where the test starts from, not a change by anyone.
    const bool baseline = !outputsWritten_;
    outputsWritten_ = true;
    for (PointRecord& p : record_.points) {
        if (p.entry.direction != PointDirection::Output) continue;
        const int value = ValueAt(p, image, length);
        if (value < 0) continue;
        if (p.entry.width == PointWidth::Word) NoteWord(p, value);
        if (baseline) p.last = value;
        if (value == p.last) continue;
        if (p.entry.width == PointWidth::Bool) (value != 0 ? p.seen1 : p.seen0) = true;
        if (p.source == OutputSource::None) {
            const TModul* m = model_.Module(p.entry.slot);
            p.source = m != nullptr && m->WriteMethode == 1 ? OutputSource::LedClick : OutputSource::Dialog;
            p.firstChange = now;
        }
        p.last = value;
    }
    Changed();
}

void IoTestRecorder::CycleStopped(const std::string& status) {
    if (!running_) return;
    record_.connectionLost = true;
    Finish("connection lost: " + status);
}

void IoTestRecorder::NoConnection(const std::string& status) {
    if (!running_) return;
    record_.connectionLost = true;
    Finish("no connection: " + status);
}

void IoTestRecorder::Changed() {
    if (changed_) changed_();
}

}  // namespace korvo
