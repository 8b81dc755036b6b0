// "korvo plan": the plan text of a project, its PDF without a display, and the errors
// that leave no output file behind.

#include "temp_folder.h"

#include "plan_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace korvo {
namespace {

using testing::TempFolder;

const std::string kCatalogue = std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini";
const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";
const std::string kShippedFolder = std::string(KORVO_TEST_DATA_DIR) + "/";

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun RunPlan(const std::vector<std::string>& args, const std::string& programFolder = kShippedFolder) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunPlanCommand(args, kCatalogue, programFolder, out, err);
    return {status, out.str(), err.str()};
}

std::string ExpectedPlan() {
    std::ifstream in(KORVO_EXPECTED_PLAN, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PlanCommandTest : public TempFolder {};

TEST_F(PlanCommandTest, DemoProjectPrintsThePlanLinesAsTheReportDoes) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{kDemo}, {kDemo, "--text"}}) {
        const CommandRun run = RunPlan(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, ExpectedPlan());
    }
}

TEST_F(PlanCommandTest, StationOptionPrintsThatStationOnly) {
    const CommandRun run = RunPlan({kDemo, "--station", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("\n  Stationname   : ", 0), 0u) << run.out.substr(0, 80);
    EXPECT_EQ(run.out.find("_M2_"), std::string::npos) << "slot 2 belongs to station 1";
    EXPECT_NE(ExpectedPlan().find(run.out), std::string::npos) << "a station's lines are those of the whole plan";

    const CommandRun missing = RunPlan({kDemo, "--station", "3"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no station 3"), std::string::npos) << missing.err;
}

TEST_F(PlanCommandTest, BadArgumentsAreErrors) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {kDemo, "--station"}, {kDemo, "--station", "0"}, {kDemo, "--station", "x"},
          {kDemo, "--pdf", "a.pdf", "--text"}, {kDemo, "--bogus"}, {kDemo, kDemo}, {"/nonexistent.prj"}}) {
        const CommandRun run = RunPlan(args);
        EXPECT_EQ(run.status, 2) << run.out;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
    EXPECT_EQ(RunPlan({"--help"}).status, 0);
}

TEST_F(PlanCommandTest, PlanThatCannotBeBuiltLeavesNoPdf) {
    // A program folder without the description files.
    const CommandRun run = RunPlan({kDemo, "--pdf", File("list.pdf").string()}, dir_.string() + "/");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("KORVO_NC_ETH.txt"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(PlanCommandTest, DescriptionThatIsAFolderOrADeviceEndsThePlanWithOneLine) {
    namespace fs = std::filesystem;
    const fs::path folder = dir_ / "program";
    fs::create_directories(folder);
    fs::copy(kShippedFolder + "documents", folder / "documents");
    const fs::path file = folder / "documents" / "KORVO_DO_16.txt";
    const std::string prefix = "korvo plan: " + file.string() + ": cannot read the connection description: ";
    fs::remove(file);
    fs::create_directory(file);
    CommandRun run = RunPlan({kDemo}, folder.string() + "/");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, prefix + "it is a folder\n");
    EXPECT_EQ(run.out, "");

    fs::remove(file);
    fs::create_symlink("/dev/zero", file);
    run = RunPlan({kDemo, "--pdf", File("list.pdf").string()}, folder.string() + "/");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, prefix + "it is not a regular file\n");
    EXPECT_FALSE(fs::exists(File("list.pdf")));
}

// The program as a user runs it: no display, no platform chosen.
TEST_F(PlanCommandTest, BinaryWritesThePdfWithoutADisplay) {
    const std::string pdf = File("list.pdf").string();
    const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ") +
                                KORVO_CLI_BINARY + " plan " + kDemo + " --pdf " + pdf + " > " +
                                File("out").string() + " 2> " + File("err").string();
    ASSERT_EQ(std::system(command.c_str()), 0) << Read(File("err"));
    const std::string bytes = Read(pdf);
    EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
    EXPECT_GT(bytes.size(), 2000u);
    EXPECT_EQ(Read(File("out")), "");
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "list.pdf" || name == "out" || name == "err") << "left behind: " << name;
    }
}

}  // namespace
}  // namespace korvo
