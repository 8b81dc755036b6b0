#include "station/view_clicks.h"

#include "station/profile_file.h"
#include "station/station_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace korvo {
namespace {

// Records what the clicks ask of the view.
class RecordingUi : public StationUi {
public:
    std::vector<std::pair<int, std::string>> pictures;
    std::string placementMode = "<unset>";
    std::string stationStatus;

    void ShowPicture(int slot, const std::string& file) override { pictures.emplace_back(slot, file); }
    void SetPlacementMode(const std::string& text) override { placementMode = text; }
    void SetStationStatus(const std::string& text) override { stationStatus = text; }
};

class ViewClicksTest : public ::testing::Test {
protected:
    ViewClicksTest()
        : catalogue_(ProfileFile::Load(std::filesystem::path(KORVO_TEST_DATA_DIR) / "korvo_config.ini")),
          model_(&catalogue_, "/prog/", &ui_) {
        for (const char* type : {"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16", "KORVO NC ETH", "KORVO DO 2"}) {
            model_.AppendModule(type);
        }
        model_.Module(1)->IPAddress = "127.0.0.10";
        model_.Module(1)->Subnet_Maske = "255.0.0.0";
        model_.Module(1)->Gate_way = "127.0.0.1";
        model_.Module(1)->MACAddress = "02.4B.52.00.00.0A";
        model_.Module(4)->IPAddress = "127.0.0.11";
        ui_.pictures.clear();
    }

    ProfileFile catalogue_;
    RecordingUi ui_;
    StationModel model_;
};

TEST_F(ViewClicksTest, RestartItemOnlyForCouplerType) {
    EXPECT_TRUE(RestartItemVisible(*model_.Module(1)));
    EXPECT_FALSE(RestartItemVisible(*model_.Module(2)));
    EXPECT_FALSE(RestartItemVisible(*model_.Module(3)));
}

TEST_F(ViewClicksTest, RightClickOnCouplerSelectsItsStationAndAddress) {
    model_.CurrentModule = 2;
    EXPECT_TRUE(SelectForPopup(model_, 4));
    EXPECT_EQ(model_.CurrentModule, 4);
    EXPECT_EQ(model_.SelectedCoupler, 4);
    EXPECT_EQ(model_.CurrentIP, "127.0.0.11");
    EXPECT_EQ(model_.CurrentStationName, "Station2");
    EXPECT_EQ(ui_.stationStatus, "Station2  IP:127.0.0.11");
    // The old current module goes back to its normal picture, the clicked one is highlighted.
    ASSERT_EQ(ui_.pictures.size(), 2u);
    EXPECT_EQ(ui_.pictures[0], std::make_pair(2, std::string("/prog/images/korvo_di_16.bmp")));
    EXPECT_EQ(ui_.pictures[1], std::make_pair(4, std::string("/prog/images/korvo_nc_ethClick.bmp")));
}

TEST_F(ViewClicksTest, RightClickOnPlainModuleClearsSelectedCoupler) {
    model_.SelectedCoupler = 1;
    EXPECT_FALSE(SelectForPopup(model_, 3));
    EXPECT_EQ(model_.SelectedCoupler, 0);
    EXPECT_EQ(model_.CurrentModule, 3);
}

TEST_F(ViewClicksTest, LeftClickOnPlainModuleSetsInsertMode) {
    model_.SelectedCoupler = 1;
    EXPECT_TRUE(SelectModule(model_, 2, true, false).empty());
    EXPECT_EQ(model_.CurrentModule, 2);
    EXPECT_EQ(model_.SelectedCoupler, 0);
    EXPECT_EQ(ui_.placementMode, kInsertMode);
}

TEST_F(ViewClicksTest, LeftClickOnCouplerCopiesItsSettings) {
    SelectModule(model_, 1, true, false);
    EXPECT_EQ(ui_.placementMode, kAppendMode);
    EXPECT_EQ(model_.SelectedCoupler, 1);
    EXPECT_EQ(model_.CurrentStation, 1);
    EXPECT_EQ(model_.CurrentCouplerModule, 1);
    EXPECT_EQ(model_.CurrentIP, "127.0.0.10");
    EXPECT_EQ(model_.CurrentMask, "255.0.0.0");
    EXPECT_EQ(model_.CurrentGateway, "127.0.0.1");
    EXPECT_EQ(model_.CurrentMAC, "02.4B.52.00.00.0A");
    EXPECT_EQ(ui_.stationStatus, "Station1  IP:127.0.0.10");
}

TEST_F(ViewClicksTest, LeftClickOnCouplerWhileOnlineChangesOnlySelection) {
    SelectModule(model_, 1, true, false);
    model_.Online = true;
    ui_.stationStatus.clear();
    SelectModule(model_, 4, true, false);
    EXPECT_EQ(model_.SelectedCoupler, 4);
    EXPECT_EQ(ui_.placementMode, kAppendMode);
    EXPECT_EQ(model_.CurrentStation, 1);
    EXPECT_EQ(model_.CurrentCouplerModule, 1);
    EXPECT_EQ(model_.CurrentIP, "127.0.0.10");
    EXPECT_TRUE(ui_.stationStatus.empty());
}

TEST_F(ViewClicksTest, RightButtonStepLeavesPlacementModeEmpty) {
    model_.SelectedCoupler = 1;
    SelectModule(model_, 2, false, true);
    EXPECT_EQ(ui_.placementMode, "");
    EXPECT_EQ(model_.CurrentModule, 2);
    EXPECT_EQ(model_.SelectedCoupler, 1);
}

TEST_F(ViewClicksTest, LeftClickWithDebugPanelReturnsDump) {
    const auto dump = SelectModule(model_, 2, true, true);
    ASSERT_EQ(dump.size(), 29u);
    EXPECT_EQ(dump[0], "ModulType        : KORVO DI 16");
}

TEST_F(ViewClicksTest, EmptyViewClickDeselectsAndRestoresCouplerPicture) {
    SelectModule(model_, 4, true, false);
    model_.CurrentModule = 5;
    ui_.pictures.clear();
    ClickEmptyView(model_);
    EXPECT_EQ(model_.CurrentModule, 0);
    EXPECT_EQ(model_.SelectedCoupler, 0);
    EXPECT_EQ(ui_.placementMode, "");
    ASSERT_EQ(ui_.pictures.size(), 1u);
    EXPECT_EQ(ui_.pictures[0].first, 4);
}

TEST_F(ViewClicksTest, LedClicksOnDigitalOutputSumWeights) {
    TModul& module = *model_.Module(3);
    EXPECT_EQ(ClickLed(module, 1, false), std::optional<bool>(true));
    EXPECT_EQ(ClickLed(module, 9, false), std::optional<bool>(true));
    EXPECT_EQ(module.BitValue, 257u);
    EXPECT_EQ(module.OutputData, "0,0,1,1");
    EXPECT_EQ(ClickLed(module, 1, true), std::optional<bool>(false));
    EXPECT_EQ(module.BitValue, 256u);
    EXPECT_EQ(module.OutputData, "0,0,1,0");
}

TEST_F(ViewClicksTest, LedClicksOnOtherModulesChangeNothing) {
    TModul& module = *model_.Module(2);
    EXPECT_FALSE(ClickLed(module, 1, false).has_value());
    EXPECT_EQ(module.BitValue, 0u);
    EXPECT_TRUE(module.OutputData.empty());
    EXPECT_FALSE(ClickLed(*model_.Module(3), 33, false).has_value());
    EXPECT_FALSE(ClickLed(*model_.Module(3), 0, false).has_value());
}

TEST(OutputBytesTextTest, MostSignificantByteFirstWithoutTrailingComma) {
    EXPECT_EQ(OutputBytesText(260), "0,0,1,4");
    EXPECT_EQ(OutputBytesText(0), "0,0,0,0");
    EXPECT_EQ(OutputBytesText(0xFF00FF01u), "255,0,255,1");
}

}  // namespace
}  // namespace korvo
