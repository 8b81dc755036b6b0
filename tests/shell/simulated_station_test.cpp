#include "korvo_sim/controller.h"
#include "simulated_station.h"

#include <gtest/gtest.h>

#include <thread>

namespace korvo::sim {
namespace {

using namespace std::chrono_literals;

const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";
const std::string kCatalogue = std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini";

BusModule Module(std::string type, int in, int out, int inStart, int outStart, int channels = 0) {
    BusModule m;
    m.type = std::move(type);
    m.in = in;
    m.out = out;
    m.inStart = inStart;
    m.outStart = outStart;
    m.channels = channels;
    return m;
}

MailboxMessage Command(std::vector<uint8_t> bytes) {
    MailboxMessage m;
    m.data = std::move(bytes);
    return m;
}

TEST(SimulatedStation, DemoProjectGivesStationOneWithCatalogueCodes) {
    const auto bus = SimulatedStation::FromProject(kDemo, kCatalogue, 1);
    ASSERT_FALSE(bus.empty());
    EXPECT_EQ(bus.front().type, "KORVO DI 16");
    EXPECT_EQ(bus.front().idCode, 0x10);
    EXPECT_EQ(bus.front().in, 2);
    for (const auto& m : bus) EXPECT_NE(m.type, "KORVO PS");  // the power feed belongs to no station
    EXPECT_THROW(SimulatedStation::FromProject(kDemo, kCatalogue, 3), std::runtime_error);
    EXPECT_THROW(SimulatedStation::FromProject("/no/such.prj", kCatalogue, 1), std::runtime_error);
}

TEST(SimulatedStation, ConfigurationListLeavesOutPassivesAndAppliesFaults) {
    Controller controller;
    std::vector<BusModule> bus = {Module("KORVO DI 16", 2, 0, 0, 0), Module("KORVO PB", 0, 0, 2, 0),
                                  Module("KORVO DO 16", 0, 2, 2, 0)};
    bus[0].idCode = 0x10;
    bus[0].lengthCode = 0x10;
    bus[1].passive = true;
    bus[2].idCode = 0x20;
    bus[2].lengthCode = 0x01;
    SimulatedStation station(controller, bus);
    const auto reply = station.onMailbox(1, Command({0x03, 0x0B, 0x00, 0x01, 0x00, 0x03}));
    ASSERT_EQ(reply.size(), 1u);
    const Bytes& d = reply[0].data;
    EXPECT_EQ(readBe16(d, 0), 0x830B);
    EXPECT_EQ(readBe16(d, 2), 6 + 4);    // words behind the first two
    EXPECT_EQ(readBe16(d, 14), 2);       // word 7: two bus modules
    EXPECT_EQ(readBe16(d, 18), 0x1010);  // word 9: length code high, ID code low
    EXPECT_EQ(readBe16(d, 22), 0x0120);

    StationOptions missing;
    missing.missingModule = 1;
    EXPECT_EQ(SimulatedStation(controller, bus, missing).reportedBus().size(), 1u);
    StationOptions swapped;
    swapped.swappedModule = 2;
    EXPECT_NE(SimulatedStation(controller, bus, swapped).reportedBus()[1].idCode, 0x20);
}

TEST(SimulatedStation, SettingsRestartAndUnknownCommands) {
    Controller controller;
    StationOptions options;
    options.restartTime = 0ms;
    SimulatedStation station(controller, {}, options);
    station.onMailbox(1, Command({0x07, 0x50, 0x00, 0x03, 0x00, 0x01, 0x22, 0x40, 0x00, 0x01}));
    EXPECT_TRUE(station.plugAndPlay());
    const auto unknown = station.onMailbox(1, Command({0x01, 0x23, 0x00, 0x00}));
    EXPECT_EQ(readBe16(unknown[0].data, 0), 0x8123);
    EXPECT_NE(readBe16(unknown[0].data, 4), 0);
    station.onMailbox(1, Command({0x09, 0x56, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_TRUE(station.restarting());
    station.update(0ms);
    EXPECT_FALSE(station.restarting());
}

TEST(SimulatedStation, LiveInputsFollowTheModules) {
    Controller controller;
    std::vector<BusModule> bus = {Module("KORVO DI 8", 2, 0, 0, 0, 8), Module("KORVO AI 8", 4, 4, 2, 0),
                                  Module("KORVO CT 1", 4, 4, 6, 4)};
    SimulatedStation station(controller, bus);
    station.update(3000ms);
    EXPECT_EQ(controller.inputs(0, 2), (Bytes{0x00, 0x08}));  // bit 3 lit in second 3
    station.update(9000ms);
    EXPECT_EQ(controller.inputs(0, 2), (Bytes{0x00, 0x02}));  // wraps after 8 channels

    controller.setOutputs(0, Bytes{0x53, 0x00, 0x80, 0x00});
    controller.setOutputs(4, Bytes{0x40, 0x00, 0x01, 0x2C});  // counter start value 300
    station.update(10000ms);
    EXPECT_EQ(controller.inputs(2, 2), (Bytes{0x53, 0x00}));  // the request echoed
    EXPECT_EQ(controller.inputs(8, 2), (Bytes{0x01, 0x2C}));
    controller.setOutputs(4, Bytes{0x24, 0x00, 0x00, 0x00});  // start
    station.update(11000ms);
    station.update(12000ms);
    EXPECT_EQ(controller.inputs(8, 2), (Bytes{0x01, 0x2E}));
}

TEST(SimulatedStation, OutputChangesAreLoggedOnce) {
    Controller controller;
    SimulatedStation station(controller, {Module("KORVO DO 16", 0, 2, 0, 0)});
    std::vector<std::string> lines;
    station.setOutputLogger([&](const std::string& line) { lines.push_back(line); });
    station.update(0ms);
    controller.setOutputs(0, Bytes{0x01, 0x01});
    station.update(100ms);
    station.update(200ms);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "outputs of bus module 1 KORVO DO 16: 01 01");
}

}  // namespace
}  // namespace korvo::sim
