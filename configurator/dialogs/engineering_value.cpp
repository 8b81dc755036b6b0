#include "engineering_value.h"

#include "analog_input_options.h"
#include "analog_output_value.h"
#include "measured_value_errors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace korvo {

namespace {

constexpr const char* kVolt = "V";
constexpr const char* kMilliAmpere = "mA";
constexpr const char* kCelsius =
    "\xB0"
    "C";
constexpr const char* kFahrenheit =
    "\xB0"
    "F";
constexpr const char* kOhm = "Ohm";
constexpr const char* kMilliVolt = "mV";
constexpr const char* kCounts = "counts";

// The end values of an analog input's measuring range code.
struct MeasuringRange {
    std::uint16_t code;
    double lower;
    double upper;
    const char* unit;
};

constexpr MeasuringRange kMeasuringRanges[] = {
    {0, 0, 10, kVolt},         {1, -10, 10, kVolt},       {2, 0, 5, kVolt},
    {3, -5, 5, kVolt},         {4, 0, 25, kVolt},         {5, -25, 25, kVolt},
    {6, 0, 50, kVolt},         {8, 0, 20, kMilliAmpere},  {9, -20, 20, kMilliAmpere},
    {10, 4, 20, kMilliAmpere}, {12, 0, 40, kMilliAmpere}, {13, -40, 40, kMilliAmpere},
};

// Value formats of the analog inputs, by code.
constexpr int kFormat15BitDiagnostic = 0;
constexpr int kFormat12BitDiagnostic = 1;
constexpr int kFormat15BitSigned = 2;
constexpr int kFormatStandardized = 3;
constexpr int kFormat16Bit = 4;
// The 12-bit format keeps three error bits below its value.
constexpr std::uint16_t kTwelveBitStatus = 0x0007;

// Sensor types of the two-channel temperature modules that measure no temperature.
constexpr int kRt2FirstReserve = 10;
constexpr int kRt2Poti = 12;
constexpr int kRt2FirstLinear = 13;
constexpr int kTc2MilliVolt = 14;
constexpr int kLastSensorCode = 14;

// The RT 6 sensor codes of its resistance ranges ("R0 0..400" to "R0 0..4000").
constexpr std::int32_t kFirstResistanceCode = 26;
constexpr std::int32_t kLastResistanceCode = 28;

WordScale Linear(double word0, double value0, double word1, double value1, const char* unit, int decimals) {
    WordScale scale;
    scale.word0 = word0;
    scale.value0 = value0;
    scale.word1 = word1;
    scale.value1 = value1;
    scale.unit = unit;
    scale.decimals = decimals;
    return scale;
}

// One digit of the word is `step` of the unit.
WordScale Steps(double step, const char* unit, int decimals) {
    return Linear(0, 0, 1, step, unit, decimals);
}

std::int32_t Number(std::uint16_t word, bool isSigned) {
    return isSigned ? static_cast<std::int16_t>(word) : word;
}

std::string Diagnostic(DiagnosticMatch match, std::uint16_t word) {
    switch (match) {
        case DiagnosticMatch::Exact: return ExactErrorText(word);
        case DiagnosticMatch::Bits: return (word & 0xFF00) == 0x8000 ? BitErrorText(word) : std::string();
        case DiagnosticMatch::None: break;
    }
    return {};
}

}  // namespace

std::string FixedText(double value, int decimals) {
    const double scaled = std::round(value * std::pow(10.0, decimals));
    // Built without printf, whose decimal separator follows the locale the GUI sets.
    std::array<char, 64> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), scaled == 0 ? 0.0 : value,
                                            std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text.data(), end) : std::string("?");
}

std::string WordScale::Text() const {
    if (unit.empty()) return "no engineering value";
    const auto end = [&](double word, double value) {
        return FixedText(word, 0) + " = " + FixedText(value, decimals) + " " + unit;
    };
    return end(word0, value0) + ", " + end(word1, value1);
}

std::string EngineeringValue::WordText() const {
    if (!diagnostic.empty()) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04Xh", word);
        return hex;
    }
    return std::to_string(Number(word, isSigned));
}

std::string EngineeringValue::ValueText() const {
    return value ? FixedText(*value, decimals) + " " + unit : std::string();
}

EngineeringValue ToEngineering(const WordScale& scale, std::uint16_t word) {
    EngineeringValue shown;
    shown.word = word;
    shown.isSigned = scale.isSigned;
    shown.diagnostic = Diagnostic(scale.diagnostics, word);
    shown.unit = scale.unit;
    shown.decimals = scale.decimals;
    if (!shown.diagnostic.empty() || scale.unit.empty()) return shown;
    const double number = Number(static_cast<std::uint16_t>(word & ~scale.statusBits), scale.isSigned);
    shown.value =
        scale.value0 + (number - scale.word0) * (scale.value1 - scale.value0) / (scale.word1 - scale.word0);
    return shown;
}

WordScale AnalogInputScale(AnalogInputType type, std::uint16_t parameterWord) {
    // The options the dialog shows for the word are what the module measures with.
    const AnalogSelection selection = SelectAnalogOptions(type, parameterWord);
    const auto code = [&](int group) {
        return AnalogInputGroup(type, group).options[static_cast<std::size_t>(selection.option[group])].code;
    };
    const std::uint16_t rangeCode = code(kRangeGroup);
    const auto range = std::find_if(std::begin(kMeasuringRanges), std::end(kMeasuringRanges),
                                    [&](const MeasuringRange& r) { return r.code == rangeCode; });
    const bool bipolar = range->lower < 0;
    const auto fullScale = [&](double word) {
        return Linear(bipolar ? -word : 0, range->lower, word, range->upper, range->unit, 3);
    };
    WordScale scale;
    switch (code(kFormatGroup)) {
        case kFormat12BitDiagnostic:
            scale = fullScale(32760);
            scale.statusBits = kTwelveBitStatus;
            break;
        case kFormat15BitSigned: scale = fullScale(32767); break;
        case kFormatStandardized: scale = Steps(0.001, range->unit, 3); break;
        case kFormat16Bit:
            scale = Linear(0, range->lower, 65535, range->upper, range->unit, 3);
            scale.isSigned = false;
            break;
        case kFormat15BitDiagnostic:
        default: scale = fullScale(30000); break;
    }
    scale.diagnostics = DiagnosticMatch::Exact;
    return scale;
}

WordScale TwoChannelTemperatureScale(const std::string& typeName, std::uint16_t parameterWord) {
    const bool thermocouple = typeName == "KORVO TC 2";
    // A sensor field of 15 selects the last option, as the dialog's option rule does.
    const int sensor = std::min(parameterWord & 0xF, kLastSensorCode);
    const int resolution = (parameterWord >> 6) & 0x3;
    const bool fahrenheit = resolution >= 2;
    // The TC 2 reads whole degrees where the RT 2 reads hundredths.
    const bool fine = resolution % 2 == 1;
    const double step = !fine ? 0.1 : thermocouple ? 1.0 : 0.01;
    const int decimals = !fine ? 1 : thermocouple ? 0 : 2;
    const char* unit = fahrenheit ? kFahrenheit : kCelsius;
    if (thermocouple && sensor == kTc2MilliVolt) unit = kMilliVolt;
    if (!thermocouple && sensor >= kRt2FirstLinear) unit = kOhm;
    if (!thermocouple && sensor >= kRt2FirstReserve && sensor <= kRt2Poti) unit = "";
    WordScale scale = Steps(step, unit, decimals);
    scale.diagnostics = DiagnosticMatch::Bits;
    return scale;
}

WordScale MultiChannelTemperatureScale(std::int32_t sensorCode, bool fahrenheit) {
    if (sensorCode >= kFirstResistanceCode && sensorCode <= kLastResistanceCode) return Steps(0.1, kOhm, 1);
    return Steps(0.1, fahrenheit ? kFahrenheit : kCelsius, 1);
}

WordScale SensorCurrentScale() {
    WordScale scale = Steps(0.1, kMilliAmpere, 1);
    scale.isSigned = false;
    return scale;
}

WordScale CounterScale() {
    WordScale scale = Steps(1, kCounts, 0);
    scale.isSigned = false;
    return scale;
}

WordScale AnalogOutputScale(const OutputRange& range, bool signedWords) {
    WordScale scale = Linear(range.lowerWord, range.lower, range.upperWord, range.upper, range.unit, 3);
    scale.isSigned = signedWords;
    return scale;
}

}  // namespace korvo
