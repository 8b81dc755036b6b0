#pragma once
// A module's 16-bit word as the value it stands for: the measured words of the analog,
// temperature and counter modules and the output words of the analog outputs, each with
// its unit, or the diagnostic a measured word reports instead. The scale of a word
// follows from the module type and the channel's parameter word; the properties
// windows, `korvo module` and whatever records values later all convert through here.
//
//   const WordScale scale = AnalogInputScale(AnalogInputType::AI_2, parameterWord);
//   const EngineeringValue shown = ToEngineering(scale, word);
//   shown.WordText();   // "-1", "16000", or "8002h" for a diagnostic
//   shown.ValueText();  // "-0.000 V", "5.333 V", or "" for a diagnostic
//   shown.diagnostic;   // "Error wire breaking"

#include <cstdint>
#include <optional>
#include <string>

namespace korvo {

enum class AnalogInputType;
struct OutputRange;

// How a diagnostic report shows in a measured word.
enum class DiagnosticMatch {
    None,
    // The word equals a code of the error table (the analog inputs).
    Exact,
    // A word 8001h..80FFh names every code whose bits it holds, the last one winning
    // (the temperature inputs). Other words are values, negative ones too.
    Bits,
};

struct WordScale {
    bool isSigned = true;          // two's complement
    std::uint16_t statusBits = 0;  // low bits that carry state, not value
    // Two words and the values they stand for; the scale is linear through both.
    double word0 = 0;
    double value0 = 0;
    double word1 = 1;
    double value1 = 1;
    // Windows-1252, e.g. "V", "mA", "\xB0" "C", "counts"; empty when the word has no
    // engineering value (a reserved sensor type).
    std::string unit;
    int decimals = 0;
    DiagnosticMatch diagnostics = DiagnosticMatch::None;

    // "0 = 0.000 V, 30000 = 10.000 V"; "no engineering value" without a unit.
    std::string Text() const;
};

struct EngineeringValue {
    std::uint16_t word = 0;
    bool isSigned = true;
    std::string diagnostic;  // the error text when the word reports one
    std::optional<double> value;
    std::string unit;
    int decimals = 0;

    // The word as its format reads it ("-1", "16000"); a diagnostic report in
    // hexadecimal ("8002h").
    std::string WordText() const;
    // The value with its unit, the decimal separator a point ("-0.100 V", "23.5 \xB0" "C");
    // empty without a value.
    std::string ValueText() const;
};

EngineeringValue ToEngineering(const WordScale& scale, std::uint16_t word);

// A number with that many decimals and a point, whatever the locale; no "-0.0".
std::string FixedText(double value, int decimals);

// The measured word of an analog input channel with this parameter word: its
// measuring range gives the unit and the ends, its value format the words of the ends.
WordScale AnalogInputScale(AnalogInputType type, std::uint16_t parameterWord);

// The measured word of a "KORVO RT 2" or "KORVO TC 2" channel: the resolution's step
// of the sensor's unit per digit.
WordScale TwoChannelTemperatureScale(const std::string& typeName, std::uint16_t parameterWord);

// The "actual value" of a multi-channel temperature channel, in tenths of the unit
// the module was configured with; sensor codes of resistance ranges read in ohm.
WordScale MultiChannelTemperatureScale(std::int32_t sensorCode, bool fahrenheit);
// Their "current", in tenths of a milliampere.
WordScale SensorCurrentScale();

// The counter value of the "KORVO CT 1".
WordScale CounterScale();

// The output word of an analog output range; signedWords for two's complement words.
WordScale AnalogOutputScale(const OutputRange& range, bool signedWords);

}  // namespace korvo
