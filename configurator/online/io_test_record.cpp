#include "online/io_test_record.h"

#include "dialogs/analog_input_options.h"
#include "dialogs/measured_value_errors.h"
#include "dialogs/module_data.h"
#include "station/station_model.h"

#include <algorithm>
#include <ctime>
#include <map>

namespace korvo {

namespace {

constexpr int kErrorBit = 0x8000;

int ValueAt(const PointRecord& p, const std::uint8_t* image, int length) {
    const int byte = p.entry.byte;
    if (p.entry.width == PointWidth::Bool) {
        if (byte < 0 || byte >= length) return -1;
        return (image[byte] >> p.entry.bit) & 1;
    }
    if (byte < 0 || byte + 1 >= length) return -1;
    return image[byte] * 256 + image[byte + 1];
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

// An analog channel reports its errors with the top bit set. The multiplexed module
// also measures above 7FFFh in its 16-bit format, so there only its error codes count.
bool IsErrorWord(const PointRecord& p, int value) {
    if (!p.entry.channel || (value & kErrorBit) == 0) return false;
    return p.muxChannel == 0 || !ExactErrorText(static_cast<std::uint16_t>(value)).empty();
}

void NoteInputWord(PointRecord& p, int value) {
    if (IsErrorWord(p, value)) {
        if (p.errorCode < 0) p.errorCode = value;
    } else {
        NoteWord(p, value);
    }
    p.last = value;
}

// The scale of input channel `channel` (1-based) of the module, for the types whose
// channels the cycle reads as words of their own.
std::optional<WordScale> InputScale(const TModul& m, int channel) {
    const auto word = [&](int channels) { return SentParameterWords(m, channels).at(static_cast<std::size_t>(channel - 1)); };
    if (m.ModulType == "KORVO AI 2" && channel <= 2) return AnalogInputScale(AnalogInputType::AI_2, word(2));
    if (m.ModulType == "KORVO AI 8" && channel <= 8) return AnalogInputScale(AnalogInputType::AI_8, word(8));
    if ((m.ModulType == "KORVO RT 2" || m.ModulType == "KORVO TC 2") && channel <= 2) {
        return TwoChannelTemperatureScale(m.ModulType, word(2));
    }
    return std::nullopt;
}

// The counter's value is its second input word; the first holds its state bits.
bool IsCounterValue(const TModul& m, const AddressEntry& entry) {
    return m.ModulType == "KORVO CT 1" && entry.direction == PointDirection::Input &&
           entry.width == PointWidth::Word && entry.byte == m.InputStart() + 2;
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

bool PointRecord::Testable() const {
    return !(entry.direction == PointDirection::Output && entry.width == PointWidth::Word && !entry.channel);
}

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
    int expanded = 0;
    std::map<int, int> inputChannels;  // per slot, the input channels seen so far
    for (AddressEntry& entry : BuildAddressMap(model_, model_.CurrentStation)) {
        // A multiplexed module's input words hold whichever channel was asked for last:
        // its channels are recorded one by one instead.
        if (entry.direction == PointDirection::Input) {
            if (entry.slot == expanded) continue;
            std::vector<AddressEntry> channels = MultiplexedChannels(model_, entry.slot);
            if (!channels.empty()) {
                expanded = entry.slot;
                int number = 0;
                for (AddressEntry& channel : channels) {
                    PointRecord point;
                    point.entry = std::move(channel);
                    point.muxChannel = ++number;
                    if (const TModul* m = model_.Module(point.entry.slot)) point.scale = InputScale(*m, number);
                    record_.points.push_back(std::move(point));
                }
                continue;
            }
        }
        PointRecord point;
        point.entry = std::move(entry);
        if (point.entry.channel && point.entry.direction == PointDirection::Input) {
            const int channel = ++inputChannels[point.entry.slot];
            if (const TModul* m = model_.Module(point.entry.slot)) point.scale = InputScale(*m, channel);
        } else if (const TModul* m = model_.Module(point.entry.slot);
                   m != nullptr && IsCounterValue(*m, point.entry)) {
            point.scale = CounterScale();
        }
        record_.points.push_back(std::move(point));
    }
    running_ = true;
    started_ = true;
    Changed();
}

void IoTestRecorder::Finish(const std::string& reason) {
    if (!running_) return;
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
