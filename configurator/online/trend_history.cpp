#include "online/trend_history.h"

#include "dialogs/korvo_rt_6.h"
#include "dialogs/korvo_tc_4.h"
#include "dialogs/korvo_tc_8.h"
#include "dialogs/module_data.h"
#include "dialogs/multi_channel_temperature.h"
#include "docs/export_text.h"
#include "docs/tag_names.h"
#include "station/text_encoding.h"
#include "station/station_model.h"

#include <cmath>
#include <ctime>

namespace korvo {

namespace {

const MultiChannelLayout* MultiChannelLayoutOf(const std::string& type) {
    if (type == "KORVO TC 4") return &Korvo_TC_4::Layout();
    if (type == "KORVO TC 8") return &Korvo_TC_8::Layout();
    if (type == "KORVO RT 6") return &Korvo_RT_6::Layout();
    return nullptr;
}

// The scale of a multi-channel temperature channel: its sensor code from the module's
// parameters (the type's first code when they are unreadable) and the unit the module
// was last told to read in.
WordScale ResponseScale(const TModul& m, const MultiChannelLayout& layout, int channel) {
    const auto codes = ReadParameterItems(m.Parameter, layout.channels, 0, MultiChannelTemperatureDialog::kMaxSensorCode);
    const std::int32_t code = codes && channel <= static_cast<int>(codes->size())
                                  ? (*codes)[static_cast<std::size_t>(channel - 1)]
                                  : layout.sensors.front().code;
    return MultiChannelTemperatureScale(code, (m.DialogState.appliedFahrenheit >> (channel - 1) & 1u) != 0);
}

std::int32_t RawOf(const TrendPoint& point, std::int32_t word) {
    if (point.digital) return word;
    const bool isSigned = point.point.scale ? point.point.scale->isSigned : false;
    return isSigned ? static_cast<std::int16_t>(static_cast<std::uint16_t>(word)) : word;
}

TrendTime MsOf(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

}  // namespace

TrendHistory::TrendHistory(const StationModel& model, Clock clock) : model_(model), clock_(std::move(clock)) {}

void TrendHistory::Begin(int intervalMs) {
    intervalMs_ = std::max(intervalMs, 1);
    points_.clear();
    rings_.clear();
    for (CyclePoint& cycle : CyclePoints(model_)) {
        if (!cycle.Testable()) continue;
        // A multi-channel temperature module's input words are its answers: its channels
        // are taken from them below.
        if (cycle.entry.direction == PointDirection::Input && MultiChannelLayoutOf(cycle.entry.moduleType)) continue;
        TrendPoint point;
        point.tag = cycle.entry.tag;
        point.slot = cycle.entry.slot;
        point.moduleType = cycle.entry.moduleType;
        point.digital = cycle.Digital();
        point.output = cycle.entry.direction == PointDirection::Output;
        point.channel = cycle.channel;
        if (cycle.scale) {
            point.unit = cycle.scale->unit;
            point.decimals = cycle.scale->decimals;
        }
        point.point = std::move(cycle);
        points_.push_back(std::move(point));
    }
    // The multi-channel temperature modules answer a pair of channels per read command.
    for (int slot = 1; slot <= model_.ModuleCount; ++slot) {
        const TModul* m = model_.Module(slot);
        if (m == nullptr || m->ModulZuStations != model_.CurrentStation || m->Input < 12) continue;
        const MultiChannelLayout* layout = MultiChannelLayoutOf(m->ModulType);
        if (layout == nullptr) continue;
        const ModuleTags tags = TagNamesOf(model_, slot);
        for (int c = 1; c <= layout->valueRows; ++c) {
            TrendPoint point;
            point.slot = slot;
            point.moduleType = m->ModulType;
            point.channel = c;
            point.fromResponse = true;
            point.tag = c <= static_cast<int>(tags.points.size()) ? tags.points[static_cast<std::size_t>(c - 1)]
                                                                   : m->ModulType + " " + std::to_string(slot) + " CH" +
                                                                         std::to_string(c);
            point.point.entry.slot = slot;
            point.point.entry.station = m->ModulZuStations;
            point.point.entry.moduleType = m->ModulType;
            point.point.entry.tag = point.tag;
            point.point.entry.width = PointWidth::Word;
            point.point.entry.byte = m->InputStart();
            point.point.entry.channel = true;
            point.point.channel = c;
            point.point.scale = ResponseScale(*m, *layout, c);
            point.unit = point.point.scale->unit;
            point.decimals = point.point.scale->decimals;
            points_.push_back(std::move(point));
        }
    }
    const std::size_t capacity = PointRing::CapacityFor(kSpan, intervalMs_);
    rings_.assign(points_.size(), PointRing(capacity));
    probes_.clear();
    scaled_.clear();
    inputs_.clear();
    outputs_.clear();
    responses_.clear();
    for (std::uint32_t i = 0; i < points_.size(); ++i) {
        const TrendPoint& p = points_[i];
        probes_.emplace_back(p.point.entry);
        scaled_.push_back(p.point.scale ? 1 : 0);
        if (p.fromResponse) {
            responses_.push_back(i);
        } else if (p.output) {
            outputs_.push_back(i);
        } else if (p.point.muxChannel == 0) {
            inputs_.push_back(i);
        }
    }
    last_.assign(points_.size(), 0);
    seen_.assign(points_.size(), 0);
    cycle_.clear();
    cycleMs_ = 0;
}

std::optional<std::size_t> TrendHistory::Find(const std::string& tag) const {
    for (std::size_t i = 0; i < points_.size(); ++i) {
        if (points_[i].tag == tag) return i;
    }
    return std::nullopt;
}

std::vector<std::size_t> TrendHistory::ChannelsOfSlot(int slot) const {
    std::vector<std::size_t> channels;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const TrendPoint& p = points_[i];
        if (p.slot == slot && p.channel > 0 && !p.digital) channels.push_back(i);
    }
    return channels;
}

std::size_t TrendHistory::MemoryBytes() const {
    std::size_t bytes = 0;
    for (const PointRing& ring : rings_) bytes += ring.MemoryBytes();
    return bytes;
}

std::size_t TrendHistory::FullMemoryBytes() const {
    return rings_.empty() ? 0 : rings_.size() * rings_.front().Capacity() * PointRing::BytesPerSample();
}

EngineeringValue TrendHistory::Convert(const TrendPoint& point, std::int32_t word) const {
    if (point.point.scale) return ToEngineering(*point.point.scale, static_cast<std::uint16_t>(word));
    EngineeringValue plain;
    plain.word = static_cast<std::uint16_t>(word);
    plain.isSigned = false;
    return plain;
}

void TrendHistory::Note(std::size_t index, std::int32_t word) {
    const TrendPoint& point = points_[index];
    if (cycleMs_ == 0) cycleMs_ = MsOf(clock_());
    const bool changed = seen_[index] == 0 || last_[index] != word;
    last_[index] = word;
    seen_[index] = 1;
    if (point.point.scale) {
        const EngineeringValue value = Convert(point, word);
        // An error word has no place on the line; the file still gets its row.
        if (value.value) rings_[index].Append(cycleMs_, static_cast<float>(*value.value));
        if (sink_) cycle_.push_back({index, cycleMs_, RawOf(point, word), value});
        return;
    }
    // Steps: only the changes are kept.
    if (changed) rings_[index].Append(cycleMs_, static_cast<float>(RawOf(point, word)));
    if (sink_) cycle_.push_back({index, cycleMs_, RawOf(point, word), Convert(point, word)});
}

void TrendHistory::TestStarted() {
    seen_.assign(points_.size(), 0);
}

void TrendHistory::ReadPoints(const std::vector<std::uint32_t>& points, const std::uint8_t* image, int length) {
    for (const std::uint32_t i : points) {
        const int value = probes_[i].ValueIn(image, length);
        if (value < 0) continue;
        // An unchanged step has nothing to add unless a file wants its row.
        if (!sink_ && scaled_[i] == 0 && seen_[i] != 0 && last_[i] == value) continue;
        Note(i, value);
    }
}

void TrendHistory::InputsRead(const std::uint8_t* image, int length) {
    cycleMs_ = MsOf(clock_());
    ReadPoints(inputs_, image, length);
    ReadResponses(image, length);
}

void TrendHistory::ReadResponses(const std::uint8_t* image, int length) {
    for (const std::uint32_t i : responses_) {
        TrendPoint& p = points_[i];
        const int start = p.point.entry.byte;
        if (start < 0 || start + MultiChannelTemperatureDialog::kRecordBytes > length) continue;
        const std::uint8_t* r = image + start;
        const int pair = r[0] - MultiChannelTemperatureDialog::kReadCommand;
        const int k = p.channel - 1 - 2 * pair;
        if (pair < 0 || k < 0 || k > 1) continue;
        // The dialog may have set another sensor or unit since the last response.
        if (const TModul* m = model_.Module(p.slot)) {
            if (const MultiChannelLayout* layout = MultiChannelLayoutOf(m->ModulType)) {
                p.point.scale = ResponseScale(*m, *layout, p.channel);
                p.unit = p.point.scale->unit;
            }
        }
        const std::size_t at = 6 + 2 * static_cast<std::size_t>(k);
        Note(i, r[at] << 8 | r[at + 1]);
    }
}

void TrendHistory::ChannelRead(int slot, int channel, std::int32_t value) {
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const TrendPoint& p = points_[i];
        if (p.slot == slot && p.point.muxChannel == channel) {
            Note(i, value & 0xFFFF);
            return;
        }
    }
}

void TrendHistory::OutputsWritten(const std::uint8_t* image, int length) {
    if (cycleMs_ == 0) cycleMs_ = MsOf(clock_());
    ReadPoints(outputs_, image, length);
}

void TrendHistory::CycleEnded() {
    const bool noted = cycleMs_ != 0;
    if (sink_ && !cycle_.empty()) sink_(cycle_);
    cycle_.clear();
    cycleMs_ = 0;
    if (noted && changed_) changed_();
}

std::string IsoTimeText(TrendTime ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    const int milli = static_cast<int>(ms - static_cast<TrendTime>(seconds) * 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%s.%03d%c%02ld:%02ld", date, milli, offset < 0 ? '-' : '+',
                  std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

std::string TrendCsvHeader() { return "time,tag,raw,value,unit,diagnostic\r\n"; }

std::string TrendCsvRow(const TrendPoint& point, const TrendReading& reading) {
    const EngineeringValue& v = reading.value;
    std::string value;
    if (v.value) {
        value = FixedText(*v.value, v.decimals);
    } else if (v.diagnostic.empty()) {
        // Digital points and unscaled words stand for themselves.
        value = std::to_string(reading.raw);
    }
    // A diagnostic's word reads as the unsigned code it is.
    const std::int32_t raw = v.diagnostic.empty() ? reading.raw : static_cast<std::int32_t>(v.word);
    return IsoTimeText(reading.ms) + "," + CsvField(Cp1252ToUtf8(point.tag)) + "," + std::to_string(raw) +
           "," + value + "," + CsvField(Cp1252ToUtf8(v.value ? v.unit : std::string())) + "," +
           CsvField(Cp1252ToUtf8(v.diagnostic)) + "\r\n";
}

}  // namespace korvo
