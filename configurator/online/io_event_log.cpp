#include "online/io_event_log.h"

#include "docs/export_text.h"
#include "online/trend_history.h"
#include "station/station_model.h"
#include "station/text_encoding.h"

#include <algorithm>
#include <cctype>

namespace korvo {

namespace {

TrendTime MsOf(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

// A measured word whose every move would be an event: its trend shows it instead.
bool Measured(const CyclePoint& p) {
    return p.entry.width == PointWidth::Word && p.entry.direction == PointDirection::Input;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

const char* EventSourceName(EventSource source) {
    switch (source) {
        case EventSource::InputRead: return "input read";
        case EventSource::LedClick: return "LED click";
        case EventSource::Dialog: return "dialog";
        case EventSource::TestStart: return "test start";
        case EventSource::TestStop: return "test stop";
        case EventSource::Reconnection: return "reconnection";
    }
    return "";
}

IoEventLog::IoEventLog(const StationModel& model, Clock clock) : model_(model), clock_(std::move(clock)) {}

void IoEventLog::Begin() {
    points_.clear();
    for (CyclePoint& p : CyclePoints(model_)) {
        if (p.Testable()) points_.push_back(std::move(p));
    }
    probes_.clear();
    inputs_.clear();
    outputs_.clear();
    for (std::uint32_t i = 0; i < points_.size(); ++i) {
        const CyclePoint& p = points_[i];
        probes_.emplace_back(p.entry);
        if (p.entry.direction == PointDirection::Output) {
            outputs_.push_back(i);
        } else if (p.muxChannel == 0) {
            inputs_.push_back(i);
        }
    }
    last_.assign(points_.size(), 0);
    known_.assign(points_.size(), 0);
    events_.clear();
    dropped_ = 0;
    reconnectInputs_ = reconnectOutputs_ = false;
}

void IoEventLog::TestStarted() {
    known_.assign(points_.size(), 0);
}

void IoEventLog::Reconnected() {
    reconnectInputs_ = reconnectOutputs_ = true;
}

void IoEventLog::InputsRead(const std::uint8_t* image, int length) {
    Compare(false, image, length, reconnectInputs_ ? std::optional(EventSource::Reconnection) : std::nullopt);
    reconnectInputs_ = false;
}

void IoEventLog::ChannelRead(int slot, int channel, std::int32_t value) {
    for (std::size_t i = 0; i < points_.size(); ++i) {
        if (points_[i].entry.slot == slot && points_[i].muxChannel == channel) {
            Take(i, value & 0xFFFF, EventSource::InputRead);
            return;
        }
    }
}

void IoEventLog::OutputsWritten(const std::uint8_t* image, int length) {
    Compare(true, image, length, reconnectOutputs_ ? std::optional(EventSource::Reconnection) : std::nullopt);
    reconnectOutputs_ = false;
}

void IoEventLog::OutputsSwitchedOff(const std::uint8_t* image, int length) {
    Compare(true, image, length, EventSource::TestStop);
}

void IoEventLog::Compare(bool outputs, const std::uint8_t* image, int length, std::optional<EventSource> source) {
    for (const std::uint32_t i : outputs ? outputs_ : inputs_) {
        const int value = probes_[i].ValueIn(image, length);
        if (value < 0 || (known_[i] != 0 && last_[i] == value)) continue;
        Take(i, value, source.value_or(outputs ? OutputSourceOf(points_[i]) : EventSource::InputRead));
    }
}

void IoEventLog::Take(std::size_t index, std::int32_t value, EventSource source) {
    const CyclePoint& p = points_[index];
    const bool first = known_[index] == 0;
    const std::int32_t old = last_[index];
    if (!first && old == value) return;
    known_[index] = 1;
    last_[index] = value;
    if (!first && Measured(p) && IsErrorWord(p, old) == IsErrorWord(p, value)) return;
    IoEvent event;
    event.ms = MsOf(clock_());
    event.tag = p.entry.tag;
    event.slot = p.entry.slot;
    event.output = p.entry.direction == PointDirection::Output;
    if (!first) event.oldValue = ValueText(p, old);
    event.newValue = ValueText(p, value);
    event.source = first ? EventSource::TestStart : source;
    // Stored before the sink hears it, so a listener finds it in Events() already.
    if (events_.size() < kMaxEvents) {
        events_.push_back(std::move(event));
        if (sink_) sink_(events_.back());
    } else {
        ++dropped_;
        if (sink_) sink_(event);
    }
}

EventSource IoEventLog::OutputSourceOf(const CyclePoint& point) const {
    const TModul* m = model_.Module(point.entry.slot);
    return m != nullptr && m->WriteMethode == 1 ? EventSource::LedClick : EventSource::Dialog;
}

std::string IoEventLog::ValueText(const CyclePoint& point, std::int32_t value) const {
    if (point.entry.width == PointWidth::Bool || !point.scale) return std::to_string(value);
    const EngineeringValue shown = ToEngineering(*point.scale, static_cast<std::uint16_t>(value));
    if (!shown.diagnostic.empty()) return shown.WordText() + " " + shown.diagnostic;
    const std::string text = shown.ValueText();
    return text.empty() ? shown.WordText() : text;
}

bool EventFilter::Passes(const IoEvent& event) const {
    if (source && event.source != *source) return false;
    return tagPart.empty() || Lower(event.tag).find(Lower(tagPart)) != std::string::npos;
}

std::string IoEventsCsvHeader() { return "time,tag,slot,direction,old,new,source\r\n"; }

std::string IoEventCsvRow(const IoEvent& e) {
    return IsoTimeText(e.ms) + "," + CsvField(Cp1252ToUtf8(e.tag)) + "," + std::to_string(e.slot) + "," +
           (e.output ? "output" : "input") + "," + CsvField(Cp1252ToUtf8(e.oldValue)) + "," +
           CsvField(Cp1252ToUtf8(e.newValue)) + "," + EventSourceName(e.source) + "\r\n";
}

std::string IoEventsJson(const std::vector<IoEvent>& events) {
    std::string text = "[";
    for (std::size_t i = 0; i < events.size(); ++i) {
        const IoEvent& e = events[i];
        text += i == 0 ? "\n" : ",\n";
        text += "  {\"time\": " + JsonQuoted(IsoTimeText(e.ms)) + ", \"tag\": " + JsonQuoted(Cp1252ToUtf8(e.tag)) +
                ", \"slot\": " + std::to_string(e.slot) + ", \"direction\": \"" + (e.output ? "output" : "input") +
                "\", \"old\": " + (e.oldValue.empty() ? std::string("null") : JsonQuoted(Cp1252ToUtf8(e.oldValue))) +
                ", \"new\": " + JsonQuoted(Cp1252ToUtf8(e.newValue)) + ", \"source\": \"" +
                EventSourceName(e.source) + "\"}";
    }
    text += events.empty() ? "]\n" : "\n]\n";
    return text;
}

}  // namespace korvo
