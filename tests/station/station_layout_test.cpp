#include "station/station_layout.h"
#include "station/zoom_state.h"
#include "station_fixture.h"

#include <gtest/gtest.h>

namespace korvo {
namespace {

class StationLayoutTest : public ::testing::Test, public testing::StationTest {};

TEST_F(StationLayoutTest, PanelsStandSideBySideWithThreePixelGaps) {
    const ProfileFile ini =
        ProfileFile::FromText("[KORVO NC ETH]\nslots=2\n[A]\nslots=1\n[B]\nslots=4\n[C]\nslots=1\n");
    StationModel m(&ini, "/");
    for (const char* t : {"KORVO NC ETH", "A", "B", "C"}) m.AppendModule(t);
    const Arrangement a = ArrangeModules(m, m.ModuleCount, kModulesPerRowHorizontal);
    ASSERT_EQ(a.panels.size(), 4u);
    const int lefts[] = {10, 73, 106, 229};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.panels[static_cast<std::size_t>(i)].left, lefts[i]);
        EXPECT_EQ(a.panels[static_cast<std::size_t>(i)].top, 10);
        EXPECT_EQ(a.panels[static_cast<std::size_t>(i)].height, 90);
    }
    EXPECT_EQ(a.panels[2].width, 120);
    EXPECT_EQ(a.RowCount, 1);
}

TEST_F(StationLayoutTest, SecondCouplerAndPassiveRowBreakStartNewRows) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO PB", "KORVO AI 2", "KORVO NC ETH", "KORVO DO 16"});
    const Arrangement a = ArrangeModules(*model, model->ModuleCount, kModulesPerRowHorizontal);
    EXPECT_EQ(a.panels[1].top, 10);
    EXPECT_EQ(a.panels[2].top, 100);  // "KORVO PB"
    EXPECT_EQ(a.panels[2].left, 10);
    EXPECT_EQ(a.panels[3].top, 100);
    EXPECT_EQ(a.panels[3].left, 10 + 30 + 3);
    EXPECT_EQ(a.panels[4].top, 190);  // second coupler
    EXPECT_EQ(a.panels[5].top, 190);
}

TEST_F(StationLayoutTest, VerticalModeGivesEveryModuleItsOwnRow) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO NC ETH", "KORVO DO 16"});
    const Arrangement a = ArrangeModules(*model, model->ModuleCount, kModulesPerRowVertical);
    EXPECT_EQ(a.RowCount, 4);
    const int tops[] = {10, 100, 280, 370};  // the second coupler adds one extra row
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.panels[static_cast<std::size_t>(i)].left, 10);
        EXPECT_EQ(a.panels[static_cast<std::size_t>(i)].top, tops[i]);
    }
}

TEST_F(StationLayoutTest, AllOf161ModulesArePlaced) {
    model->AppendModule("KORVO NC ETH");
    while (model->ModuleCount < StationModel::kMaxModules) model->AppendModule("KORVO DI 16");
    const Arrangement a = ArrangeModules(*model, model->ModuleCount, kModulesPerRowHorizontal);
    EXPECT_EQ(a.RowCount, 2);
    ASSERT_EQ(a.panels.size(), 161u);
    EXPECT_EQ(a.panels[100].top, 100);                  // the 101st module starts the second row
    EXPECT_EQ(a.panels[160].left, 10 + 60 * (60 + 3));  // 60 modules of 60 pixels in front of it
    EXPECT_EQ(a.panels[160].top, 100);
}

TEST(LedLayout, PairsPerRowColumnByColumnAndHiddenWithoutWeight) {
    TModul m;
    m.slots = 2;
    m.LedWeight[1] = 1;
    m.LedWeight[2] = 2;
    m.LedWeight[8] = 128;
    m.LedWeight[9] = 256;
    m.LedWeight[25] = 1;  // column 3, beyond the module's width
    const auto leds = LayoutLeds(m);
    EXPECT_EQ(leds[1].rect.left, 7);
    EXPECT_EQ(leds[1].rect.top, 14);
    EXPECT_EQ(leds[2].rect.left, 16);
    EXPECT_EQ(leds[8].rect.left, 16);
    EXPECT_EQ(leds[8].rect.top, 41);
    EXPECT_EQ(leds[9].rect.left, 37);
    EXPECT_EQ(leds[9].rect.top, 14);
    EXPECT_EQ(leds[9].rect.width, 8);
    EXPECT_TRUE(leds[1].visible);
    EXPECT_TRUE(leds[9].visible);
    EXPECT_FALSE(leds[3].visible);
    EXPECT_FALSE(leds[25].visible);
}

TEST(LedLayout, NamesCarryTheSlotInHexadecimal) {
    EXPECT_EQ(LedName(10, 12), "a0A12");
    EXPECT_EQ(LedName(161, 1), "aA11");
    EXPECT_EQ(SlotFromLedName("a0A12"), 10);
    EXPECT_EQ(SlotFromLedName(LedName(161, 32)), 161);
    EXPECT_EQ(SlotFromLedName("b0A1"), 0);
    EXPECT_EQ(SlotFromLedName("a"), 0);
}

TEST(Zoom, OneStepEachWayThenDisabledAndBack) {
    ZoomState z;
    EXPECT_DOUBLE_EQ(z.StepSmaller(), 0.5);
    EXPECT_EQ(z.ZoomLevel, 3);
    EXPECT_FALSE(z.SmallerEnabled);
    EXPECT_TRUE(z.ZoomActive);
    EXPECT_DOUBLE_EQ(z.StepLarger(), 2.0);
    EXPECT_EQ(z.ZoomLevel, 2);
    EXPECT_TRUE(z.SmallerEnabled);
    EXPECT_DOUBLE_EQ(z.StepLarger(), 2.0);
    EXPECT_EQ(z.ZoomLevel, 1);
    EXPECT_FALSE(z.LargerEnabled);
    EXPECT_DOUBLE_EQ(z.StepLarger(), 1.0);
    EXPECT_DOUBLE_EQ(z.Reset(), 0.5);
    EXPECT_EQ(z.ZoomLevel, 2);
    EXPECT_FALSE(z.ZoomActive);
    EXPECT_TRUE(z.LargerEnabled);
    EXPECT_DOUBLE_EQ(z.Reset(), 1.0);
}

}  // namespace
}  // namespace korvo
