// "korvo io --record": the record file of a run against the simulated demo station, in
// this process on a loopback address of the test's own, and a file that cannot be
// written.

#include "temp_folder.h"

#include "korvo_sim/simulator.h"
#include "online_commands.h"
#include "simulated_station.h"
#include "tools/icmp_echo.h"
#include "random_loopback.h"

#include "crlf_lines.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <set>
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
        // The AI 2 in slot 8 ramps, so that the trend file has a known sequence.
        sim::StationOptions options;
        options.rampSlots = {8};
        station_ = std::make_unique<sim::SimulatedStation>(
            simulator_.controller(), sim::SimulatedStation::FromProject(kDemo, kCatalogue), options);
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

// The korvo program as a child process against this test's coupler, its standard
// output on a pipe.
struct ChildRun {
    pid_t pid = -1;
    int output = -1;
    std::string seen;

    explicit ChildRun(const std::vector<std::string>& options) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) return;
        std::vector<std::string> args = {KORVO_CLI_BINARY, "io", kAddress, kDemo, "--catalogue", kCatalogue};
        args.insert(args.end(), options.begin(), options.end());
        pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeEnds[1], STDOUT_FILENO);
            ::close(pipeEnds[0]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            std::_Exit(127);
        }
        ::close(pipeEnds[1]);
        output = pipeEnds[0];
    }

    // Reads what the run prints until text has come, for at most 20 s.
    bool WaitFor(const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (seen.find(text) == std::string::npos && std::chrono::steady_clock::now() < until) {
            pollfd ready{output, POLLIN, 0};
            if (::poll(&ready, 1, 200) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(output, buffer, sizeof buffer);
            if (n <= 0) break;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        return seen.find(text) != std::string::npos;
    }

    // Sends the signal and waits for the end; the wait status.
    int End(int signal) {
        ::kill(pid, signal);
        // Drain what the run still prints, so that it never waits on a full pipe.
        std::thread drain([fd = output] {
            char buffer[4096];
            while (::read(fd, buffer, sizeof buffer) > 0) {
            }
        });
        int status = 0;
        ::waitpid(pid, &status, 0);
        drain.join();
        ::close(output);
        return status;
    }
};

// The korvo program ended by a signal once it has run two cycles: the record is
// written and says which signal ended the test.
TEST_F(IoRecordCommand, SignalsEndTheTestAndStillWriteTheRecordSayingWhich) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const auto file = File("record-" + std::to_string(signal) + ".json");
        ChildRun run({"--cycles", "100000", "--interval", "50", "--record", file.string()});
        ASSERT_GT(run.pid, 0);
        const bool going = run.WaitFor("cycle 2\n");
        const int status = run.End(signal);
        ASSERT_TRUE(going) << "the run never got going: " << run.seen;
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " killed the run instead of ending it";
        EXPECT_EQ(WEXITSTATUS(status), 2);
        const std::string json = Read(file);
        const std::string name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        EXPECT_NE(json.find("stopped by " + name + "\""), std::string::npos) << json;
        EXPECT_NE(json.find("\"connectionLost\": false"), std::string::npos) << json;
    }
}

// The fields of a trend or event row, which hold no quoted commas here.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    return fields;
}

TEST_F(IoRecordCommand, TrendAndEventFilesFollowTheRampAndTheWalkingInputs) {
    const auto trend = File("trend.csv");
    const auto events = File("events.csv");
    const auto json = File("events.json");
    const auto record = File("record.json");
    std::string out;
    std::string err;
    ASSERT_EQ(RunIo({kAddress, kDemo, "--cycles", "4", "--interval", "1000", "--trend", trend.string(), "--events",
                     events.string(), "--record", record.string()},
                    out, err),
              0)
        << err;
    const auto rows = testing::CrlfLines(Read(trend));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], "time,tag,raw,value,unit,diagnostic");
    std::vector<int> ramp;
    std::set<std::string> times;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto f = Fields(rows[i]);
        ASSERT_EQ(f.size(), 6u) << rows[i];
        times.insert(f[0]);
        if (f[1] == "PumpHouse_M8_AI_1") {
            ramp.push_back(std::stoi(f[2]));
            EXPECT_EQ(f[4], "V");
            // 15-bit format over 0..10 V: 30000 is 10 V.
            EXPECT_NEAR(std::stod(f[3]), std::stoi(f[2]) / 3000.0, 0.0006) << rows[i];
        }
    }
    EXPECT_EQ(times.size(), 4u) << "one time per cycle";
    ASSERT_EQ(ramp.size(), 4u);
    for (std::size_t i = 0; i < ramp.size(); ++i) EXPECT_EQ(ramp[i] % 1000, 0) << ramp[i];
    // A second apart, the ramp has climbed (it wraps only after 30 s).
    EXPECT_GT(ramp.back(), ramp.front());
    EXPECT_LE(ramp.back() - ramp.front(), 5000);

    const auto logged = testing::CrlfLines(Read(events));
    ASSERT_GT(logged.size(), 1u);
    EXPECT_EQ(logged[0], "time,tag,slot,direction,old,new,source");
    int walked = 0;
    int ramped = 0;
    for (std::size_t i = 1; i < logged.size(); ++i) {
        const auto f = Fields(logged[i]);
        ASSERT_EQ(f.size(), 7u) << logged[i];
        if (f[6] == "input read" && f[1].rfind("PumpHouse_M2_DI_", 0) == 0) ++walked;
        if (f[1] == "PumpHouse_M8_AI_1") ++ramped;
        if (f[6] == "test start") {
            EXPECT_EQ(f[4], "");
        }
    }
    EXPECT_EQ(ramped, 1) << "after its first value the ramp belongs to the trend";
    // The walking bit goes off on one input and on at the next, at least twice in 3 s.
    EXPECT_GE(walked, 4);
    // The record carries the same events as its appendix.
    EXPECT_NE(Read(record).find("\"source\": \"input read\""), std::string::npos);

    ASSERT_EQ(RunIo({kAddress, kDemo, "--cycles", "1", "--events", json.string()}, out, err), 0) << err;
    EXPECT_EQ(Read(json).rfind("[\n  {\"time\": ", 0), 0u) << Read(json);
}

TEST_F(IoRecordCommand, AKilledRunLeavesEveryCompleteTrendRow) {
    const auto trend = File("trend.csv");
    ChildRun run({"--cycles", "100000", "--interval", "20", "--trend", trend.string()});
    ASSERT_GT(run.pid, 0);
    const bool going = run.WaitFor("cycle 5\n");
    const int status = run.End(SIGKILL);
    ASSERT_TRUE(going) << run.seen;
    EXPECT_TRUE(WIFSIGNALED(status));
    const auto rows = testing::CrlfLines(Read(trend));
    ASSERT_GT(rows.size(), 4u * 40) << "four cycles of the station's points";
    for (const std::string& row : rows) EXPECT_EQ(Fields(row).size(), 6u) << row;
}

TEST_F(IoRecordCommand, TrendOrEventFilesThatCannotBeWrittenStopBeforeTheTest) {
    std::string out;
    std::string err;
    const auto missing = File("no-such-folder");
    for (const std::string option : {"--trend", "--events"}) {
        for (const std::string name : {"t.csv", "t.json"}) {
            EXPECT_EQ(RunIo({kAddress, kDemo, "--cycles", "1", option, (missing / name).string()}, out, err), 2);
            EXPECT_NE(err.find("korvo: " + option + ": cannot write "), std::string::npos) << err;
            EXPECT_EQ(out.find("cycle 1"), std::string::npos) << "no cycle ran";
        }
    }
    EXPECT_EQ(RunIo({kAddress, kDemo, "--trend", ""}, out, err), 2);
    EXPECT_NE(err.find("--trend needs a file name"), std::string::npos) << err;
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
