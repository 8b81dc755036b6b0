// The one conversion of a module's word into its engineering value: the analog input
// ranges and value formats, the temperature resolutions and sensor types, the counter,
// the analog outputs, the diagnostic words and the number text.

#include "dialogs/engineering_value.h"
#include "dialogs/analog_input_options.h"
#include "dialogs/korvo_ao_1.h"
#include "dialogs/korvo_ao_2v.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace korvo {
namespace {

// Parameter words of the analog inputs: range code + format code << 4.
constexpr std::uint16_t Ai(int range, int format) {
    return static_cast<std::uint16_t>(range + (format << 4));
}

// Two's complement of a negative reading.
constexpr std::uint16_t Word(int value) {
    return static_cast<std::uint16_t>(value);
}

std::string Shown(const WordScale& scale, std::uint16_t word) {
    const EngineeringValue value = ToEngineering(scale, word);
    return value.WordText() + " " + (value.diagnostic.empty() ? value.ValueText() : value.diagnostic);
}

TEST(AnalogInputScale, FifteenBitFormatSpansThirtyThousandOverTheRangeWithSign) {
    const WordScale volts = AnalogInputScale(AnalogInputType::AI_2, Ai(0, 0));
    EXPECT_EQ(Shown(volts, 15000), "15000 5.000 V");
    EXPECT_EQ(Shown(volts, 30000), "30000 10.000 V");
    EXPECT_EQ(Shown(volts, Word(-300)), "-300 -0.100 V");
    const WordScale bipolar = AnalogInputScale(AnalogInputType::AI_2, Ai(1, 0));
    EXPECT_EQ(Shown(bipolar, Word(-30000)), "-30000 -10.000 V");
    // A live zero: the range's lower end at word 0.
    const WordScale liveZero = AnalogInputScale(AnalogInputType::AI_2, Ai(10, 0));
    EXPECT_EQ(Shown(liveZero, 0), "0 4.000 mA");
    EXPECT_EQ(Shown(liveZero, 15000), "15000 12.000 mA");
    EXPECT_EQ(Shown(AnalogInputScale(AnalogInputType::AI_8, Ai(13, 0)), Word(-15000)), "-15000 -20.000 mA");
    EXPECT_EQ(volts.Text(), "0 = 0.000 V, 30000 = 10.000 V");
}

TEST(AnalogInputScale, OtherFormatsTakeTheirOwnFullScale) {
    // 12 bit: the three error bits below the value do not move it.
    const WordScale twelve = AnalogInputScale(AnalogInputType::AI_2, Ai(0, 1));
    EXPECT_EQ(Shown(twelve, 32760), "32760 10.000 V");
    EXPECT_EQ(Shown(twelve, 32767), "32767 10.000 V");
    EXPECT_EQ(Shown(AnalogInputScale(AnalogInputType::AI_2, Ai(1, 2)), 32767), "32767 10.000 V");
    // Standardized: millivolts and microamperes.
    EXPECT_EQ(Shown(AnalogInputScale(AnalogInputType::AI_2, Ai(1, 3)), Word(-2500)), "-2500 -2.500 V");
    EXPECT_EQ(Shown(AnalogInputScale(AnalogInputType::AI_8, Ai(10, 3)), 12000), "12000 12.000 mA");
    // 16 bit: unsigned over the whole range, so a word above 7FFFh is a reading.
    const WordScale sixteen = AnalogInputScale(AnalogInputType::AI_8, Ai(8, 4));
    EXPECT_EQ(Shown(sixteen, 65535), "65535 20.000 mA");
    EXPECT_EQ(Shown(sixteen, 40000), "40000 12.207 mA");
}

TEST(AnalogInputScale, ExactErrorCodesAreDiagnosticsInEveryFormat) {
    for (const std::uint16_t format : {0, 2, 4}) {
        const WordScale scale = AnalogInputScale(AnalogInputType::AI_8, Ai(0, format));
        const EngineeringValue broken = ToEngineering(scale, 0x8002);
        EXPECT_EQ(broken.diagnostic, "Error wire breaking") << format;
        EXPECT_EQ(broken.WordText(), "8002h") << format;
        EXPECT_FALSE(broken.value.has_value()) << format;
        EXPECT_EQ(broken.ValueText(), "") << format;
    }
    // 8003h is no code of its own: a (very negative) reading.
    EXPECT_EQ(Shown(AnalogInputScale(AnalogInputType::AI_2, Ai(0, 0)), 0x8003), "-32765 -10.922 V");
}

TEST(TwoChannelTemperatureScale, ResolutionGivesTheStepAndUnitOfADigit) {
    // RT 2: 0.1 and 0.01 degree; TC 2 reads whole degrees where the RT 2 reads hundredths.
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO RT 2", 0), 235),
              "235 23.5 \xB0"
              "C");
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO RT 2", 1 << 6), 2350),
              "2350 23.50 \xB0"
              "C");
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO RT 2", 3 << 6), 7430),
              "7430 74.30 \xB0"
              "F");
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO TC 2", 1 << 6), 235),
              "235 235 \xB0"
              "C");
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO TC 2", 2 << 6), 742),
              "742 74.2 \xB0"
              "F");
}

TEST(TwoChannelTemperatureScale, SensorsThatMeasureNoTemperatureHaveTheirOwnUnit) {
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO RT 2", 13), 3995), "3995 399.5 Ohm");
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO TC 2", 14), 850), "850 85.0 mV");
    // The reserved types and the potentiometer: the word only.
    for (const std::uint16_t sensor : {10, 11, 12}) {
        const EngineeringValue reserved =
            ToEngineering(TwoChannelTemperatureScale("KORVO RT 2", sensor), 100);
        EXPECT_FALSE(reserved.value.has_value()) << sensor;
        EXPECT_EQ(reserved.WordText(), "100") << sensor;
        EXPECT_EQ(TwoChannelTemperatureScale("KORVO RT 2", sensor).Text(), "no engineering value");
    }
    // A field of 15 reads as the last type, as the dialog shows it.
    EXPECT_EQ(Shown(TwoChannelTemperatureScale("KORVO TC 2", 15), 850), "850 85.0 mV");
}

TEST(TwoChannelTemperatureScale, NegativeTemperaturesAreValuesAndOnlyDiagnosticWordsBitMatch) {
    const WordScale celsius = TwoChannelTemperatureScale("KORVO TC 2", 0);
    EXPECT_EQ(Shown(celsius, Word(-1)),
              "-1 -0.1 \xB0"
              "C");
    EXPECT_EQ(Shown(celsius, Word(-2000)),
              "-2000 -200.0 \xB0"
              "C");
    EXPECT_EQ(Shown(celsius, 0x8002), "8002h Error wire breaking");
    EXPECT_EQ(Shown(celsius, 0x8012), "8012h Error conf invalid");
    EXPECT_EQ(Shown(celsius, 0x8081), "8081h Error measuring range");
}

TEST(MultiChannelTemperatureScale, TenthsOfTheConfiguredUnitOrOhm) {
    EXPECT_EQ(Shown(MultiChannelTemperatureScale(0, false), Word(-1)),
              "-1 -0.1 \xB0"
              "C");
    EXPECT_EQ(Shown(MultiChannelTemperatureScale(0, true), 744),
              "744 74.4 \xB0"
              "F");
    EXPECT_EQ(Shown(MultiChannelTemperatureScale(20, false), 235),
              "235 23.5 \xB0"
              "C");
    EXPECT_EQ(Shown(MultiChannelTemperatureScale(27, true), 4321), "4321 432.1 Ohm");
    EXPECT_EQ(Shown(SensorCurrentScale(), 65535), "65535 6553.5 mA");
}

TEST(CounterScale, CountsAnUnsignedWord) {
    EXPECT_EQ(Shown(CounterScale(), 65535), "65535 65535 counts");
    EXPECT_EQ(Shown(CounterScale(), 300), "300 300 counts");
}

TEST(AnalogOutputScale, OutputWordsReadBackInTheirRange) {
    const auto ao1 = Korvo_AO_1::Ranges();
    EXPECT_EQ(Shown(AnalogOutputScale(ao1[0], false), 32767), "32767 5.000 V");
    EXPECT_EQ(Shown(AnalogOutputScale(ao1[2], false), 0), "0 4.000 mA");
    EXPECT_EQ(Shown(AnalogOutputScale(ao1[2], false), 65535), "65535 20.000 mA");
    const auto ao2v = Korvo_AO_2V::Ranges();
    EXPECT_EQ(Shown(AnalogOutputScale(ao2v[1], true), 0x8AD0), "-30000 -10.000 V");
    EXPECT_EQ(Shown(AnalogOutputScale(ao2v[1], true), 3000), "3000 1.000 V");
}

TEST(FixedText, RoundsWithAPointAndNoNegativeZero) {
    EXPECT_EQ(FixedText(-0.0004, 3), "0.000");
    EXPECT_EQ(FixedText(-0.0006, 3), "-0.001");
    EXPECT_EQ(FixedText(65535, 0), "65535");
}

TEST(FixedText, PointEvenWhereTheLocaleWritesAComma) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool found = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            found = true;
            break;
        }
    }
    if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string text = ToEngineering(MultiChannelTemperatureScale(0, false), 235).ValueText();
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(text,
              "23.5 \xB0"
              "C");
}

}  // namespace
}  // namespace korvo
