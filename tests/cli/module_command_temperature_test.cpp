// "korvo module" on the temperature modules of the demo project, run as the program:
// the two-channel words with their degree-sign captions, the sensor codes of the
// multi-channel modules with the comments saving writes, and the ambiguous "reserve".

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TemperatureModuleCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-module-temperature-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        project_ = dir_ / "station.prj";
        fs::copy_file(std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj", project_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs "korvo COMMAND PROJECT ARGS..." with the arguments passed as they are.
    ProgramRun Run(std::vector<std::string> args, const char* command = "module") const {
        args.insert(args.begin(), {KORVO_CLI_BINARY, command, project_.string()});
        const fs::path out = dir_ / "out.txt";
        const fs::path err = dir_ / "err.txt";
        const pid_t child = ::fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) ::_exit(127);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ProgramRun run;
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }

    std::string Project() const { return ReadFile(project_); }

    fs::path dir_;
    fs::path project_;
};

TEST_F(TemperatureModuleCommand, Rt2CaptionsWithDegreeSignSetTheWordAndSaveWithoutTrailingComma) {
    ProgramRun run = Run({"--slot", "15", "--channel", "2", "--set", "Ni 100", "--set", "12 bit diagnostic", "--set",
                          "0.01\u00B0F", "--set", "1000", "--set", "4 conductor", "--save", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"word\": 11478"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"resolution\": \"0.01\u00B0F\""), std::string::npos) << run.out;
    const std::string saved = Project();
    EXPECT_NE(saved.find("Name15=0,11478\r\n"), std::string::npos) << saved;
    // Saving rebuilds the comments from the saved words, with the degree sign as one byte.
    EXPECT_NE(saved.find("Comment152=Ni 100/12 bit/0.01 \xB0" "F/1000 Ohm/4 cond./\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Comment151=PT DIN/15 bit/0.1 \xB0" "C/100 Ohm/3 cond./\r\n"), std::string::npos) << saved;
}

TEST_F(TemperatureModuleCommand, Tc2TypeJSavedReachesProjectAndPlanInsteadOfTheOldTypeK) {
    ProgramRun run = Run({"--slot", "16", "--channel", "1", "--set", "tc typ J", "--save"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string saved = Project();
    EXPECT_NE(saved.find("Comment161=Typ J/15 bit/0.1 \xB0" "C/avarage intern/\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Comment162=Typ K/15 bit/0.1 \xB0" "C/avarage intern/\r\n"), std::string::npos) << saved;

    run = Run({"--station", "2", "--text"}, "plan");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::size_t tag = run.out.find("_M16_P1 ");
    ASSERT_NE(tag, std::string::npos) << run.out;
    const std::string line = run.out.substr(tag, run.out.find('\n', tag) - tag);
    EXPECT_NE(line.find("  Typ J/15 bit/0.1 \u00B0C/avarage intern/"), std::string::npos) << line;
    EXPECT_EQ(line.find("Typ K/"), std::string::npos) << line;
}

TEST_F(TemperatureModuleCommand, Tc8SensorOnAnyChannelSavesCodesAndSavingComments) {
    ProgramRun run = Run({"--slot", "18", "--channel", "5", "--set", "tc typ S", "--save"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string saved = Project();
    EXPECT_NE(saved.find("Name18=0,0,0,0,4,0,0,0,\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Comment185= tc typ S \r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Comment188= tc typ L \r\n"), std::string::npos) << saved;

    run = Run({"--slot", "18", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("{\"channel\": 5, \"word\": 4, \"options\": {\"sensor typ\": \"tc typ S\"}, "
                           "\"comment\": \" tc typ s \", \"scale\": \"0 = 0.0 \xC2\xB0"
                           "C, 1 = 0.1 \xC2\xB0"
                           "C\", "
                           "\"words\": []}"),
              std::string::npos)
        << run.out;
}

TEST_F(TemperatureModuleCommand, AmbiguousAndUnknownCaptionsExit2AndWriteNothing) {
    const std::string before = Project();
    ProgramRun run = Run({"--slot", "15", "--channel", "1", "--set", "reserve", "--save"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("\"reserve\""), std::string::npos) << run.err;
    run = Run({"--slot", "19", "--channel", "1", "--set", "tc typ K", "--save"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("\"R0 0..4000\""), std::string::npos) << run.err;
    EXPECT_EQ(Project(), before);
}

}  // namespace
