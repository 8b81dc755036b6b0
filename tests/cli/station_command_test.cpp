#include "station_command.h"

#include "run_korvo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;

const std::string kCatalogue = std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini";
const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun RunCommand(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunStationCommand(args, kCatalogue, out, err);
    return {status, out.str(), err.str()};
}

class TempProject : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    fs::path dir_;
};

TEST(StationCommand, JsonGivesTheAddressMapOfEveryModule) {
    const CommandRun run = RunCommand({kDemo, "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.front(), '[');
    EXPECT_NE(
        run.out.find("{\"slot\": 1, \"type\": \"KORVO NC ETH\", \"station\": 1, \"link\": 0, \"in\": 0, "
                     "\"out\": 0, \"inStart\": 0, \"inEnd\": 0, \"outStart\": 0, \"outEnd\": 0"),
        std::string::npos);
    // The degree sign of the temperature comments leaves as UTF-8.
    EXPECT_NE(run.out.find("0.1 \xC2\xB0"
                           "C"),
              std::string::npos);
}

TEST_F(TempProject, OffsetsRestartPerStationInBothFormats) {
    const std::string project = Write("p.prj",
                                      "[Module]\r\nAnzahl=4\r\nName1=KORVO NC ETH\r\nName2=KORVO AI 2\r\n"
                                      "Name3=KORVO NC ETH\r\nName4=KORVO DO 16\r\n"
                                      "[Parameter]\r\nName2=1,2,\r\nComment21=a \"quoted\" comment\r\n");
    const CommandRun json = RunCommand({project, "--json"});
    ASSERT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("{\"slot\": 2, \"type\": \"KORVO AI 2\", \"station\": 0, \"link\": 1, \"in\": 4, "
                            "\"out\": 4, \"inStart\": 0, \"inEnd\": 4, \"outStart\": 0, \"outEnd\": 4, "
                            "\"parameter\": \"1,2,\", \"comments\": [\"a \\\"quoted\\\" comment\", \"\"]}"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"slot\": 4, \"type\": \"KORVO DO 16\", \"station\": 0, \"link\": 2, \"in\": 0, "
                            "\"out\": 2, \"inStart\": 0, \"inEnd\": 0, \"outStart\": 0, \"outEnd\": 2"),
              std::string::npos);
    const CommandRun text = RunCommand({project});
    ASSERT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("   2  KORVO AI 2              0     1    4    4  0..3         0..3"),
              std::string::npos);
    EXPECT_NE(text.out.find("      parameter: 1,2,"), std::string::npos);
}

TEST_F(TempProject, UnknownTypeIsWarnedAboutButMapped) {
    const std::string project = Write("u.prj", "[Module]\nAnzahl=2\nName1=KORVO NC ETH\nName2=KORVO ZZ 9\n");
    const CommandRun run = RunCommand({project, "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("KORVO ZZ 9"), std::string::npos);
    EXPECT_NE(run.out.find("\"slot\": 2"), std::string::npos);
}

TEST_F(TempProject, EmptyProjectGivesEmptyJsonArray) {
    const CommandRun run = RunCommand({Write("e.prj", ""), "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "[]\n");
}

TEST_F(TempProject, BadArgumentsAndFilesExitWithStatusTwoAndOneLine) {
    const fs::path folder = dir_ / "folder.prj";
    fs::create_directory(folder);
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"/no/such/project.prj"},
        {kDemo, "--catalogue"},
        {kDemo, "--catalogue", "/no/such/catalogue.ini"},
        {kDemo, "--frobnicate"},
        {kDemo, kDemo},
        {folder.string()},
    };
    for (const auto& args : bad) {
        const CommandRun run = RunCommand(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_FALSE(run.err.empty());
        EXPECT_TRUE(run.out.empty());
    }
}

TEST_F(TempProject, BinaryGarbageProjectDoesNotCrash) {
    std::string garbage;
    for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 131) & 0xFF);
    garbage += "\n[Module]\nAnzahl=500\n";
    const CommandRun run = RunCommand({Write("g.prj", garbage), "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("161"), std::string::npos);
}

// The installed program finds its catalogue next to itself.
TEST(StationCommandBinary, RunsOnTheDemoProjectWithTheShippedCatalogue) {
    const std::string command = std::string(KORVO_CLI_BINARY) + " station " + kDemo + " --json 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("\"type\": \"KORVO NC ETH\", \"station\": 2"), std::string::npos);

    const std::string bad = std::string(KORVO_CLI_BINARY) + " station /no/such.prj 2>/dev/null";
    const int badStatus = std::system(bad.c_str());
    ASSERT_TRUE(WIFEXITED(badStatus));
    EXPECT_EQ(WEXITSTATUS(badStatus), 2);
}

// Every command that reads a station names the file it cannot read, in one line.
TEST(StationCommandBinary, EveryCommandNamesAMissingProjectOrCatalogue) {
    const std::string catalogue = "--catalogue " + kCatalogue;
    for (const std::string& command : {"station /no/such.prj " + catalogue, "plan /no/such.prj " + catalogue,
                                      "export /no/such.prj --format csv " + catalogue, "module /no/such.prj --slot 2 " + catalogue,
                                      std::string("check 127.0.0.1 /no/such.prj")}) {
        const testing::Result run = testing::RunKorvo(command);
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_NE(run.output.find("cannot open the project \"/no/such.prj\": no such file\n"), std::string::npos)
            << command << ": " << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << command << ": " << run.output;
    }
    const testing::Result run = testing::RunKorvo("plan " + kDemo + " --catalogue /no/such.ini");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, "korvo plan: cannot open the module catalogue \"/no/such.ini\": no such file\n");
}

}  // namespace
}  // namespace korvo
