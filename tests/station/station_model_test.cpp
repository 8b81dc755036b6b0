#include "station/station_model.h"
#include "station_fixture.h"

#include <gtest/gtest.h>

#include <random>

namespace korvo {
namespace {

using Types = std::vector<std::string>;

class StationModelTest : public ::testing::Test, public testing::StationTest {
protected:
    const TModul& M(int slot) const { return *model->Module(slot); }
    void SelectPlain(int slot) {
        model->CurrentModule = slot;
        model->SelectedCoupler = 0;
    }
    void SelectCoupler(int slot) {
        model->CurrentModule = slot;
        model->SelectedCoupler = slot;
    }
    void ExpectInvariants() const {
        int station = 0;
        for (int i = 1; i <= model->ModuleCount; ++i) {
            const TModul& m = M(i);
            EXPECT_EQ(m.Nummer, i);
            if (m.ModulType == "KORVO NC ETH") {
                EXPECT_EQ(m.StationsNummmer, ++station);
                EXPECT_EQ(m.ModulZuStations, 0);
            } else if (m.ModulType == "KORVO PS") {
                EXPECT_EQ(m.ModulZuStations, 999);
            } else {
                EXPECT_EQ(m.ModulZuStations, station) << "slot " << i;
            }
        }
        for (int i = model->ModuleCount + 1; i <= StationModel::kMaxModules; ++i)
            EXPECT_EQ(model->Module(i), nullptr);
        EXPECT_EQ(model->StationCount, station);
    }
};

TEST_F(StationModelTest, OffsetsRestartAtEveryCouplerAndEndsAreExclusive) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16", "KORVO AI 2", "KORVO NC ETH", "KORVO AI 2"});
    EXPECT_EQ(M(2).ByteOffsetInput, 2);
    EXPECT_EQ(M(3).ByteOffsetInput, 2);
    EXPECT_EQ(M(3).ByteOffsetOutput, 2);
    EXPECT_EQ(M(4).ByteOffsetInput, 6);
    EXPECT_EQ(M(4).ByteOffsetOutput, 6);
    EXPECT_EQ(M(4).InputStart(), 2);
    EXPECT_EQ(M(6).ByteOffsetInput, 4);
    EXPECT_EQ(M(6).ModulZuStations, 2);
    EXPECT_EQ(M(5).StationName, "Station2");
    model->Renumber();
    EXPECT_EQ(M(4).ByteOffsetOutput, 6);
    EXPECT_EQ(model->InputTotal, 4);
    ExpectInvariants();
}

TEST_F(StationModelTest, ModulesInFrontOfFirstCouplerAndPowerFeedLinks) {
    Append({"KORVO DI 16", "KORVO NC ETH", "KORVO PS", "KORVO DO 16"});
    EXPECT_EQ(M(1).ModulZuStations, 0);
    EXPECT_EQ(M(3).ModulZuStations, 999);
    EXPECT_EQ(M(4).ModulZuStations, 1);
    ExpectInvariants();
}

TEST_F(StationModelTest, NothingSelectedAppendsAtTheEndContinuingTheLastStation) {
    Append({"KORVO NC ETH", "KORVO AI 2"});
    SelectPlain(0);
    ASSERT_TRUE(model->PlaceModule("KORVO AI 2"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO AI 2", "KORVO AI 2"}));
    EXPECT_EQ(M(3).ByteOffsetInput, 8);
    EXPECT_EQ(M(3).Parameter, "0,0,");
    EXPECT_EQ(M(3).ParameterComment[2], "16 average/  0..10/FMT1 15bit/");
    EXPECT_EQ(model->CurrentModule, 0);
}

TEST_F(StationModelTest, PlainModuleCurrentInsertsInFrontOfIt) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"});
    model->Module(2)->Parameter = "di-param";
    SelectPlain(2);
    ASSERT_TRUE(model->PlaceModule("KORVO AI 2"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO AI 2", "KORVO DI 16", "KORVO DO 16"}));
    EXPECT_EQ(M(3).Parameter, "di-param");
    EXPECT_EQ(M(2).Parameter, "0,0,");
    EXPECT_EQ(M(2).ByteOffsetInput, 4);
    EXPECT_EQ(M(3).ByteOffsetInput, 6);
    EXPECT_EQ(M(4).ByteOffsetOutput, 6);
    EXPECT_EQ(model->CurrentModule, 0);  // the new module is not a coupler
    EXPECT_EQ(model->ModuleCount, 4);
    ExpectInvariants();
}

TEST_F(StationModelTest, CouplerCurrentAppendsBehindTheLastModuleOfItsStation) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO PS", "KORVO NC ETH", "KORVO DO 16"});
    SelectCoupler(1);
    ASSERT_TRUE(model->PlaceModule("KORVO AI 2"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO DI 16", "KORVO AI 2", "KORVO PS", "KORVO NC ETH",
                                 "KORVO DO 16"}));
    EXPECT_EQ(model->CurrentModule, 1);
    ExpectInvariants();
}

TEST_F(StationModelTest, EmptyStationGetsTheModuleDirectlyBehindItsCoupler) {
    Append({"KORVO NC ETH", "KORVO NC ETH", "KORVO DI 16"});
    SelectCoupler(1);
    ASSERT_TRUE(model->PlaceModule("KORVO DO 16"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO DO 16", "KORVO NC ETH", "KORVO DI 16"}));
    EXPECT_EQ(M(2).ModulZuStations, 1);
    ExpectInvariants();
}

TEST_F(StationModelTest, LastStationCouplerCurrentAppendsAtListEnd) {
    Append({"KORVO NC ETH", "KORVO DI 16"});
    SelectCoupler(1);
    ASSERT_TRUE(model->PlaceModule("KORVO DO 16"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"}));
    ExpectInvariants();
}

TEST_F(StationModelTest, CouplerPlacedAtPlainModuleSplitsTheStation) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16", "KORVO AI 2", "KORVO NC ETH", "KORVO AO 1"});
    SelectPlain(3);
    ASSERT_TRUE(model->PlaceModule("KORVO NC ETH"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO DI 16", "KORVO NC ETH", "KORVO DO 16", "KORVO AI 2",
                                 "KORVO NC ETH", "KORVO AO 1"}));
    EXPECT_EQ(M(3).StationsNummmer, 2);
    EXPECT_EQ(M(4).ModulZuStations, 2);
    EXPECT_EQ(M(4).ByteOffsetOutput, 2);
    EXPECT_EQ(M(6).StationsNummmer, 3);
    EXPECT_EQ(M(7).ModulZuStations, 3);
    EXPECT_EQ(model->CurrentModule, 3);  // the new coupler is current
    ExpectInvariants();
}

TEST_F(StationModelTest, CouplerPlacedWhileCouplerCurrentGoesInFrontOfIt) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO NC ETH", "KORVO DO 16"});
    model->Module(3)->StationName = "Second";
    SelectCoupler(3);
    ASSERT_TRUE(model->PlaceModule("KORVO NC ETH"));
    EXPECT_EQ(TypeList(),
              (Types{"KORVO NC ETH", "KORVO DI 16", "KORVO NC ETH", "KORVO NC ETH", "KORVO DO 16"}));
    EXPECT_EQ(M(4).StationName, "Second");
    ExpectInvariants();
}

TEST_F(StationModelTest, PassiveRowBreakWithCouplerCurrentGoesInFrontOfStationsLastModule) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16", "KORVO NC ETH"});
    SelectCoupler(1);
    ASSERT_TRUE(model->PlaceModule("KORVO PB"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO DI 16", "KORVO PB", "KORVO DO 16", "KORVO NC ETH"}));
    ExpectInvariants();
}

TEST_F(StationModelTest, SeparatorLinePlacesNothing) {
    Append({"KORVO NC ETH"});
    EXPECT_FALSE(model->PlaceModule("."));
    EXPECT_EQ(model->ModuleCount, 1);
}

TEST_F(StationModelTest, CouplerCurrentWithoutSelectionPlacesNothing) {
    Append({"KORVO NC ETH", "KORVO DI 16"});
    model->CurrentModule = 1;
    model->SelectedCoupler = 0;
    EXPECT_FALSE(model->PlaceModule("KORVO DO 16"));
    EXPECT_EQ(model->ModuleCount, 2);
}

TEST_F(StationModelTest, CurrentSlotEmptyAppendsOneModule) {
    Append({"KORVO NC ETH"});
    model->CurrentModule = 5;
    ASSERT_TRUE(model->PlaceModule("KORVO DI 16"));
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO DI 16"}));
}

TEST_F(StationModelTest, FullListRefusesInsertionNeedingTwoSlotsAndChangesNothing) {
    Append({"KORVO NC ETH"});
    for (int i = 2; i <= 160; ++i) model->AppendModule("KORVO DI 16");
    ASSERT_EQ(model->ModuleCount, 160);
    SelectPlain(2);
    EXPECT_FALSE(model->PlaceModule("KORVO DO 16"));
    EXPECT_EQ(model->ModuleCount, 160);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("161"), std::string::npos);
    EXPECT_EQ(model->Module(2)->ModulType, "KORVO DI 16");

    SelectPlain(0);
    EXPECT_TRUE(model->PlaceModule("KORVO DO 16"));  // one append still fits
    EXPECT_EQ(model->ModuleCount, 161);
    EXPECT_FALSE(model->PlaceModule("KORVO DO 16"));
    EXPECT_EQ(model->ModuleCount, 161);
    EXPECT_FALSE(model->AppendModule("KORVO DO 16"));
}

TEST_F(StationModelTest, MoveNewModuleWorkedExample) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16", "KORVO AI 2", "KORVO AI 2"});
    model->MoveNewModule(2, false);
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO AI 2", "KORVO DI 16", "KORVO DO 16"}));
    EXPECT_EQ(ui.removed, 1);
    ExpectInvariants();
}

TEST_F(StationModelTest, DeletePlainModuleClosesTheGapAndRecomputesOffsets) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO AI 2", "KORVO DO 16"});
    TModul* ai = model->Module(3);
    SelectPlain(2);
    model->DeleteCurrent();
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO AI 2", "KORVO DO 16"}));
    EXPECT_EQ(model->Module(2), ai);  // objects move, they are not copied
    EXPECT_EQ(M(2).ByteOffsetInput, 4);
    EXPECT_EQ(model->CurrentModule, 0);
    EXPECT_TRUE(ui.questions.empty());
    ExpectInvariants();
}

TEST_F(StationModelTest, DeleteStationKeepsPowerFeedAndRenumbers) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO PS", "KORVO DO 16", "KORVO NC ETH", "KORVO AI 2"});
    model->Module(5)->StationName = "Two";
    SelectCoupler(1);
    model->DeleteCurrent();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], " delete station|delete the complete station ? ");
    EXPECT_EQ(TypeList(), (Types{"KORVO PS", "KORVO NC ETH", "KORVO AI 2"}));
    EXPECT_EQ(M(2).StationsNummmer, 1);
    EXPECT_EQ(M(2).StationName, "Two");
    EXPECT_EQ(M(3).ModulZuStations, 1);
    EXPECT_EQ(M(3).ByteOffsetInput, 4);
    EXPECT_EQ(model->CurrentModule, 0);
    ExpectInvariants();
}

TEST_F(StationModelTest, DeleteStationAnsweredNoChangesNothing) {
    Append({"KORVO NC ETH", "KORVO DI 16"});
    SelectCoupler(1);
    ui.answer = false;
    model->DeleteCurrent();
    EXPECT_EQ(model->ModuleCount, 2);
    EXPECT_EQ(model->CurrentModule, 1);
}

TEST_F(StationModelTest, DeleteCouplerRightAfterLoadDeletesThatStationOnly) {
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO NC ETH", "KORVO DO 16"});
    model->CurrentModule = 3;  // current, but never clicked: no coupler selected
    model->SelectedCoupler = 0;
    model->DeleteCurrent();
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO DI 16"}));
}

TEST_F(StationModelTest, DeletingLastStationResetsStationCount) {
    Append({"KORVO NC ETH", "KORVO DI 16"});
    SelectCoupler(1);
    model->DeleteCurrent();
    EXPECT_EQ(model->ModuleCount, 0);
    EXPECT_EQ(model->StationCount, 0);
    model->AppendModule("KORVO NC ETH");
    EXPECT_EQ(M(1).StationName, "Station1");
}

TEST_F(StationModelTest, DeleteRefusedWhileOnlineOrNothingCurrent) {
    Append({"KORVO NC ETH", "KORVO DI 16"});
    SelectPlain(2);
    model->Online = true;
    model->DeleteCurrent();
    EXPECT_EQ(model->ModuleCount, 2);
    model->Online = false;
    model->CurrentModule = 0;
    model->DeleteCurrent();
    model->CurrentModule = 7;
    model->DeleteCurrent();
    EXPECT_EQ(model->ModuleCount, 2);
}

TEST_F(StationModelTest, ClearStationEmptiesEverything) {
    Append({"KORVO NC ETH", "KORVO AI 2"});
    model->ClearStation();
    EXPECT_EQ(model->ModuleCount, 0);
    EXPECT_EQ(model->StationCount, 0);
    EXPECT_EQ(model->InputTotal, 0);
    EXPECT_EQ(model->Module(1), nullptr);
    EXPECT_EQ(ui.removed, 2);
}

TEST_F(StationModelTest, NewCouplerAfterInsertionsIsNamedByItsNumber) {
    Append({"KORVO NC ETH", "KORVO DI 16"});
    SelectPlain(2);
    model->PlaceModule("KORVO NC ETH");  // splits: two stations now
    SelectPlain(0);
    model->PlaceModule("KORVO NC ETH");
    EXPECT_EQ(M(model->ModuleCount).StationsNummmer, 3);
    EXPECT_EQ(M(model->ModuleCount).StationName, "Station3");
}

TEST_F(StationModelTest, DefaultsOfTheSevenTypesAndNoneForOthers) {
    Append({"KORVO NC ETH", "KORVO TC 8", "KORVO DI 16"});
    model->InitNewModule("KORVO TC 8", 2);
    model->InitNewModule("KORVO DI 16", 3);
    EXPECT_EQ(M(2).Parameter, "0,0,0,0,0,0,0,0,");
    EXPECT_EQ(M(2).ParameterComment[8], " tc typ L ");
    EXPECT_EQ(M(2).ParameterComment[9], "");
    EXPECT_EQ(M(3).Parameter, "");
}

TEST_F(StationModelTest, DumpModuleListsFieldsWithAlignedLabels) {
    Append({"KORVO NC ETH", "KORVO AI 2"});
    const auto lines = model->DumpModule(2);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[0], "ModulType        : KORVO AI 2");
    EXPECT_EQ(lines[8], "ByteOffsetInput  : 4");
    EXPECT_EQ(lines[12], "ModulZuStations  : 1");
    EXPECT_EQ(lines[28], "imageFile        : /opt/korvo/.bmp");
    EXPECT_TRUE(model->DumpModule(9).empty());
}

TEST_F(StationModelTest, SelectedCouplerCreatedShowsClickPictureAndBecomesCurrent) {
    struct PictureUi : testing::RecordingUi {
        std::vector<std::string> pictures;
        void ShowPicture(int, const std::string& file) override { pictures.push_back(file); }
    } pictureUi;
    model->SetUi(&pictureUi);
    model->SelectedCoupler = 1;
    model->AppendModule("KORVO NC ETH");
    ASSERT_FALSE(pictureUi.pictures.empty());
    EXPECT_EQ(pictureUi.pictures.back(), "/opt/korvo/images/ncClick.bmp");
    EXPECT_EQ(model->CurrentModule, 1);
}

// LED n is lit when the input value shares a bit with its weight; checked lane by
// lane against that definition for weights of one bit, of several bits and of none.
TEST(ModuleLedsTest, LitLedsFollowTheWeightOfEveryLed) {
    std::mt19937 random(1962);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    TModul module;
    for (int round = 0; round < 2000; ++round) {
        for (int led = 1; led <= TModul::kLedCount; ++led) {
            const int kind = word(random) % 4;
            const int bits = kind == 0 ? 0 : kind == 1 ? 1 << (word(random) % 16) : word(random);
            module.LedWeight[static_cast<std::size_t>(led)] = static_cast<std::uint16_t>(bits);
        }
        const std::uint32_t value = static_cast<std::uint32_t>(word(random)) | (round % 2 == 0 ? 0u : 0xABCD0000u);
        std::uint32_t expected = 0;
        for (int led = 1; led <= TModul::kLedCount; ++led) {
            if ((module.LedWeight[static_cast<std::size_t>(led)] & value) != 0) expected |= 1u << (led - 1);
        }
        ASSERT_EQ(module.LitLeds(value), expected) << "round " << round;
    }
}

TEST(ModuleLedsTest, TopBitsOfEveryLaneAndTheLastLed) {
    TModul module;
    module.LedWeight[1] = 0x8000;
    module.LedWeight[4] = 0x8000;
    module.LedWeight[32] = 0x0001;
    EXPECT_EQ(module.LitLeds(0x8000), 0x9u);
    EXPECT_EQ(module.LitLeds(0x0001), 0x80000000u);
    EXPECT_EQ(module.LitLeds(0x10000), 0u);
}

}  // namespace
}  // namespace korvo
