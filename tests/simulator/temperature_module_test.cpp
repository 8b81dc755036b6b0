// The simulated multi-channel temperature modules: configuration taken per channel,
// effective only after the apply command, read commands answered per channel pair,
// and the commands named in the station's output log.

#include "simulated_station.h"
#include "temperature_module.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace korvo::sim {
namespace {

using Record = std::array<uint8_t, TemperatureModule::kRecordBytes>;

uint16_t WordAt(const Record& r, std::size_t first) { return static_cast<uint16_t>(r[first] << 8 | r[first + 1]); }

TEST(TemperatureModule, ConfigurationTakesEffectOnlyWithApply) {
    TemperatureModule module;
    Record response{};
    module.Take(Record{26, 32, 4}.data());
    EXPECT_FALSE(module.Answer(0.0, response.data()));
    EXPECT_FALSE(module.Applied(3).fahrenheit);

    module.Take(Record{9, 0, 0}.data());
    ASSERT_TRUE(module.Answer(0.0, response.data()));
    EXPECT_EQ(response[0], 9);
    EXPECT_EQ(WordAt(response, 6), DriftingTemperature(0.0, 2));
    EXPECT_EQ(WordAt(response, 8), DriftingTemperature(0.0, 3));

    module.Take(Record{32}.data());
    EXPECT_TRUE(module.Applied(3).fahrenheit);
    EXPECT_EQ(module.Applied(3).sensor, 4);
    EXPECT_FALSE(module.Applied(4).fahrenheit);
    module.Take(Record{9, 0, 0}.data());
    ASSERT_TRUE(module.Answer(0.0, response.data()));
    EXPECT_EQ(WordAt(response, 6), DriftingTemperature(0.0, 2) * 9 / 5 + 320);
    EXPECT_EQ(WordAt(response, 8), DriftingTemperature(0.0, 3));
}

TEST(TemperatureModule, TemperaturesArePlausibleTenthsOfADegree) {
    for (int channel = 0; channel < 8; ++channel) {
        for (const double seconds : {0.0, 17.0, 400.0}) {
            const uint16_t t = DriftingTemperature(seconds, channel);
            EXPECT_GE(t, 150) << channel;
            EXPECT_LE(t, 350) << channel;
        }
    }
}

TEST(TemperatureModule, CommandsAreNamedForTheLog) {
    EXPECT_EQ(DescribeTemperatureCommand(Record{8, 129}.data()), "read channels 1-2 (outputs 129)");
    EXPECT_EQ(DescribeTemperatureCommand(Record{31, 0, 11}.data()), "configure channel 8: sensor 11, Celsius");
    EXPECT_EQ(DescribeTemperatureCommand(Record{24, 32, 0}.data()), "configure channel 1: sensor 0, Fahrenheit");
    EXPECT_EQ(DescribeTemperatureCommand(Record{32}.data()), "apply configuration");
    EXPECT_EQ(DescribeTemperatureCommand(Record{0}.data()), "");
}

TEST(TemperatureModule, StationAnswersReadsAndLogsConfiguration) {
    Controller controller;
    BusModule tc8;
    tc8.type = "KORVO TC 8";
    tc8.in = 12;
    tc8.out = 12;
    tc8.inStart = 4;
    tc8.outStart = 6;
    SimulatedStation station(controller, {tc8});
    std::vector<std::string> log;
    station.setOutputLogger([&log](const std::string& line) { log.push_back(line); });

    const Record configure{26, 32, 5};
    controller.setOutputs(6, configure);
    station.update(std::chrono::milliseconds(0));
    const Record apply{32};
    controller.setOutputs(6, apply);
    station.update(std::chrono::milliseconds(0));
    const Record read{9, 0};
    controller.setOutputs(6, read);
    station.update(std::chrono::milliseconds(0));

    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[0].find("(configure channel 3: sensor 5, Fahrenheit)"), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("(apply configuration)"), std::string::npos) << log[1];
    const TemperatureModule* module = station.temperatureModuleOf("KORVO TC 8");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(module->Applied(3).fahrenheit);
    const Bytes inputs = controller.inputs(4, 12);
    EXPECT_EQ(inputs[0], 9);
    EXPECT_EQ(readBe16(inputs, 6), DriftingTemperature(0.0, 2) * 9 / 5 + 320);
    EXPECT_EQ(readBe16(inputs, 8), DriftingTemperature(0.0, 3));
}

TEST(TemperatureModule, ChannelFaultGoesIntoTheErrorByteNotOverTheRecord) {
    Controller controller;
    BusModule tc4;
    tc4.type = "KORVO TC 4";
    tc4.slot = 7;
    tc4.in = 12;
    tc4.out = 12;
    StationOptions options;
    options.faults.push_back(ChannelFault{7, 4, 0x8002});
    SimulatedStation station(controller, {tc4}, options);
    const Record read{9, 0};
    controller.setOutputs(0, read);
    station.update(std::chrono::milliseconds(0));
    const Bytes inputs = controller.inputs(0, 12);
    EXPECT_EQ(inputs[0], 9);
    EXPECT_EQ(readBe16(inputs, 6), DriftingTemperature(0.0, 2));
    EXPECT_EQ(inputs[10], 0);
    EXPECT_EQ(inputs[11], 2);
}

}  // namespace
}  // namespace korvo::sim
