// The korvo program against the korvo-sim program, both as separate processes on a
// loopback address of this test's own.

#include "run_korvo.h"
#include "simulator_process.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kAddress = RandomLoopbackAddress();
const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";

using korvo::testing::Result;
using korvo::testing::RunKorvo;

bool EchoAllowed() {
    return RunKorvo("ping 127.0.0.1").status != 2;
}

// korvo-sim on the test's address with the given options.
class Simulator : public SimulatorProcess {
public:
    explicit Simulator(std::vector<std::string> options) : SimulatorProcess(WithAddress(std::move(options)), kAddress) {}

private:
    static std::vector<std::string> WithAddress(std::vector<std::string> options) {
        options.insert(options.begin(), {"--listen", kAddress});
        return options;
    }
};

class OnlineCommands : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EchoAllowed()) GTEST_SKIP() << "ICMP echo is not allowed for this user";
    }
};

TEST_F(OnlineCommands, CheckIoDiagAndRestartAgainstTheSimulatedDemoStation) {
    Simulator sim({"--project", kDemo, "--restart-seconds", "1"});
    ASSERT_TRUE(sim.Running());

    const Result check = RunKorvo("check " + kAddress + " " + kDemo);
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("KORVO DI 16  "), std::string::npos) << check.output;
    EXPECT_NE(check.output.find("station OK !!"), std::string::npos) << check.output;

    const Result io = RunKorvo("io " + kAddress + " " + kDemo + " --cycles 2 --interval 50");
    EXPECT_EQ(io.status, 0) << io.output;
    EXPECT_NE(io.output.find("cycle 2"), std::string::npos);
    EXPECT_NE(io.output.find("KORVO DI 16  Date "), std::string::npos) << io.output;
    EXPECT_NE(io.output.find("WRITE SectionWriteData ------"), std::string::npos);

    const Result diag = RunKorvo("diag " + kAddress);
    EXPECT_EQ(diag.status, 0) << diag.output;
    EXPECT_NE(diag.output.find("state: ready, activ, run"), std::string::npos) << diag.output;

    const Result restart = RunKorvo("restart " + kAddress + " --wait --timeout 20");
    EXPECT_EQ(restart.status, 0) << restart.output;
    EXPECT_NE(restart.output.find("coupler is back"), std::string::npos) << restart.output;
}

TEST_F(OnlineCommands, IoBackToBackEndsWithTheMedianCycleTime) {
    Simulator sim({"--project", kDemo});
    ASSERT_TRUE(sim.Running());
    const Result io = RunKorvo("io " + kAddress + " " + kDemo + " --cycles 5 --interval 0");
    EXPECT_EQ(io.status, 0) << io.output;
    EXPECT_NE(io.output.find("cycle 5\n"), std::string::npos) << io.output;
    const std::size_t summary = io.output.find("median cycle time ");
    ASSERT_NE(summary, std::string::npos) << io.output;
    EXPECT_NE(io.output.find(" ms over 5 cycles\n", summary), std::string::npos) << io.output;
    EXPECT_GT(summary, io.output.rfind("cycle 5\n"));
}

TEST_F(OnlineCommands, DifferentBusExitsWithOne) {
    Simulator sim({"--project", kDemo, "--swap", "2"});
    ASSERT_TRUE(sim.Running());
    const Result check = RunKorvo("check " + kAddress + " " + kDemo);
    EXPECT_EQ(check.status, 1) << check.output;
    EXPECT_NE(check.output.find("station is different  !!"), std::string::npos) << check.output;
    EXPECT_NE(check.output.find("<-- first difference"), std::string::npos) << check.output;

    // Standard output alone holds the table; the boxes go to stderr.
    const std::string file = "/tmp/korvo-check-" + std::to_string(::getpid()) + ".json";
    const int status = std::system((std::string(KORVO_CLI_BINARY) + " check " + kAddress + " " + kDemo +
                                    " --json >" + file + " 2>/dev/null")
                                       .c_str());
    Result json;
    json.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    {
        std::ifstream in(file);
        json.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::remove(file.c_str());
    EXPECT_EQ(json.status, 1) << json.output;
    EXPECT_EQ(json.output.rfind("[\n {\"slot\": 1, \"expected\": \"KORVO DI 16\", \"found\": \"KORVO DI 16\", "
                                "\"idCode\": ",
                                0),
              0u)
        << json.output;
    EXPECT_NE(json.output.find("{\"slot\": 2, \"expected\": \"KORVO DI 8\", "), std::string::npos) << json.output;
    EXPECT_NE(json.output.find("\"match\": false}"), std::string::npos) << json.output;
    EXPECT_EQ(json.output.find("station is different"), std::string::npos) << "boxes go to stderr with --json";
}

TEST_F(OnlineCommands, NoControllerAndBadArgumentsExitWithTwo) {
    EXPECT_EQ(RunKorvo("check " + kAddress + " " + kDemo).status, 2);
    EXPECT_EQ(RunKorvo("diag " + kAddress).status, 2);
    EXPECT_EQ(RunKorvo("io " + kAddress).status, 2);
    EXPECT_EQ(RunKorvo("io " + kAddress + " " + kDemo + " --cycles zero").status, 2);
    EXPECT_EQ(RunKorvo("check " + kAddress + " /no/such.prj").status, 2);
    EXPECT_EQ(RunKorvo("frobnicate").status, 2);
}

TEST_F(OnlineCommands, PingCountsReplies) {
    const Result ping = RunKorvo("ping 127.0.0.1 -c 2");
    EXPECT_EQ(ping.status, 0) << ping.output;
    EXPECT_NE(ping.output.find("Reply from 127.0.0.1: bytes=32"), std::string::npos);
    EXPECT_NE(ping.output.find("2 sent, 2 received"), std::string::npos);
}

}  // namespace
