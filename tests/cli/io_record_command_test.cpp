// "korvo io --record": the record file of a run against the simulated demo station, in
// this process on a loopback address of the test's own, and a file that cannot be
// written.

#include "temp_folder.h"

#include "korvo_sim/simulator.h"
#include "online_commands.h"
#include "simulated_station.h"
#include "tools/icmp_echo.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sstream>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvo {
namespace {

const std::string kAddress = RandomLoopbackAddress();
const std::string kDataFolder = std::string(KORVO_TEST_DATA_DIR) + "/";
const std::string kCatalogue = kDataFolder + "korvo_config.ini";
const std::string kDemo = kDataFolder + "demo/demo.prj";

class IoRecordCommand : public testing::TempFolder {
protected:
    IoRecordCommand() : simulator_(sim::SimulatorOptions{kAddress, sim::kDefaultPort}) {}

    void SetUp() override {
        TempFolder::SetUp();
        if (SendEcho("127.0.0.1").reply.bytes == 0) GTEST_SKIP() << "ICMP echo is not allowed for this user";
        simulator_.start();
        station_ = std::make_unique<sim::SimulatedStation>(simulator_.controller(),
                                                           sim::SimulatedStation::FromProject(kDemo, kCatalogue));
        station_->start();
    }
    void TearDown() override {
        if (station_) station_->stop();
        simulator_.stop();
        TempFolder::TearDown();
    }

    int RunIo(const std::vector<std::string>& args, std::string& out, std::string& err) {
        std::ostringstream o;
        std::ostringstream e;
        const int status = RunIoCommand(args, kCatalogue, o, e);
        out = o.str();
        err = e.str();
        return status;
    }

    sim::Simulator simulator_;
    std::unique_ptr<sim::SimulatedStation> station_;
};

TEST_F(IoRecordCommand, WritesTheRecordWithCheckStateAndEveryPointOfTheStation) {
    const auto file = File("record.json");
    std::string out;
    std::string err;
    EXPECT_EQ(RunIo({kAddress, kDemo, "--cycles", "2", "--interval", "0", "--record", file.string()}, out, err), 0)
        << err;
    const std::string json = Read(file);
    EXPECT_NE(json.find("\"project\": \"demo.prj\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"stationName\": \"PumpHouse\""), std::string::npos);
    EXPECT_NE(json.find("\"coupler\": \"" + kAddress + "\""), std::string::npos);
    EXPECT_NE(json.find("\"configurationCheck\": \"station OK\""), std::string::npos);
    EXPECT_NE(json.find("\"couplerState\": \"ready, activ, run\""), std::string::npos);
    EXPECT_NE(json.find("\"cycles\": 2"), std::string::npos);
    EXPECT_NE(json.find("\"stopReason\": \"the test ended after 2 cycles\""), std::string::npos);
    EXPECT_NE(json.find("\"connectionLost\": false"), std::string::npos);
    EXPECT_NE(json.find("\"tag\": \"PumpHouse_M10_CT_IW2\""), std::string::npos);
    EXPECT_EQ(json.find("BoilerRoom"), std::string::npos) << "only the tested station belongs in the record";
}

TEST_F(IoRecordCommand, RecordThatCannotBeWrittenExitsWithTwo) {
    std::string out;
    std::string err;
    const auto file = File("no-such-folder") / "record.json";
    EXPECT_EQ(RunIo({kAddress, kDemo, "--cycles", "1", "--record", file.string()}, out, err), 2);
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(IoRecordCommand, TimeoutEndsTheTestAndStillWritesTheRecordSayingSo) {
    const auto file = File("record.json");
    std::string out;
    std::string err;
    // The configuration check before the test takes about 1.4 s of fixed pauses.
    EXPECT_EQ(RunIo({kAddress, kDemo, "--cycles", "100000", "--interval", "100", "--timeout", "3", "--record",
                     file.string()},
                    out, err),
              2);
    EXPECT_NE(err.find("--timeout"), std::string::npos) << err;
    const std::string json = Read(file);
    EXPECT_NE(json.find("\"stopReason\": \"the test ended after "), std::string::npos) << json;
    EXPECT_NE(json.find("stopped after 3 s (--timeout)"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"cycles\": 0,"), std::string::npos) << "cycles ran before the limit: " << json;
}

// The korvo program against this test's coupler, ended by a signal once it has run
// two cycles: the record is written and says which signal ended the test.
TEST_F(IoRecordCommand, SignalsEndTheTestAndStillWriteTheRecordSayingWhich) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const auto file = File("record-" + std::to_string(signal) + ".json");
        int output[2];
        ASSERT_EQ(::pipe(output), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::dup2(output[1], STDOUT_FILENO);
            ::close(output[0]);
            ::execl(KORVO_CLI_BINARY, KORVO_CLI_BINARY, "io", kAddress.c_str(), kDemo.c_str(), "--catalogue",
                    kCatalogue.c_str(), "--cycles", "100000", "--interval", "50", "--record", file.c_str(),
                    static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        ::close(output[1]);
        std::string seen;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (seen.find("cycle 2\n") == std::string::npos && std::chrono::steady_clock::now() < until) {
            pollfd ready{output[0], POLLIN, 0};
            if (::poll(&ready, 1, 200) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(output[0], buffer, sizeof buffer);
            if (n <= 0) break;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        ::kill(child, signal);
        // Drain what the run still prints, so that it never waits on a full pipe.
        std::thread drain([fd = output[0]] {
            char buffer[4096];
            while (::read(fd, buffer, sizeof buffer) > 0) {
            }
        });
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        drain.join();
        ::close(output[0]);
        ASSERT_NE(seen.find("cycle 2\n"), std::string::npos) << "the run never got going: " << seen;
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " killed the run instead of ending it";
        EXPECT_EQ(WEXITSTATUS(status), 2);
        const std::string json = Read(file);
        const std::string name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        EXPECT_NE(json.find("stopped by " + name + "\""), std::string::npos) << json;
        EXPECT_NE(json.find("\"connectionLost\": false"), std::string::npos) << json;
    }
}

TEST_F(IoRecordCommand, OutputsGoOffAtTheEndUnlessKept) {
    std::string out;
    std::string err;
    ASSERT_EQ(RunIo({kAddress, kDemo, "--cycles", "1"}, out, err), 0) << err;
    EXPECT_NE(out.find("outputs of station 1 switched off"), std::string::npos) << out;
    ASSERT_EQ(RunIo({kAddress, kDemo, "--cycles", "1", "--keep-outputs"}, out, err), 0) << err;
    EXPECT_EQ(out.find("switched off"), std::string::npos) << out;
}

TEST_F(IoRecordCommand, EmptyRecordNameIsAnError) {
    std::string out;
    std::string err;
    EXPECT_EQ(RunIo({kAddress, kDemo, "--cycles", "1", "--record", ""}, out, err), 2);
    EXPECT_NE(err.find("--record needs a file name"), std::string::npos) << err;
}

// A loopback address of its own where no coupler listens: the connection is refused.
std::string UnusedAddress() {
    std::random_device random;
    std::uniform_int_distribution<int> part(2, 250);
    return "127." + std::to_string(part(random)) + "." + std::to_string(part(random)) + "." +
           std::to_string(part(random));
}

class IoRecordWithoutCoupler : public testing::TempFolder {};

TEST_F(IoRecordWithoutCoupler, ConnectionThatCannotBeMadeLeavesARecordSayingSoAndExitsWithTwo) {
    const auto file = File("record.json");
    const std::string address = UnusedAddress();
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunIoCommand({address, kDemo, "--cycles", "3", "--record", file.string()}, kCatalogue, out, err), 2);
    EXPECT_NE(err.str().find("cannot connect to " + address), std::string::npos) << err.str();
    ASSERT_TRUE(std::filesystem::exists(file)) << err.str();
    const std::string json = Read(file);
    EXPECT_NE(json.find("\"coupler\": \"" + address + "\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"connectionLost\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"stopReason\": \"no connection: "), std::string::npos) << json;
    EXPECT_NE(json.find("\"cycles\": 0"), std::string::npos) << json;
    EXPECT_NE(json.find("\"configurationCheck\": \"not done: no module list from the coupler\""),
              std::string::npos)
        << json;
    EXPECT_EQ(json.find("\"ended\": \"\""), std::string::npos) << "the record says when the test stopped";
    // The points are listed, none of them seen.
    EXPECT_NE(json.find("\"tag\": \"PumpHouse_M10_CT_IW2\""), std::string::npos);
    EXPECT_EQ(json.find("\"complete\": true"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"seen1\": true"), std::string::npos) << json;
}

}  // namespace
}  // namespace korvo
