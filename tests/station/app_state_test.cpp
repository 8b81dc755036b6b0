#include "station/app_state.h"

#include "station/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace korvo {
namespace {

class AppStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("korvo_app_state_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        state_.ProgramFolder = folder_.string() + "/";
        catalogue_ = ProfileFile::Load(std::filesystem::path(KORVO_TEST_DATA_DIR) / "korvo_config.ini");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void WriteSettings(const std::string& text) {
        std::ofstream(folder_ / "korvo.ini", std::ios::binary) << text;
    }

    std::filesystem::path folder_;
    AppState state_;
    ProfileFile catalogue_;
};

TEST(ProgramFolderTest, FolderOfTheProgramFileEndsWithSeparator) {
    EXPECT_EQ(ProgramFolderOf("/opt/korvo/bin/KorvoConfigurator"), "/opt/korvo/bin/");
    EXPECT_EQ(ProgramFolderOf("/KorvoConfigurator"), "/");
}

TEST_F(AppStateTest, StartValuesMatchAFreshProgram) {
    EXPECT_TRUE(state_.FirstActivation);
    EXPECT_FALSE(state_.DebugAllowed);
    EXPECT_FALSE(state_.DebugShown);
    EXPECT_FALSE(state_.Vertical);
    EXPECT_EQ(state_.ModulesPerRow, 100);
    EXPECT_EQ(state_.Zoom.ZoomLevel, 2);
    EXPECT_EQ(state_.SettingsFile(), folder_ / "korvo.ini");
    EXPECT_EQ(state_.CatalogueFile(), folder_ / "korvo_config.ini");
}

TEST_F(AppStateTest, FirstActivationWithoutSettingsGivesEmptyStationWithSlotOneCurrent) {
    StationModel model(&catalogue_, state_.ProgramFolder);
    const auto report = RunFirstActivation(state_, model);
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->warnings.empty());
    EXPECT_EQ(model.ModuleCount, 0);
    EXPECT_EQ(model.CurrentModule, 1);
    EXPECT_EQ(model.SelectedCoupler, 1);
    EXPECT_FALSE(state_.DebugAllowed);
    EXPECT_FALSE(state_.FirstActivation);
}

TEST_F(AppStateTest, FirstActivationLoadsStationAndDebugSwitch) {
    WriteSettings("[Module]\r\nAnzahl=2\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 8\r\n[System]\r\nDebug=1\r\n");
    StationModel model(&catalogue_, state_.ProgramFolder);
    RunFirstActivation(state_, model);
    EXPECT_EQ(model.ModuleCount, 2);
    EXPECT_TRUE(state_.DebugAllowed);
}

TEST_F(AppStateTest, SecondActivationDoesNotReload) {
    StationModel model(&catalogue_, state_.ProgramFolder);
    RunFirstActivation(state_, model);
    WriteSettings("[Module]\r\nAnzahl=1\r\nName1=KORVO NC ETH\r\n[System]\r\nDebug=1\r\n");
    model.CurrentModule = 0;
    EXPECT_FALSE(RunFirstActivation(state_, model).has_value());
    EXPECT_EQ(model.ModuleCount, 0);
    EXPECT_EQ(model.CurrentModule, 0);
    EXPECT_FALSE(state_.DebugAllowed);
}

TEST_F(AppStateTest, UnreadableSettingsGiveEmptyStationAndWarning) {
    std::filesystem::create_directories(folder_ / "korvo.ini");
    StationModel model(&catalogue_, state_.ProgramFolder);
    const auto report = RunFirstActivation(state_, model);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->warnings.size(), 1u);
    EXPECT_EQ(model.ModuleCount, 0);
    EXPECT_FALSE(state_.FirstActivation);
}

TEST_F(AppStateTest, ArrangementSwitchTogglesModulesPerRow) {
    ToggleArrangement(state_);
    EXPECT_TRUE(state_.Vertical);
    EXPECT_EQ(state_.ModulesPerRow, 1);
    ToggleArrangement(state_);
    EXPECT_FALSE(state_.Vertical);
    EXPECT_EQ(state_.ModulesPerRow, 100);
}

TEST_F(AppStateTest, SaveSettingsWritesEmptyStationWithCountZero) {
    StationModel model(&catalogue_, state_.ProgramFolder);
    SaveSettings(state_, model);
    const ProfileFile saved = ProfileFile::Load(folder_ / "korvo.ini");
    EXPECT_TRUE(saved.KeyExists("Module", "Anzahl"));
    EXPECT_EQ(saved.ReadInteger("Module", "Anzahl", -1), 0);
}

TEST_F(AppStateTest, SaveSettingsKeepsDebugSwitch) {
    WriteSettings("[System]\r\nDebug=1\r\n");
    StationModel model(&catalogue_, state_.ProgramFolder);
    RunFirstActivation(state_, model);
    model.AppendModule("KORVO NC ETH");
    SaveSettings(state_, model);
    const ProfileFile saved = ProfileFile::Load(folder_ / "korvo.ini");
    EXPECT_EQ(saved.ReadInteger("System", "Debug", 0), 1);
    EXPECT_EQ(saved.ReadString("Module", "Name1", ""), "KORVO NC ETH");
}

TEST_F(AppStateTest, SaveSettingsIntoMissingFolderThrows) {
    state_.ProgramFolder = (folder_ / "missing").string() + "/";
    StationModel model(&catalogue_, state_.ProgramFolder);
    EXPECT_THROW(SaveSettings(state_, model), ProfileError);
}

}  // namespace
}  // namespace korvo
