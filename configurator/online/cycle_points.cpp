#include "online/cycle_points.h"

#include "dialogs/analog_input_options.h"
#include "dialogs/measured_value_errors.h"
#include "dialogs/module_data.h"
#include "station/station_model.h"

#include <map>

namespace korvo {

namespace {

constexpr int kErrorBit = 0x8000;

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

bool TestablePoint(const AddressEntry& entry) {
    return !(entry.direction == PointDirection::Output && entry.width == PointWidth::Word && !entry.channel);
}

std::vector<CyclePoint> CyclePoints(const StationModel& model) {
    std::vector<CyclePoint> points;
    int expanded = 0;
    std::map<int, int> inputChannels;   // per slot, the input channels seen so far
    std::map<int, int> outputChannels;  // and the output channels
    for (AddressEntry& entry : BuildAddressMap(model, model.CurrentStation)) {
        // A multiplexed module's input words hold whichever channel was asked for last:
        // its channels are taken one by one instead.
        if (entry.direction == PointDirection::Input) {
            if (entry.slot == expanded) continue;
            std::vector<AddressEntry> channels = MultiplexedChannels(model, entry.slot);
            if (!channels.empty()) {
                expanded = entry.slot;
                int number = 0;
                for (AddressEntry& channel : channels) {
                    CyclePoint point;
                    point.entry = std::move(channel);
                    point.muxChannel = ++number;
                    point.channel = number;
                    if (const TModul* m = model.Module(point.entry.slot)) point.scale = InputScale(*m, number);
                    points.push_back(std::move(point));
                }
                continue;
            }
        }
        CyclePoint point;
        point.entry = std::move(entry);
        const TModul* m = model.Module(point.entry.slot);
        if (point.entry.channel && point.entry.direction == PointDirection::Input) {
            point.channel = ++inputChannels[point.entry.slot];
            if (m != nullptr) point.scale = InputScale(*m, point.channel);
        } else if (point.entry.channel) {
            point.channel = ++outputChannels[point.entry.slot];
        } else if (m != nullptr && IsCounterValue(*m, point.entry)) {
            point.channel = 1;
            point.scale = CounterScale();
        }
        points.push_back(std::move(point));
    }
    return points;
}

int PointValue(const AddressEntry& entry, const std::uint8_t* image, int length) {
    const int byte = entry.byte;
    if (entry.width == PointWidth::Bool) {
        if (byte < 0 || byte >= length) return -1;
        return (image[byte] >> entry.bit) & 1;
    }
    if (byte < 0 || byte + 1 >= length) return -1;
    return image[byte] * 256 + image[byte + 1];
}

// An analog channel reports its errors with the top bit set. The multiplexed module
// also measures above 7FFFh in its 16-bit format, so there only its error codes count.
bool IsErrorWord(const AddressEntry& entry, int muxChannel, int value) {
    if (!entry.channel || (value & kErrorBit) == 0) return false;
    return muxChannel == 0 || !ExactErrorText(static_cast<std::uint16_t>(value)).empty();
}

}  // namespace korvo
