// "korvo module" on the demo station's counter, run as the program: modes and options
// by caption, the gate time as --gate-time, and what the counter refuses.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kCounterSlot = "10";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CounterModuleCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-counter-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        project_ = dir_ / "station.prj";
        fs::copy_file(KORVO_TEST_DATA_DIR "/demo/demo.prj", project_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs "korvo module PROJECT --slot SLOT ARGS..."; returns the exit status.
    int Run(const char* slot, const std::vector<std::string>& args) {
        std::string command =
            std::string(KORVO_CLI_BINARY) + " module '" + project_.string() + "' --slot " + slot;
        for (const std::string& arg : args) command += " '" + arg + "'";
        command += " >'" + (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
        const int status = std::system(command.c_str());
        out_ = ReadFile(dir_ / "out");
        err_ = ReadFile(dir_ / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir_;
    fs::path project_;
    std::string out_;
    std::string err_;
};

TEST_F(CounterModuleCommand, GateTimeInTimeModeIsSavedAsWordAndComment) {
    ASSERT_EQ(Run(kCounterSlot, {"--set", "time controlled frequenz", "--gate-time", "250", "--save"}), 0)
        << err_;
    const std::string saved = ReadFile(project_);
    EXPECT_NE(saved.find("Name10=4346,0\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Comment101=frequenz time controll :  : 250 1/100 [sec]\r\n"), std::string::npos);
    EXPECT_NE(out_.find("gate-time: 250"), std::string::npos) << out_;
}

TEST_F(CounterModuleCommand, GateTimeOutsideRangeBecomesTenAndExitsWithOne) {
    EXPECT_EQ(Run(kCounterSlot, {"--set", "time controlled frequenz", "--gate-time", "2000"}), 1);
    EXPECT_NE(err_.find("the field holds 10"), std::string::npos) << err_;
    EXPECT_NE(out_.find("word 4106"), std::string::npos) << out_;
}

TEST_F(CounterModuleCommand, ValueOutOfRangeWithSaveLeavesTheProjectAsItWas) {
    const std::string before = ReadFile(project_);
    EXPECT_EQ(Run(kCounterSlot, {"--set", "time controlled frequenz", "--gate-time", "5000", "--save"}), 1);
    EXPECT_NE(err_.find("not saved"), std::string::npos) << err_;
    EXPECT_EQ(ReadFile(project_), before);
}

TEST_F(CounterModuleCommand, GateOptionFollowsTheModeChosenBefore) {
    ASSERT_EQ(Run(kCounterSlot, {"--set", "state controlled frequenz", "--set", "low pegel", "--json"}), 0)
        << err_;
    EXPECT_NE(out_.find("\"word\": 5117"), std::string::npos) << out_;
    ASSERT_EQ(Run(kCounterSlot, {"--set", "low pegel", "--json"}), 0) << err_;
    EXPECT_NE(out_.find("\"word\": 5281"), std::string::npos) << out_;  // 14A1h: event gate "low pegel"
}

TEST_F(CounterModuleCommand, GateTimeBelongsToTheCounterOnly) {
    EXPECT_EQ(Run("9", {"--gate-time", "5"}), 2);
    EXPECT_NE(err_.find("unknown option --gate-time"), std::string::npos) << err_;
    EXPECT_EQ(Run(kCounterSlot, {"--set", "Start CT"}), 2);
    EXPECT_NE(err_.find("no option \"Start CT\""), std::string::npos) << err_;
}

}  // namespace
