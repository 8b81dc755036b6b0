// Tag names, connector numbers and the connection plan built from description files.

#include "fifo_watchdog.h"
#include "temp_folder.h"

#include "docs/connection_description.h"
#include "docs/connection_plan.h"
#include "docs/tag_names.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"
#include "station/text_encoding.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace korvo {
namespace {

using testing::TempFolder;

// The shipped catalogue with a program folder of the test's own, whose documents the
// tests write.
class PlanTest : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        std::filesystem::create_directories(dir_ / "documents");
        catalogue_ = ProfileFile::Load(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini");
        model_ = std::make_unique<StationModel>(&catalogue_, dir_.string() + "/");
    }
    void Describe(const std::string& typeKey, const std::string& text) {
        Write(dir_ / "documents" / (typeKey + ".txt"), text);
    }
    // A description with count data lines "1, <prefix> k".
    void DescribeCounted(const std::string& typeKey, int count, const std::string& prefix = "point") {
        std::string text = "title\nconnection point\n";
        for (int k = 1; k <= count; ++k) text += "1, " + prefix + " " + std::to_string(k) + "\n";
        Describe(typeKey, text);
    }
    void Append(const std::vector<std::string>& types) {
        for (const std::string& type : types) ASSERT_TRUE(model_->AppendModule(type)) << type;
    }
    std::vector<std::string> Plan() {
        std::vector<std::string> lines;
        BuildConnectionPlan(*model_, lines);
        return lines;
    }
    std::string PlanError() {
        std::vector<std::string> lines{"kept"};
        try {
            BuildConnectionPlan(*model_, lines);
        } catch (const korvo::PlanError& e) {
            EXPECT_EQ(lines, std::vector<std::string>{"kept"}) << "a failed plan appends nothing";
            return e.what();
        }
        ADD_FAILURE() << "the plan was built";
        return {};
    }

    ProfileFile catalogue_;
    std::unique_ptr<StationModel> model_;
};

TEST_F(PlanTest, DigitalInputModuleGetsItsEightTagsFromTheFirstEightDataLines) {
    Append({"KORVO NC ETH", "KORVO DI 8"});
    model_->Module(1)->StationName = "Station1";
    Describe("KORVO_NC_ETH", "connection point\n");
    Describe("KORVO_DI_8",
             "KORVO DI 8\nconnection point\n1, DI 1\n1, DI 2\n1, DI 3\n1, DI 4\n1, DI 5\n1, DI 6\n1, DI 7\n1,DI 8\n"
             "x, never read\n");
    PlanRows rows;
    AddModuleRows(*model_, 2, rows);
    ASSERT_EQ(rows.tags.size(), 8u);
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(rows.tags[static_cast<std::size_t>(i - 1)], "Station1_M2_DI_" + std::to_string(i));
        EXPECT_EQ(rows.connectionTexts[static_cast<std::size_t>(i - 1)],
                  " 1" + std::string(13, ' ') + "DI " + std::to_string(i));
        EXPECT_EQ(rows.parameterTexts[static_cast<std::size_t>(i - 1)], "");
    }
}

TEST_F(PlanTest, TagNamesFollowStationSlotGroupAndPoint) {
    EXPECT_EQ(PointTagName("Station1", 3, "DI", 5), "Station1_M3_DI_5");
    EXPECT_EQ(ParameterTagName("Station1", 3, 2), "Station1_M3_P2");
    EXPECT_EQ(PointTagName("Pump House", 12, "TC_8", 16), "Pump House_M12_TC_8_16");
}

TEST_F(PlanTest, TagNamesOfAModuleNeedNoDescriptionFile) {
    Append({"KORVO NC ETH", "KORVO DI 2", "KORVO CT 1"});
    model_->Module(1)->StationName = "Line 4";
    const ModuleTags tags = TagNamesOf(*model_, 3);
    EXPECT_EQ(tags.points, (std::vector<std::string>{"Line 4_M3_CT_1", "Line 4_M3_CT_2", "Line 4_M3_CT_3"}));
    EXPECT_EQ(tags.parameters, std::vector<std::string>{"Line 4_M3_P1"});
    EXPECT_TRUE(TagNamesOf(*model_, 1).points.empty()) << "the coupler has no points";
    EXPECT_TRUE(TagNamesOf(*model_, 9).points.empty()) << "an empty slot has no tags";
}

TEST_F(PlanTest, ParameterRowsCarryTagAndCommentBehindTheirBlanks) {
    Append({"KORVO NC ETH", "KORVO AI 2"});
    model_->Module(1)->StationName = "S";
    model_->Module(2)->ParameterComment[1] = "16 average/  0..10";
    model_->Module(2)->ParameterComment[2] = "";
    DescribeCounted("KORVO_AI_2", 2);
    PlanRows rows;
    AddModuleRows(*model_, 2, rows);
    ASSERT_EQ(rows.tags.size(), 4u);
    EXPECT_EQ(rows.tags[2], "S_M2_P1");
    EXPECT_EQ(rows.connectionTexts[2], std::string(18, ' '));
    EXPECT_EQ(rows.parameterTexts[2], "  16 average/  0..10");
    EXPECT_EQ(rows.parameterTexts[3], "  ");
}

TEST_F(PlanTest, CouplerAddsNothingAndOtherModulesAddTheirSlotsToConnectorNumbers) {
    // Slots: coupler 3 (not counted), DI 16 2, DI 8 1, PS 1, DO 2 1.
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO DI 8", "KORVO PS", "KORVO DO 2", "KORVO NC ETH", "KORVO DO 2"});
    EXPECT_EQ(SlotOffsetOf(*model_, 2), 0);
    EXPECT_EQ(SlotOffsetOf(*model_, 3), 2);
    EXPECT_EQ(SlotOffsetOf(*model_, 4), 3);
    EXPECT_EQ(SlotOffsetOf(*model_, 5), 4) << "a power feed adds its slots like any module";
    EXPECT_EQ(SlotOffsetOf(*model_, 7), 0) << "a new coupler starts the count again";

    DescribeCounted("KORVO_DO_2", 2);
    PlanRows rows;
    AddModuleRows(*model_, 5, rows);
    EXPECT_EQ(rows.connectionTexts[0], " 5" + std::string(13, ' ') + "point 1");
}

TEST_F(PlanTest, ThirdModuleBehindModulesOfOneAndTwoSlotsStartsAtConnectorFour) {
    // A coupler's own station link is 0: plain modules in front of the first coupler
    // carry link 0 as well and add nothing, so build the row behind a coupler.
    Append({"KORVO NC ETH", "KORVO DI 8", "KORVO DI 16", "KORVO DI 2"});
    DescribeCounted("KORVO_DI_2", 2);
    PlanRows rows;
    AddModuleRows(*model_, 4, rows);
    EXPECT_EQ(rows.connectionTexts[0].substr(0, 3), " 4 ");
}

TEST_F(PlanTest, MarkerIsFoundInAnyCaseButNotWithATrailingBlank) {
    Append({"KORVO NC ETH", "KORVO DI 2"});
    for (const std::string marker : {"Connection Point", "CONNECTION POINT", "cOnNeCtIoN pOiNt"}) {
        Describe("KORVO_DI_2", "title\n" + marker + "\r\n7, first\n8, second\n");
        PlanRows rows;
        AddModuleRows(*model_, 2, rows);
        ASSERT_EQ(rows.connectionTexts.size(), 2u) << marker;
        EXPECT_EQ(rows.connectionTexts[1], " 8" + std::string(13, ' ') + "second") << marker;
    }
    Describe("KORVO_DI_2", "title\nconnection point \n7, first\n8, second\n");
    PlanRows rows;
    try {
        AddModuleRows(*model_, 2, rows);
        FAIL() << "a marker with a trailing blank was taken";
    } catch (const korvo::PlanError& e) {
        EXPECT_NE(std::string(e.what()).find("KORVO_DI_2.txt"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("connection point"), std::string::npos) << e.what();
    }
}

TEST_F(PlanTest, FailuresNameTheFileAndLineAndLeaveThePlanEmpty) {
    Append({"KORVO NC ETH", "KORVO DI 4"});
    Describe("KORVO_NC_ETH", "connection point\n");

    std::string message = PlanError();
    EXPECT_NE(message.find("KORVO_DI_4.txt"), std::string::npos) << "missing file: " << message;

    Describe("KORVO_DI_4", "title\nnotes\nconnection point\n1, a\n1, b\n");
    message = PlanError();
    EXPECT_NE(message.find("KORVO_DI_4.txt, line 6"), std::string::npos) << "short file: " << message;
    EXPECT_NE(message.find("has 2"), std::string::npos) << message;

    Describe("KORVO_DI_4", "connection point\n1, a\n1, b\nthree, c\n1, d\n");
    message = PlanError();
    EXPECT_NE(message.find("KORVO_DI_4.txt, line 4"), std::string::npos) << message;
    EXPECT_NE(message.find("\"three\""), std::string::npos) << message;

    // An empty data line would repeat the number above it; it is refused instead.
    Describe("KORVO_DI_4", "connection point\n1, a\n\n1, c\n1, d\n");
    message = PlanError();
    EXPECT_NE(message.find("line 3"), std::string::npos) << message;
}

TEST_F(PlanTest, ConnectorNumbersOutside1To999AreErrorsNamingFileAndLine) {
    Append({"KORVO NC ETH", "KORVO DI 2", "KORVO DI 2"});
    Describe("KORVO_NC_ETH", "connection point\n");
    // "-1" plus the slot offset of the second module would name its neighbour's first
    // connector; the largest int would overflow.
    for (const std::string number : {"-1", "0", "1000", "2147483647", "99999999999"}) {
        Describe("KORVO_DI_2", "title\nconnection point\n1, first\n" + number + ", second\n");
        const std::string message = PlanError();
        EXPECT_NE(message.find("KORVO_DI_2.txt, line 4: \"" + number + "\" is not a connector number"),
                  std::string::npos)
            << message;
    }
    Describe("KORVO_DI_2", "connection point\n1, first\n999, second\n");
    PlanRows rows;
    AddModuleRows(*model_, 3, rows);
    ASSERT_EQ(rows.connectionTexts.size(), 2u);
    // The description keeps its column however many digits the number has.
    EXPECT_EQ(rows.connectionTexts[1], " 1000" + std::string(10, ' ') + "second") << "999 plus the offset 1";
    // A line without a comma is quoted in the message only by its start.
    Describe("KORVO_DI_2", "connection point\n1, first\n" + std::string(100000, '7') + "\n");
    EXPECT_LT(PlanError().size(), 200u);
}

TEST_F(PlanTest, DescriptionThatIsAFolderFifoOrDeviceStopsThePlanWithItsName) {
    Append({"KORVO NC ETH", "KORVO DI 2"});
    Describe("KORVO_NC_ETH", "connection point\n");
    const std::filesystem::path file = dir_ / "documents" / "KORVO_DI_2.txt";
    std::filesystem::create_directory(file);
    EXPECT_EQ(PlanError(), file.string() + ": cannot read the connection description: it is a folder");
    std::filesystem::remove(file);
    std::filesystem::create_symlink("/dev/zero", file);
    EXPECT_EQ(PlanError(), file.string() + ": cannot read the connection description: it is not a regular file");
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    testing::FifoWatchdog watchdog({file});
    EXPECT_EQ(PlanError(), file.string() + ": cannot read the connection description: it is not a regular file");
    EXPECT_FALSE(watchdog.HadToRelease()) << "the plan waited for a writer";
}

TEST_F(PlanTest, ModuleWithoutPointsStillNeedsItsDescriptionFile) {
    Append({"KORVO NC ETH"});
    EXPECT_NE(PlanError().find("KORVO_NC_ETH.txt"), std::string::npos);
    Describe("KORVO_NC_ETH", "only a title, no marker\n");
    EXPECT_NE(PlanError().find("no line \"connection point\""), std::string::npos);
    Describe("KORVO_NC_ETH", "connection point\n");
    EXPECT_EQ(Plan().size(), 3u);
}

TEST_F(PlanTest, DescriptionIsTrimmedAndCutAt255Characters) {
    Append({"KORVO NC ETH", "KORVO DO 1R"});
    Describe("KORVO_DO_1R", "connection point\n  +3 ,   " + std::string(300, 'x') + "   \n");
    PlanRows rows;
    AddModuleRows(*model_, 2, rows);
    EXPECT_EQ(rows.connectionTexts[0], " 3" + std::string(13, ' ') + std::string(255, 'x'));
}

TEST_F(PlanTest, PowerFeedAndModulesInFrontOfTheFirstCouplerHaveNoStationName) {
    Append({"KORVO DI 2", "KORVO NC ETH", "KORVO DI 2", "KORVO PS"});
    model_->Module(2)->StationName = "Hall";
    DescribeCounted("KORVO_DI_2", 2);
    EXPECT_EQ(StationNameOf(*model_, 1), "");
    EXPECT_EQ(StationNameOf(*model_, 2), "Hall");
    EXPECT_EQ(StationNameOf(*model_, 3), "Hall");
    EXPECT_EQ(StationNameOf(*model_, 4), "") << "the power feed's link 999 names no coupler";
    PlanRows rows;
    AddModuleRows(*model_, 1, rows);
    EXPECT_EQ(rows.tags[0], "_M1_DI_1");
}

TEST_F(PlanTest, PlanLinesHaveTheirHeadersColumnsAndWidths) {
    Append({"KORVO NC ETH", "KORVO DI 2", "KORVO AI 2"});
    model_->Module(1)->StationName = "Station1";
    model_->Module(1)->IPAddress = "192.168.1.20";
    model_->Module(3)->ParameterComment[1] = "c1";
    model_->Module(3)->ParameterComment[2] = "c2";
    Describe("KORVO_NC_ETH", "connection point\n");
    DescribeCounted("KORVO_DI_2", 2, "DI");
    DescribeCounted("KORVO_AI_2", 2, "AI");
    const std::vector<std::string> expected = {
        "",
        "  Stationname   : Station1    IP Address  : 192.168.1.20",
        "",
        "",
        "    Modul Type  : KORVO DI 2             number : 2",
        "",
        // Short texts: the columns have their narrowest widths, under the header of old.
        kPlanColumnHeader,
        "         1     1             DI 1                Station1_M2_DI_1",
        "         2     1             DI 2                Station1_M2_DI_2",
        "",
        "    Modul Type  : KORVO AI 2             number : 3",
        "",
        kPlanColumnHeader,
        "         1     2             AI 1                Station1_M3_AI_1",
        "         2     2             AI 2                Station1_M3_AI_2",
        // Row number, 4 blanks, the connection column of 25, 10 blanks, the tag in 16, comment.
        "         3" + std::string(39, ' ') + "Station1_M3_P1    c1",
        "         4" + std::string(39, ' ') + "Station1_M3_P2    c2",
    };
    EXPECT_EQ(Plan(), expected);
}

TEST_F(PlanTest, StationNameWithHeaderWordsKeepsTheRowsOfItsStation) {
    Append({"KORVO NC ETH", "KORVO DI 2"});
    model_->Module(1)->StationName = "Modul Type Stationname";
    Describe("KORVO_NC_ETH", "connection point\n");
    DescribeCounted("KORVO_DI_2", 2);
    const std::vector<std::string> plan = Plan();
    ASSERT_EQ(plan.size(), 9u);
    // The long tags widen their column; "TagName" stays over them.
    EXPECT_EQ(plan[6], std::string(kPlanColumnHeader).substr(0, 49) + "TagName" + std::string(25, ' ') + "Parameter");
    EXPECT_EQ(plan[7], "         1     1             point 1             Modul Type Stationname_M2_DI_1");
    EXPECT_EQ(plan[8].substr(0, 10), "         2");
}

TEST_F(PlanTest, OneStationOfTheListIsPlannedWithItsOwnSlots) {
    Append({"KORVO NC ETH", "KORVO DI 2", "KORVO NC ETH", "KORVO DI 2", "KORVO PS"});
    Describe("KORVO_NC_ETH", "connection point\n");
    Describe("KORVO_PS", "connection point\n");
    DescribeCounted("KORVO_DI_2", 2);
    int first = 0;
    int last = 0;
    ASSERT_TRUE(StationSlots(*model_, 2, first, last));
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 5);
    ASSERT_TRUE(StationSlots(*model_, 1, first, last));
    EXPECT_EQ(last, 2);
    EXPECT_FALSE(StationSlots(*model_, 3, first, last));
    std::vector<std::string> lines;
    BuildConnectionPlan(*model_, lines, 3, 5);
    EXPECT_NE(lines[1].find("Station2"), std::string::npos);
    EXPECT_EQ(lines.back(), "");
    EXPECT_NE(lines[lines.size() - 2].find("KORVO PS"), std::string::npos);
}

// The shipped demo project with the shipped description files, line by line.
TEST(DemoPlanTest, DemoProjectGivesTheExpectedPlan) {
    const ProfileFile catalogue = ProfileFile::Load(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini");
    StationModel model(&catalogue, std::string(KORVO_TEST_DATA_DIR) + "/");
    LoadProject(model, std::filesystem::path(KORVO_TEST_DATA_DIR) / "demo" / "demo.prj");
    std::vector<std::string> plan;
    BuildConnectionPlan(model, plan);

    std::ifstream expectedFile(KORVO_EXPECTED_PLAN);
    ASSERT_TRUE(expectedFile) << KORVO_EXPECTED_PLAN;
    std::vector<std::string> expected;
    for (std::string line; std::getline(expectedFile, line);) expected.push_back(line);
    ASSERT_EQ(plan.size(), expected.size());
    // The expected file is the text export, in UTF-8.
    for (std::size_t i = 0; i < plan.size(); ++i) EXPECT_EQ(Cp1252ToUtf8(plan[i]), expected[i]) << "line " << i + 1;
}

// Every shipped description fits the catalogue: a data line per tag, numbers valid.
TEST(ShippedDescriptionsTest, EveryTypeHasAsManyDataLinesAsTags) {
    const ProfileFile catalogue = ProfileFile::Load(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini");
    StationModel model(&catalogue, std::string(KORVO_TEST_DATA_DIR) + "/");
    for (const std::string& type : catalogue.SectionNames()) {
        if (type == ".") continue;
        model.ClearStation();
        ASSERT_TRUE(model.AppendModule("KORVO NC ETH"));
        ASSERT_TRUE(model.AppendModule(type));
        PlanRows rows;
        EXPECT_NO_THROW(AddModuleRows(model, 2, rows)) << type;
        const TModul& module = *model.Module(2);
        EXPECT_EQ(static_cast<int>(rows.tags.size()),
                  module.tag_anzahl_input + module.tag_anzahl_output + module.Parameter_input + module.Parameter_output)
            << type;
    }
}

}  // namespace
}  // namespace korvo
