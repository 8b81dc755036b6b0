#include "station/catalogue.h"
#include "station/station_model.h"
#include "station_fixture.h"

#include <gtest/gtest.h>

#include <set>

namespace korvo {
namespace {

TEST(CatalogueList, SeparatorsAreLinesButNotTypes) {
    const ProfileFile ini = ProfileFile::FromText(
        "[KORVO NC ETH]\nid_code=$F0\nfontcolor=$0000FF\n[.]\n[.]\nfontcolor=255\n[KORVO DI "
        "16]\nid_code=16\nlenght_code=0x10\n");
    const CatalogueList list = ReadCatalogueList(ini);
    EXPECT_EQ(list.lines, (std::vector<std::string>{"KORVO NC ETH", ".", ".", "KORVO DI 16"}));
    ASSERT_EQ(list.FontColors.size(), 4u);
    EXPECT_EQ(list.FontColors[0], 0x0000FFu);  // red
    EXPECT_EQ(list.FontColors[1], 0u);         // the first "." section decides both lines
    EXPECT_EQ(list.CatalogueTypeCount, 3);
    EXPECT_EQ(list.CatalogueTypes[2].name, "KORVO DI 16");
    EXPECT_EQ(list.CatalogueTypes[2].idCode, 16);
    EXPECT_EQ(list.CatalogueTypes[2].lengthCode, 0x10);
    EXPECT_EQ(list.FindByCodes(16, 0x10), 2);
    EXPECT_EQ(list.FindByCodes(99, 0), 0);
}

TEST(CatalogueList, MoreThan100TypesAreCutAndReported) {
    std::string text;
    for (int i = 1; i <= 120; ++i)
        text += "[T" + std::to_string(i) + "]\nid_code=" + std::to_string(i) + "\n";
    const CatalogueList list = ReadCatalogueList(ProfileFile::FromText(text));
    EXPECT_EQ(list.TypeEntryCount(), 100);
    EXPECT_EQ(list.lines.size(), 100u);
    ASSERT_EQ(list.droppedSections.size(), 20u);
    EXPECT_EQ(list.droppedSections.front(), "T101");
    EXPECT_NE(DroppedSectionsMessage(list).find("T120"), std::string::npos);
}

TEST(CatalogueList, MoreThan101LinesAreCutWithSeparatorsCounted) {
    std::string text;
    for (int i = 1; i <= 60; ++i) text += "[T" + std::to_string(i) + "]\n[.]\n";
    const CatalogueList list = ReadCatalogueList(ProfileFile::FromText(text));
    EXPECT_EQ(list.lines.size(), 101u);
    EXPECT_EQ(list.FontColors.size(), 101u);
    EXPECT_EQ(list.droppedSections.size(), 19u);
    EXPECT_TRUE(DroppedSectionsMessage(ReadCatalogueList(ProfileFile::FromText("[A]\n"))).empty());
}

TEST(CatalogueData, LedPatternRepeatsItsLastItem) {
    const ProfileFile ini = ProfileFile::FromText("[M]\nLedMuster=1,2,4,8\nslots=2\n");
    StationModel model(&ini, "/p/");
    model.AppendModule("M");
    const TModul& m = *model.Module(1);
    EXPECT_EQ(m.LedWeight[1], 1);
    EXPECT_EQ(m.LedWeight[4], 8);
    for (int led = 5; led <= 32; ++led) EXPECT_EQ(m.LedWeight[static_cast<std::size_t>(led)], 8) << led;
    EXPECT_EQ(m.breite, 60);
}

TEST(CatalogueData, DefaultsForUnknownTypeAndMissingCatalogue) {
    StationModel noCatalogue(nullptr, "/p/");
    noCatalogue.AppendModule("KORVO NOTHING");
    const TModul& m = *noCatalogue.Module(1);
    EXPECT_EQ(m.ModulType, "KORVO NOTHING");
    EXPECT_EQ(m.Input, 0);
    EXPECT_EQ(m.breite, 0);
    EXPECT_EQ(m.imageFile, "/p/.bmp");
    for (int led = 1; led <= 32; ++led) EXPECT_EQ(m.LedWeight[static_cast<std::size_t>(led)], 0);
}

TEST(CatalogueData, ReadsEveryKeyIntoTheModule) {
    testing::StationTest t;
    t.model->AppendModule("KORVO AI 2");
    const TModul& m = *t.model->Module(1);
    EXPECT_EQ(m.id_code, 0x42);
    EXPECT_EQ(m.lenght_code, 0x22);
    EXPECT_EQ(m.Input, 4);
    EXPECT_EQ(m.output, 4);
    EXPECT_EQ(m.Parameter_input, 2);
    EXPECT_EQ(m.WriteMethode, 2);
    EXPECT_EQ(m.WriteProc, WriteProcKind::Method2);
    EXPECT_EQ(m.ReadProc, ReadProcKind::None);
    EXPECT_EQ(m.breite, 30);
}

TEST(CatalogueData, BrokenLedPatternIsReportedAndModuleKeepsEarlierFields) {
    testing::StationTest t;
    EXPECT_TRUE(t.model->PlaceModule("KORVO BROKEN"));
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_NE(t.ui.messages[0].find("'x' is not a valid integer value"), std::string::npos);
    const TModul& m = *t.model->Module(1);
    EXPECT_EQ(m.Input, 2);
    EXPECT_EQ(m.LedWeight[1], 1);
    EXPECT_EQ(m.LedWeight[2], 0);
    EXPECT_EQ(m.breite, 0);  // set after the LED pattern, so never reached
}

// The shipped catalogue has to fit what the I/O test and the dialogs expect of each type.
class ShippedCatalogue : public ::testing::Test {
protected:
    ShippedCatalogue() : ini(ProfileFile::Load(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini")) {}
    ProfileFile ini;
    int Int(const std::string& type, const char* key) const { return ini.ReadInteger(type, key, -1); }
};

TEST_F(ShippedCatalogue, ListsAllConnectionTypesWithDistinctCodes) {
    const std::vector<std::string> types = {
        "KORVO NC ETH", "KORVO PS",   "KORVO DI 2", "KORVO DI 4",  "KORVO DI 8",  "KORVO DI 16",
        "KORVO DO 2",   "KORVO DO 4", "KORVO DO 8", "KORVO DO 16", "KORVO DO 1R", "KORVO DO 4R",
        "KORVO AI 2",   "KORVO AI 8", "KORVO AO 1", "KORVO AO 2V", "KORVO RT 2",  "KORVO RT 6",
        "KORVO TC 2",   "KORVO TC 4", "KORVO TC 8", "KORVO CT 1",  "KORVO PB",    "KORVO PA"};
    const CatalogueList list = ReadCatalogueList(ini);
    EXPECT_TRUE(list.droppedSections.empty());
    std::set<std::pair<int, int>> codes;
    for (const auto& type : types) {
        ASSERT_TRUE(ini.SectionExists(type)) << type;
        EXPECT_TRUE(codes.insert({Int(type, "id_code"), Int(type, "lenght_code")}).second) << type;
        EXPECT_LE(Int(type, "Parameter Input") + Int(type, "Parameter Output"), 32) << type;
        EXPECT_LE(Int(type, "slots"), 4) << type;
    }
    EXPECT_EQ(list.TypeEntryCount(), static_cast<int>(types.size()));
}

TEST_F(ShippedCatalogue, MethodsAndByteCountsFitTheIoTest) {
    for (const char* di : {"KORVO DI 2", "KORVO DI 4", "KORVO DI 8", "KORVO DI 16"}) {
        EXPECT_EQ(Int(di, "in"), 2) << di;
        EXPECT_EQ(Int(di, "ReadMethode"), 1) << di;
    }
    for (const char* dout :
         {"KORVO DO 2", "KORVO DO 4", "KORVO DO 8", "KORVO DO 16", "KORVO DO 1R", "KORVO DO 4R"}) {
        EXPECT_EQ(Int(dout, "out"), 2) << dout;
        EXPECT_EQ(Int(dout, "WriteMethode"), 1) << dout;
    }
    for (const char* two : {"KORVO AI 2", "KORVO RT 2", "KORVO TC 2"})
        EXPECT_EQ(Int(two, "WriteMethode"), 2) << two;
    EXPECT_EQ(Int("KORVO AI 8", "ReadMethode"), 3);
    EXPECT_EQ(Int("KORVO AI 8", "WriteMethode"), 4);
    EXPECT_EQ(Int("KORVO AI 8", "in"), 4);
    EXPECT_EQ(Int("KORVO AI 8", "out"), 4);
    for (const char* multi : {"KORVO TC 4", "KORVO TC 8", "KORVO RT 6"}) {
        EXPECT_EQ(Int(multi, "in"), 12) << multi;
        EXPECT_EQ(Int(multi, "out"), 12) << multi;
    }
    EXPECT_EQ(Int("KORVO AO 1", "out"), 2);
    EXPECT_EQ(Int("KORVO AO 2V", "out"), 4);
    EXPECT_EQ(Int("KORVO CT 1", "in"), 4);
    EXPECT_EQ(Int("KORVO CT 1", "out"), 4);
}

TEST_F(ShippedCatalogue, DigitalLedsFollowBitWeightsAndCouplerShowsLed17) {
    StationModel model(&ini, "/p/");
    model.AppendModule("KORVO NC ETH");
    model.AppendModule("KORVO DI 16");
    EXPECT_NE(model.Module(1)->LedWeight[17], 0);
    EXPECT_GE(model.Module(1)->slots, 3);
    const TModul& di = *model.Module(2);
    for (int led = 1; led <= 16; ++led)
        EXPECT_EQ(di.LedWeight[static_cast<std::size_t>(led)], 1 << (led - 1)) << led;
    EXPECT_EQ(di.LedWeight[17], 0);
}

}  // namespace
}  // namespace korvo
