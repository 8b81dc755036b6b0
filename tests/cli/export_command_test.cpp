// "korvo export" as a user runs it: the demo project to a file in each format, and the
// errors that exit with 2 and leave no file (or the old one) behind.

#include "temp_folder.h"

#include "export_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace korvo {
namespace {

using testing::TempFolder;

const std::string kDataFolder = std::string(KORVO_TEST_DATA_DIR) + "/";
const std::string kCatalogue = kDataFolder + "korvo_config.ini";
const std::string kDemo = kDataFolder + "demo/demo.prj";

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun RunExport(const std::vector<std::string>& args, const std::string& programFolder = kDataFolder) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunExportCommand(args, kCatalogue, programFolder, out, err);
    return {status, out.str(), err.str()};
}

class ExportCommand : public TempFolder {};

TEST_F(ExportCommand, WritesEachFormatToTheFileAsExpected) {
    for (const std::string format : {"csv", "gvl", "json"}) {
        const auto file = File("demo." + format);
        const CommandRun run = RunExport({kDemo, "--format", format, "-o", file.string()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(Read(file), Read(std::string(KORVO_EXPECTED_EXPORT ".") + format)) << format;
    }
    // The format follows from the file name when --format is left out.
    const CommandRun byName = RunExport({kDemo, "-o", File("plc.gvl").string()});
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(Read(File("plc.gvl")).rfind("(* Address map of demo.prj", 0), 0u);
}

TEST_F(ExportCommand, StationAndBasesReachTheAddresses) {
    const CommandRun run = RunExport({kDemo, "--format", "gvl", "--station", "2", "--input-base", "64",
                                      "--output-base", "32"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("BoilerRoom_M12_DI_1 AT %IX65.0 : BOOL;"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("BoilerRoom_M13_DO_1 AT %QX33.0 : BOOL;"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("PumpHouse"), std::string::npos);
}

TEST_F(ExportCommand, MissingAndBadDescriptionsAreNamedOnStderrAndTheMapIsStillWritten) {
    namespace fs = std::filesystem;
    const fs::path documents = dir_ / "documents";
    fs::copy(kDataFolder + "documents", documents);
    fs::remove(documents / "KORVO_DI_16.txt");
    fs::create_directory(documents / "KORVO_DI_16.txt");
    fs::remove(documents / "KORVO_DI_8.txt");
    fs::create_symlink("/dev/zero", documents / "KORVO_DI_8.txt");
    fs::remove(documents / "KORVO_DI_4.txt");
    std::string outputs = Read(documents / "KORVO_DO_16.txt");
    const std::size_t third = outputs.find("1, DO 3");
    ASSERT_NE(third, std::string::npos);
    outputs.replace(third, 1, "-1");
    Write(documents / "KORVO_DO_16.txt", outputs);

    const CommandRun run = RunExport({kDemo, "--format", "csv"}, dir_.string() + "/");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string tail = " (its points are exported without a description)\n";
    const std::string reading = ": cannot read the connection description: ";
    EXPECT_EQ(run.err, "korvo export: " + (documents / "KORVO_DI_16.txt").string() + reading + "it is a folder" + tail +
                           "korvo export: " + (documents / "KORVO_DI_8.txt").string() + reading +
                           "it is not a regular file" + tail + "korvo export: " +
                           (documents / "KORVO_DO_16.txt").string() +
                           ", line 8: \"-1\" is not a connector number (1..999)" + tail + "korvo export: " +
                           (documents / "KORVO_DI_4.txt").string() + reading + "No such file or directory" + tail);
    // Their points are there with empty descriptions, the others keep theirs.
    EXPECT_NE(run.out.find(",PumpHouse_M2_DI_1,input,BOOL,1,1,0,%IX1.0,\r\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("24 V DC input"), std::string::npos);
    EXPECT_NE(run.out.find(",%QX3.0,\"relay 1  NO contact 230 V AC / 2 A, terminal 1\"\r\n"), std::string::npos)
        << run.out;
    // Of the DO 16 in slot 4 only the point of the bad line lost its text.
    EXPECT_NE(run.out.find(",PumpHouse_M4_DO_3,output,BOOL,1,1,2,%QX1.2,\r\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(",PumpHouse_M4_DO_4,output,BOOL,1,1,3,%QX1.3,\"DO 4  24 V DC output"), std::string::npos)
        << run.out;
}

TEST_F(ExportCommand, ErrorsExitWithTwoOnOneLineAndLeaveTheOldFile) {
    const auto file = File("map.csv");
    Write(file, "old contents");
    const auto empty = File("empty.prj");
    Write(empty, "[Module]\nAnzahl=1\nName1=KORVO NC ETH\n");
    const auto broken = File("broken.prj");
    Write(broken, "[Module]\nAnzahl=zwei\n");
    const std::vector<std::vector<std::string>> failing = {
        {kDemo, "--format", "xls", "-o", file.string()},
        {empty.string(), "--format", "csv", "-o", file.string()},
        {broken.string(), "--format", "csv", "-o", file.string()},
        {File("missing.prj").string(), "--format", "csv", "-o", file.string()},
        {kDemo, "--format", "csv", "--station", "7", "-o", file.string()},
        {kDemo, "--format", "csv", "--input-base", "-1", "-o", file.string()},
        {kDemo, "-o", File("map.txt").string()},
    };
    for (const auto& args : failing) {
        const CommandRun run = RunExport(args);
        EXPECT_EQ(run.status, 2) << args[0] << " " << args[1] << " " << args[2];
        // One error line, after the loader's warning where the file is not a project.
        std::istringstream lines(run.err);
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count) {
            EXPECT_EQ(line.rfind("korvo export: ", 0), 0u) << run.err;
        }
        EXPECT_GE(count, 1) << run.err;
        EXPECT_LE(count, 2) << run.err;
        EXPECT_EQ(Read(file), "old contents");
    }
    EXPECT_FALSE(std::filesystem::exists(File("map.txt")));
    // Only the file itself is in the folder: no temporary leftovers.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 3);
}

TEST_F(ExportCommand, UnwritableTargetIsAnErrorWithoutLeftovers) {
    const auto folder = File("locked");
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(folder.c_str(), W_OK) == 0) GTEST_SKIP() << "the test runs with rights that ignore file permissions";
    const CommandRun run = RunExport({kDemo, "--format", "json", "-o", (folder / "map.json").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace korvo
