#include "temperature_module.h"

#include <cmath>

namespace korvo::sim {

namespace {

constexpr uint8_t kFirstRead = 8;
constexpr uint8_t kLastRead = 11;
constexpr uint8_t kFirstConfigure = 24;
constexpr uint8_t kApply = 32;
constexpr uint8_t kFahrenheit = 32;

void PutWord(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

uint16_t DriftingTemperature(double seconds, int channel) {
    const double base = 200.0 + 15.0 * channel;
    return static_cast<uint16_t>(std::lround(base + 25.0 * std::sin(seconds / 20.0 + channel)));
}

void TemperatureModule::Take(const uint8_t* record) {
    const uint8_t code = record[0];
    if (code >= kFirstConfigure && code < kFirstConfigure + kMaxChannels) {
        pending_[code - kFirstConfigure] = Channel{record[2], record[1] == kFahrenheit};
    } else if (code == kApply) {
        applied_ = pending_;
    }
    command_ = code;
}

void TemperatureModule::SetError(int channel, uint8_t code) {
    if (channel >= 1 && channel <= kMaxChannels) errors_[static_cast<std::size_t>(channel - 1)] = code;
}

bool TemperatureModule::Answer(double seconds, uint8_t* response) const {
    if (command_ < kFirstRead || command_ > kLastRead) return false;
    const int first = 2 * (command_ - kFirstRead);
    response[0] = command_;
    response[1] = 0;
    for (int k = 0; k < 2; ++k) {
        const int channel = first + k;
        // The sensor current in tenths of a milliampere.
        PutWord(response + 2 + 2 * k, static_cast<uint16_t>(40 + channel / 2));
        const int celsius = DriftingTemperature(seconds, channel);
        const int value = applied_[static_cast<std::size_t>(channel)].fahrenheit ? celsius * 9 / 5 + 320 : celsius;
        PutWord(response + 6 + 2 * k, static_cast<uint16_t>(value));
        response[10 + k] = errors_[static_cast<std::size_t>(channel)];
    }
    return true;
}

std::string DescribeTemperatureCommand(const uint8_t* record) {
    const uint8_t code = record[0];
    if (code >= kFirstRead && code <= kLastRead) {
        const int first = 2 * (code - kFirstRead) + 1;
        return "read channels " + std::to_string(first) + "-" + std::to_string(first + 1) + " (outputs " +
               std::to_string(record[1]) + ")";
    }
    if (code >= kFirstConfigure && code < kFirstConfigure + TemperatureModule::kMaxChannels) {
        return "configure channel " + std::to_string(code - kFirstConfigure + 1) + ": sensor " +
               std::to_string(record[2]) + ", " + (record[1] == kFahrenheit ? "Fahrenheit" : "Celsius");
    }
    if (code == kApply) return "apply configuration";
    return {};
}

}  // namespace korvo::sim
