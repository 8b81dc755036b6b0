// The configurator's command line and the project a start loads.
#include "station/app_state.h"
#include "shell/start_options.h"

#include "station/profile_file.h"
#include "station/station_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace korvo {
namespace {

const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";

std::optional<StartOptions> Parse(const std::vector<std::string>& args, std::string& error) {
    error.clear();
    return ParseStartOptions(args, error);
}

TEST(StartOptionsTest, ScreenshotAndProjectInEitherOrder) {
    std::string error;
    auto none = Parse({}, error);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->screenshot.empty());
    EXPECT_TRUE(none->project.empty());

    auto both = Parse({"--project", kDemo, "--screenshot", "/tmp/station.png"}, error);
    ASSERT_TRUE(both) << error;
    EXPECT_EQ(both->screenshot, "/tmp/station.png");
    EXPECT_EQ(both->project, kDemo);
    EXPECT_TRUE(Parse({"--help"}, error)->help);
}

TEST(StartOptionsTest, WrongCommandLinesSayWhy) {
    std::string error;
    EXPECT_FALSE(Parse({"--screenshot"}, error));
    EXPECT_EQ(error, "--screenshot needs a file name");
    EXPECT_FALSE(Parse({"--project", ""}, error));
    EXPECT_EQ(error, "--project needs a file name");
    EXPECT_FALSE(Parse({"station.prj"}, error));
    EXPECT_EQ(error, "unknown argument \"station.prj\"");
    EXPECT_FALSE(Parse({"--project", "/no/such/station.prj"}, error));
    EXPECT_EQ(error, "no project file \"/no/such/station.prj\"");
    EXPECT_FALSE(Parse({"--project", KORVO_TEST_DATA_DIR}, error)) << "a folder is no project";
    EXPECT_FALSE(Parse({"--screenshot", "/tmp/station.jpg"}, error));
    EXPECT_EQ(error, "the screenshot \"/tmp/station.jpg\" must be a .png file");
}

TEST(StartOptionsTest, FirstActivationLoadsTheStartProjectInsteadOfTheSettings) {
    const auto folder = std::filesystem::temp_directory_path() / ("korvo_start_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "korvo.ini", std::ios::binary) << "[Module]\r\nAnzahl=1\r\nName1=KORVO NC ETH\r\n";
    const ProfileFile catalogue = ProfileFile::Load(std::filesystem::path(KORVO_TEST_DATA_DIR) / "korvo_config.ini");

    AppState state;
    state.ProgramFolder = folder.string() + "/";
    state.StartProject = kDemo;
    StationModel model(&catalogue, state.ProgramFolder);
    ASSERT_TRUE(RunFirstActivation(state, model));
    EXPECT_EQ(model.ModuleCount, 21);
    EXPECT_EQ(model.Module(21)->ModulType, "KORVO PA");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace korvo
