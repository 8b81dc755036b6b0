// The simulated station's channel faults and its log of analog outputs.

#include "korvo_sim/controller.h"
#include "simulated_station.h"

#include <gtest/gtest.h>

namespace korvo::sim {
namespace {

using namespace std::chrono_literals;

BusModule Analog(std::string type, int slot, int in, int out, int inStart, int outStart) {
    BusModule m;
    m.type = std::move(type);
    m.slot = slot;
    m.in = in;
    m.out = out;
    m.inStart = inStart;
    m.outStart = outStart;
    return m;
}

TEST(ChannelFault, ParsesSlotChannelAndDecimalOrHexCode) {
    auto fault = ParseChannelFault("8:2:0x8002");
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->slot, 8);
    EXPECT_EQ(fault->channel, 2);
    EXPECT_EQ(fault->code, 0x8002);
    fault = ParseChannelFault("161:8:32769");
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->code, 0x8001);
    for (const std::string bad : {"", "8:1", "8:1:", "0:1:1", "162:1:1", "8:0:1", "8:9:1", "8:1:65536",
                                  "8:1:-1", "8:1:0x", "a:1:1", "8:1:0x1G", "8:1:1:1", " 8:1:1"})
        EXPECT_FALSE(ParseChannelFault(bad).has_value()) << bad;
}

TEST(ChannelFault, TwoChannelModuleReportsTheCodeOnItsChannelOnly) {
    Controller controller;
    StationOptions options;
    options.faults = {{8, 2, 0x8002}, {9, 1, 0x8001}};
    SimulatedStation station(controller, {Analog("KORVO AI 2", 8, 4, 4, 10, 20)}, options);
    station.update(1500ms);
    const Bytes inputs = controller.inputs(10, 4);
    EXPECT_EQ(readBe16(inputs, 2), 0x8002);
    EXPECT_NE(readBe16(inputs, 0), 0x8001) << "the fault of slot 9 belongs to another module";
    EXPECT_GT(readBe16(inputs, 0), 0);
}

TEST(ChannelFault, MultiplexedModuleReportsTheCodeWhenAnsweringThatChannel) {
    Controller controller;
    StationOptions options;
    options.faults = {{14, 3, 0x8040}};
    SimulatedStation station(controller, {Analog("KORVO AI 8", 14, 4, 4, 0, 0)}, options);
    const uint8_t channel3[2] = {0x52, 0x00};
    controller.setOutputs(0, channel3);
    station.update(100ms);
    EXPECT_EQ(readBe16(controller.inputs(0, 4), 2), 0x8040);
    const uint8_t channel4[2] = {0x53, 0x00};
    controller.setOutputs(0, channel4);
    station.update(200ms);
    const Bytes inputs = controller.inputs(0, 4);
    EXPECT_EQ(readBe16(inputs, 0), 0x5300) << "the answer names the channel asked for";
    EXPECT_NE(readBe16(inputs, 2), 0x8040);
}

TEST(AnalogOutputLog, OutputChangesOfAnalogOutputsShowTheirMeaning) {
    Controller controller;
    SimulatedStation station(controller,
                             {Analog("KORVO AO 1", 9, 0, 2, 0, 0), Analog("KORVO AO 2V", 20, 0, 4, 0, 2)});
    std::vector<std::string> lines;
    station.setOutputLogger([&](const std::string& line) { lines.push_back(line); });
    const uint8_t outputs[6] = {127, 255, 11, 184, 138, 208};
    controller.setOutputs(0, outputs);
    station.update(0ms);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "outputs of bus module 1 KORVO AO 1: 7F FF = 50.0 % of the output range");
    EXPECT_EQ(lines[1], "outputs of bus module 2 KORVO AO 2V: 0B B8 8A D0 = 1.000 V, -10.000 V");
}

}  // namespace
}  // namespace korvo::sim
