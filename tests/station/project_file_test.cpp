#include "station/project_file.h"
#include "station/project_commands.h"
#include "station_fixture.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;
using Types = std::vector<std::string>;

class ProjectFileTest : public testing::TempFolder, public testing::StationTest {
protected:
    void SetStation(int slot, const std::string& ip, const std::string& name) {
        TModul& c = *model->Module(slot);
        c.IPAddress = ip;
        c.Subnet_Maske = "255.255.255.0";
        c.MACAddress = "00.11.22.33.44.55";
        c.Gate_way = "192.168.0.1";
        c.StationName = name;
    }
};

TEST_F(ProjectFileTest, SaveWritesTheDocumentedKeys) {
    Append({"KORVO NC ETH", "KORVO AI 2"});
    SetStation(1, "192.168.0.10", "Station1");
    model->Module(2)->Parameter = "3,4,";
    model->Module(2)->ParameterComment[1] = "first";
    model->Module(2)->ParameterComment[2] = "second";
    SaveProject(*model, File("p.prj"));
    const ProfileFile p = ProfileFile::Load(File("p.prj"));
    EXPECT_EQ(p.ReadString("Module", "Anzahl", ""), "2");
    EXPECT_EQ(p.ReadString("Module", "Name1", ""), "KORVO NC ETH");
    EXPECT_EQ(p.ReadString("Parameter", "Name2", ""), "3,4,");
    EXPECT_EQ(p.ReadString("Parameter", "Comment21", ""), "first");
    EXPECT_EQ(p.ReadString("Parameter", "Comment22", ""), "second");
    EXPECT_FALSE(p.KeyExists("Parameter", "Comment11"));  // the coupler has no comments
    EXPECT_EQ(p.ReadString("Station1", "IPAddress", ""), "192.168.0.10");
    EXPECT_EQ(p.ReadString("Station1", "Gateway Address", ""), "192.168.0.1");
    EXPECT_EQ(p.ReadString("Station1", "MAC Address", ""), "00.11.22.33.44.55");
    EXPECT_NE(Read(File("p.prj")).find("[Module]\r\nAnzahl=2\r\nName1=KORVO NC ETH\r\n"), std::string::npos);
}

TEST_F(ProjectFileTest, SaveNewOpenRoundTripRestoresEverything) {
    Append({"KORVO NC ETH", "KORVO AI 2", "KORVO TC 8", "KORVO NC ETH", "KORVO DO 16"});
    SetStation(1, "10.0.0.1", "North");
    SetStation(4, "10.0.0.2", "South \xB0");
    model->Module(2)->Parameter = "1,2,";
    model->Module(2)->ParameterComment[2] =
        "PT DIN/ 15 bit/0.1 \xB0"
        "C/";
    model->Module(3)->ParameterComment[8] = "eighth";
    SaveProject(*model, File("round.prj"));

    ProjectCommands commands(*model);
    ASSERT_TRUE(commands.NewProject());
    EXPECT_EQ(model->ModuleCount, 0);
    commands.PrepareOpen();
    const auto report = commands.OpenProject(File("round.prj"));
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(TypeList(), (Types{"KORVO NC ETH", "KORVO AI 2", "KORVO TC 8", "KORVO NC ETH", "KORVO DO 16"}));
    EXPECT_EQ(model->Module(2)->Parameter, "1,2,");
    EXPECT_EQ(model->Module(2)->ParameterComment[2],
              "PT DIN/ 15 bit/0.1 \xB0"
              "C/");
    EXPECT_EQ(model->Module(3)->ParameterComment[8], "eighth");
    EXPECT_EQ(model->Module(4)->StationName, "South \xB0");
    EXPECT_EQ(model->Module(4)->Gate_way, "192.168.0.1");
    EXPECT_EQ(model->Module(5)->ByteOffsetOutput, 2);
    EXPECT_EQ(model->CurrentIP, "10.0.0.1");
    EXPECT_EQ(model->CurrentStationName, "North");
    EXPECT_EQ(model->CurrentStation, 1);
    EXPECT_EQ(model->CurrentModule, 1);
    EXPECT_EQ(model->CurrentCouplerModule, 1);
    EXPECT_EQ(ui.stationStatus, "North  IP:10.0.0.1");
    EXPECT_EQ(commands.ProjectFileName, File("round.prj").string());
}

TEST_F(ProjectFileTest, MissingStationSectionAndNamesGiveDefaults) {
    Write(File("sparse.prj"),
          "[Module]\nAnzahl=3\nName1=KORVO NC ETH\nName2=KORVO AI 2\n[System]\nDebug=1\n");
    const ProjectLoadReport report = LoadProject(*model, File("sparse.prj"));
    EXPECT_TRUE(report.DebugAllowed);
    ASSERT_EQ(model->ModuleCount, 3);
    EXPECT_EQ(model->Module(1)->IPAddress, "0.0.0.0");
    EXPECT_EQ(model->Module(1)->MACAddress, "0.0.0.0");
    EXPECT_EQ(model->Module(1)->StationName, "ZELK Station");
    EXPECT_EQ(model->Module(3)->ModulType, "");
    EXPECT_EQ(model->Module(3)->Input, 0);
}

TEST_F(ProjectFileTest, MissingFileIsAnEmptyProject) {
    const ProjectLoadReport report = LoadProject(*model, File("none.prj"));
    EXPECT_EQ(model->ModuleCount, 0);
    EXPECT_FALSE(report.DebugAllowed);
}

TEST_F(ProjectFileTest, StaleStationSectionsAboveModuleCountStay) {
    std::string old = "[Custom]\nkeep=yes\n";
    for (int k = 1; k <= 10; ++k)
        old += "[Station" + std::to_string(k) + "]\nIPAddress=1.1.1." + std::to_string(k) + "\n";
    Write(File("old.prj"), old);
    Append({"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16"});
    SetStation(1, "2.2.2.2", "New");
    SaveProject(*model, File("old.prj"));
    const ProfileFile p = ProfileFile::Load(File("old.prj"));
    EXPECT_EQ(p.ReadString("Station1", "IPAddress", ""), "2.2.2.2");
    EXPECT_FALSE(p.SectionExists("Station2"));
    EXPECT_FALSE(p.SectionExists("Station3"));
    EXPECT_EQ(p.ReadString("Station4", "IPAddress", ""), "1.1.1.4");
    EXPECT_EQ(p.ReadString("Custom", "keep", ""), "yes");

    model->ClearStation();
    LoadProject(*model, File("old.prj"));
    EXPECT_EQ(model->ModuleCount, 3);
    EXPECT_EQ(model->Module(1)->IPAddress, "2.2.2.2");
}

TEST_F(ProjectFileTest, AbsurdModuleCountIsCappedAndReported) {
    Write(File("huge.prj"), "[Module]\nAnzahl=99999999\nName1=KORVO NC ETH\nName2=KORVO DI 16\n");
    const ProjectLoadReport report = LoadProject(*model, File("huge.prj"));
    EXPECT_EQ(model->ModuleCount, 161);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("99999999"), std::string::npos);
    Write(File("negative.prj"), "[Module]\nAnzahl=-5\n");
    model->ClearStation();
    LoadProject(*model, File("negative.prj"));
    EXPECT_EQ(model->ModuleCount, 0);
}

TEST_F(ProjectFileTest, TwoCouplersReadTheirStationSectionsInFileOrder) {
    Write(File("two.prj"),
          "[Module]\nAnzahl=3\nName1=KORVO NC ETH\nName2=KORVO NC ETH\nName3=KORVO DI 16\n"
          "[Station2]\nStation Name=B\n[Station1]\nStation Name=A\n");
    LoadProject(*model, File("two.prj"));
    EXPECT_EQ(model->Module(1)->StationName, "A");
    EXPECT_EQ(model->Module(2)->StationName, "B");
    EXPECT_EQ(model->Module(3)->ModulZuStations, 2);
}

TEST_F(ProjectFileTest, SaveIntoUnwritablePlaceReportsPathAndKeepsStation) {
    Append({"KORVO NC ETH"});
    ProjectCommands commands(*model);
    EXPECT_FALSE(commands.SaveProjectAs(File("missing/folder/p.prj")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("missing/folder/p.prj"), std::string::npos);
    EXPECT_FALSE(commands.SaveProjectAs(std::nullopt));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ProjectFileTest, OpenAnsweredNoOrCancelledKeepsTheStation) {
    Append({"KORVO NC ETH", "KORVO DI 16"});
    SaveProject(*model, File("a.prj"));
    model->AppendModule("KORVO DO 16");
    ProjectCommands commands(*model);
    commands.PrepareOpen();
    EXPECT_FALSE(commands.OpenProject(std::nullopt).has_value());
    EXPECT_EQ(model->InputTotal, 0);  // the byte sums restart even when cancelled
    ui.answer = false;
    EXPECT_FALSE(commands.OpenProject(File("a.prj")).has_value());
    EXPECT_EQ(model->ModuleCount, 3);
    EXPECT_FALSE(commands.NewProject());
    EXPECT_EQ(model->ModuleCount, 3);
}

TEST_F(ProjectFileTest, OpenUnreadableFileReportsAndKeepsTheStation) {
    Append({"KORVO NC ETH"});
    fs::create_directory(File("folder.prj"));
    ProjectCommands commands(*model);
    EXPECT_FALSE(commands.OpenProject(File("folder.prj")).has_value());
    EXPECT_EQ(model->ModuleCount, 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("folder.prj"), std::string::npos);
}

TEST_F(ProjectFileTest, NewProjectClearsSelectionButKeepsConnectionState) {
    Append({"KORVO NC ETH"});
    model->CurrentModule = 1;
    model->SelectedCoupler = 1;
    model->CurrentIP = "10.1.1.1";
    ProjectCommands commands(*model);
    ASSERT_TRUE(commands.NewProject());
    EXPECT_EQ(ui.questions.back(), " new project|delete actual project ? ");
    EXPECT_EQ(model->CurrentModule, 0);
    EXPECT_EQ(model->SelectedCoupler, 0);
    EXPECT_EQ(model->CurrentIP, "10.1.1.1");
    EXPECT_EQ(ui.placementMode, "");
}

TEST_F(ProjectFileTest, OverlongTextsAreCutAtTheirLimitsNamingTheKey) {
    std::string list;
    while (list.size() < 3000) list += "12,";
    Write(File("long.prj"), "[Module]\r\nAnzahl=2\r\nName1=KORVO NC ETH\r\nName2=KORVO AI 2\r\n"
                            "[Parameter]\r\nName2=" + list + "\r\nComment21=" + std::string(5000, 'c') +
                            "\r\n[Station1]\r\nStation Name=" + std::string(2 << 20, 'S') +
                            "\r\nIPAddress=" + std::string(100, '1') + "\r\n");
    const ProjectLoadReport report = LoadProject(*model, File("long.prj"));
    ASSERT_EQ(model->ModuleCount, 2);
    EXPECT_EQ(model->Module(1)->StationName, std::string(kMaxStationNameLength, 'S'));
    EXPECT_EQ(model->Module(1)->IPAddress.size(), kMaxStationNameLength);
    // The list ends at its last whole item within the limit: no half number.
    const std::string& parameter = model->Module(2)->Parameter;
    EXPECT_LE(parameter.size(), kMaxModuleTextLength);
    EXPECT_GT(parameter.size(), kMaxModuleTextLength - 3);
    EXPECT_EQ(parameter.back(), ',');
    EXPECT_EQ(model->Module(2)->ParameterComment[1].size(), kMaxModuleTextLength);
    std::string all;
    for (const std::string& w : report.warnings) all += w + "\n";
    for (const char* key : {"[Station1] Station Name: the text of 2097152 characters", "[Station1] IPAddress",
                            "[Parameter] Name2", "[Parameter] Comment21: the text of 5000 characters"}) {
        EXPECT_NE(all.find(key), std::string::npos) << key << " in\n" << all;
    }
    EXPECT_LT(all.size(), 2000u) << "the warnings quote no overlong text";
}

TEST_F(ProjectFileTest, ShortParameterListIsReportedBeforeAnyDialogRepeatsItsLastItem) {
    Write(File("short.prj"), "[Module]\r\nAnzahl=4\r\nName1=KORVO NC ETH\r\nName2=KORVO TC 8\r\n"
                             "Name3=KORVO AI 2\r\nName4=KORVO AI 2\r\n"
                             "[Parameter]\r\nName2=1,2\r\nName3=5\r\nName4=5,6,\r\n");
    const ProjectLoadReport report = LoadProject(*model, File("short.prj"));
    ASSERT_EQ(report.warnings.size(), 2u);
    EXPECT_NE(report.warnings[0].find("Module 2 (KORVO TC 8): the stored parameter \"1,2\" has 2 of 8 words"),
              std::string::npos)
        << report.warnings[0];
    EXPECT_NE(report.warnings[1].find("Module 3 (KORVO AI 2): the stored parameter \"5\" has 1 of 2 words"),
              std::string::npos)
        << report.warnings[1];
    // The stored text is kept as it was; nothing is filled in behind the user's back.
    EXPECT_EQ(model->Module(2)->Parameter, "1,2");
    EXPECT_FALSE(ShortParameterList(*model->Module(4), 4));
}

TEST_F(ProjectFileTest, UnknownTypesAreReportedWithTheirSlotAndEscapedName) {
    Write(File("typo.prj"), "[Module]\r\nAnzahl=3\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 61\r\nName3=KORVO DI" +
                                std::string(1, '\0') + " 16\r\n");
    const ProjectLoadReport report = LoadProject(*model, File("typo.prj"));
    EXPECT_EQ(report.unknownTypes, (std::vector<int>{2, 3}));
    ASSERT_EQ(report.warnings.size(), 2u);
    EXPECT_NE(report.warnings[0].find("module 2 has the type \"KORVO DI 61\", which the catalogue does not know"),
              std::string::npos)
        << report.warnings[0];
    EXPECT_NE(report.warnings[1].find("\"KORVO DI\\x00 16\""), std::string::npos) << report.warnings[1];
}

TEST_F(ProjectFileTest, ProjectWithCrOnlyLineEndsLoadsItsModules) {
    Write(File("mac.prj"), "[Module]\rAnzahl=2\rName1=KORVO NC ETH\rName2=KORVO DI 16\r[Station1]\r"
                           "IPAddress=10.0.0.5\r");
    const ProjectLoadReport report = LoadProject(*model, File("mac.prj"));
    EXPECT_TRUE(report.warnings.empty());
    ASSERT_EQ(model->ModuleCount, 2);
    EXPECT_EQ(model->Module(2)->ModulType, "KORVO DI 16");
    EXPECT_EQ(model->Module(1)->IPAddress, "10.0.0.5");
}

TEST_F(ProjectFileTest, ShippedDemoProjectLoadsWithTwoStations) {
    const ProfileFile shipped = ProfileFile::Load(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini");
    StationModel demo(&shipped, "/");
    const ProjectLoadReport report = LoadProject(demo, fs::path(KORVO_TEST_DATA_DIR) / "demo" / "demo.prj");
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(demo.StationCount, 2);
    EXPECT_GE(demo.ModuleCount, 12);
    for (int i = 1; i <= demo.ModuleCount; ++i) {
        EXPECT_TRUE(shipped.SectionExists(demo.Module(i)->ModulType)) << demo.Module(i)->ModulType;
    }
}

}  // namespace
}  // namespace korvo
