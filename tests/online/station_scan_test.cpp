// A station read from its coupler: naming the reported codes, turning them into a
// station of a project that then passes the configuration check.

#include "plant_fixture.h"

#include "access/coupler_diagnosis.h"
#include "access/ddi_funktionen.h"
#include "online/station_scan.h"
#include "online_fixture.h"
#include "online/online_operation.h"

#include <filesystem>
#include <unistd.h>

namespace korvo::testing {
namespace {

class StationScanTest : public PlantTest {};

const std::vector<std::string> kTypes = {"KORVO DI 16", "KORVO DO 16", "KORVO PB", "KORVO AI 2", "KORVO TC 8"};

TEST_F(StationScanTest, NamesEveryReportedModuleInBusOrderAndReadsTheState) {
    Serve(1, kTypes);
    const StationScan scan = ScanStation(Host(1), catalogue_, nullptr);
    ASSERT_TRUE(scan.listRead && scan.failure.empty()) << scan.failure;
    // The passive module is not on the bus.
    ASSERT_EQ(scan.modules.size(), 4u);
    EXPECT_EQ(scan.modules[0].types, std::vector<std::string>{"KORVO DI 16"});
    EXPECT_EQ(scan.modules[2].Text(), "KORVO AI 2");
    EXPECT_EQ(scan.modules[3].slot, 4);
    EXPECT_TRUE(scan.AllNamed());
    EXPECT_TRUE(scan.stateRead);
    EXPECT_TRUE(scan.state.Running());
}

TEST_F(StationScanTest, SharedCodesListEveryTypeAndUnknownCodesSayWhich) {
    UseCatalogue(catalogueText_ + "[KORVO DI 16 S]\nid_code=$10\nlenght_code=$10\nin=2\n");
    sim::StationOptions options;
    options.swappedModule = 2;
    Serve(1, {"KORVO DI 16", "KORVO DO 16"}, options);
    const StationScan scan = ScanStation(Host(1), catalogue_, nullptr);
    ASSERT_TRUE(scan.listRead && scan.failure.empty()) << scan.failure;
    ASSERT_EQ(scan.modules.size(), 2u);
    EXPECT_TRUE(scan.modules[0].Ambiguous());
    EXPECT_EQ(scan.modules[0].Text(), "KORVO DI 16 or KORVO DI 16 S");
    EXPECT_TRUE(scan.modules[1].types.empty());
    EXPECT_EQ(scan.modules[1].Text(), "unknown module, ID 2Fh length F1h");
    EXPECT_FALSE(scan.AllNamed());
    // The check's read-back names: each followed by two blanks.
    EXPECT_EQ(scan.BusList()[0].name, "KORVO DI 16  KORVO DI 16 S  ");
}

TEST_F(StationScanTest, AmbiguousSlotsNeedAChoiceAmongTheirCandidates) {
    StationScan scan;
    scan.listRead = true;
    scan.modules = {{1, 0x10, 0x10, {"KORVO DI 16", "KORVO DI 16 S"}}, {2, 0x20, 0x01, {"KORVO DO 16"}}};
    const ScannedTypes none = TypesOfScan(scan, {});
    ASSERT_EQ(none.problems.size(), 1u);
    EXPECT_NE(none.problems[0].find("slot 1: KORVO DI 16 or KORVO DI 16 S share the codes"), std::string::npos);
    EXPECT_NE(TypesOfScan(scan, {{1, "KORVO DO 16"}}).problems.at(0).find("is not one of"), std::string::npos);
    EXPECT_NE(TypesOfScan(scan, {{1, "KORVO DI 16"}, {7, "KORVO DI 16"}}).problems.at(0).find("reports 2 module"),
              std::string::npos);
    const ScannedTypes chosen = TypesOfScan(scan, {{1, "KORVO DI 16 S"}});
    EXPECT_TRUE(chosen.problems.empty());
    EXPECT_EQ(chosen.types, (std::vector<std::string>{"KORVO DI 16 S", "KORVO DO 16"}));

    scan.modules.push_back({3, 0x99, 0x01, {}});
    EXPECT_NE(TypesOfScan(scan, {{1, "KORVO DI 16"}}).problems.at(0).find("slot 3: unknown module, ID 99h"),
              std::string::npos);
}

TEST_F(StationScanTest, AScannedStationPassesTheConfigurationCheckAtOnceAndSurvivesSaving) {
    Serve(1, kTypes);
    const StationScan scan = ScanStation(Host(1), catalogue_, nullptr);
    ASSERT_TRUE(scan.listRead && scan.failure.empty()) << scan.failure;
    auto model = LoadModel(Project({{"127.0.0.200", {"KORVO DO 4"}}}));
    const ScannedTypes types = TypesOfScan(scan, {});
    ASSERT_TRUE(types.problems.empty());
    ASSERT_EQ(AppendScannedStation(*model, Host(1), "", types.types), 2);

    const auto file = std::filesystem::temp_directory_path() / ("scan-" + std::to_string(::getpid()) + ".prj");
    SaveProject(*model, file);
    StationModel loaded(&catalogueIni_, "/");
    LoadProject(loaded, file);
    std::filesystem::remove(file);
    ASSERT_EQ(loaded.ModuleCount, 7);
    const TModul& coupler = *loaded.Module(3);
    EXPECT_EQ(coupler.StationsNummmer, 2);
    EXPECT_EQ(coupler.IPAddress, Host(1));
    EXPECT_EQ(coupler.StationName, "Station2");
    // Newly placed modules get their dialog's defaults.
    EXPECT_EQ(loaded.Module(7)->ModulType, "KORVO TC 8");
    EXPECT_FALSE(loaded.Module(7)->Parameter.empty());

    loaded.CurrentStation = 2;
    loaded.CurrentIP = Host(1);
    FakePinger pinger;
    pinger.reachable[Host(1)] = true;
    RecordingOnlineUi ui;
    InstantClock clock;
    ControllerAccess access(loaded.CurrentIP, clock);
    OnlineOperation online(loaded, catalogue_, access, ui, pinger);
    EXPECT_TRUE(online.CheckConfiguration()) << (ui.boxes.empty() ? "" : ui.boxes.back());
}

TEST_F(StationScanTest, ReplacingAStationsModulesLeavesTheOtherStationsAlone) {
    auto model = LoadModel(Project({{"127.0.0.201", {"KORVO DI 8", "KORVO PS", "KORVO DO 4"}},
                                    {"127.0.0.202", {"KORVO AI 2"}}}));
    model->Module(6)->Parameter = "1,2,";
    ASSERT_TRUE(ReplaceStationModules(*model, 1, {"KORVO DI 16", "KORVO DO 16", "KORVO AO 1"}));
    std::vector<std::string> types;
    for (int i = 1; i <= model->ModuleCount; ++i) types.push_back(model->Module(i)->ModulType);
    EXPECT_EQ(types, (std::vector<std::string>{"KORVO NC ETH", "KORVO DI 16", "KORVO DO 16", "KORVO AO 1",
                                               "KORVO NC ETH", "KORVO AI 2"}));
    EXPECT_EQ(model->Module(4)->ModulZuStations, 1);
    EXPECT_EQ(model->Module(4)->ByteOffsetOutput, 4);
    EXPECT_EQ(model->Module(5)->StationsNummmer, 2);
    EXPECT_EQ(model->Module(5)->IPAddress, "127.0.0.202");
    EXPECT_EQ(model->Module(6)->Parameter, "1,2,");
    EXPECT_FALSE(ReplaceStationModules(*model, 3, {"KORVO DI 16"}));

    // The last station of the project: the modules stay in their order too.
    ASSERT_TRUE(ReplaceStationModules(*model, 2, {"KORVO DI 4", "KORVO DO 2"}));
    EXPECT_EQ(model->ModuleCount, 7);
    EXPECT_EQ(model->Module(6)->ModulType, "KORVO DI 4");
    EXPECT_EQ(model->Module(7)->ModulType, "KORVO DO 2");
}

TEST_F(StationScanTest, AStationThatDoesNotFitIsNotAppended) {
    auto model = LoadModel(Project({{"127.0.0.203", std::vector<std::string>(158, "KORVO DI 2")}}));
    ASSERT_EQ(model->ModuleCount, 159);
    EXPECT_FALSE(AppendScannedStation(*model, "127.0.0.204", "", {"KORVO DI 2", "KORVO DI 2"}));
    EXPECT_EQ(model->ModuleCount, 159);
    EXPECT_TRUE(AppendScannedStation(*model, "127.0.0.204", "Hall", {"KORVO DI 2"}));
    EXPECT_EQ(model->ModuleCount, 161);
}

TEST_F(StationScanTest, NoCouplerAndNoEchoSayWhyTheScanStopped) {
    const StationScan refused = ScanStation(Host(9), catalogue_, nullptr);
    EXPECT_FALSE(refused.connected);
    EXPECT_FALSE(refused.listRead);
    EXPECT_NE(refused.failure.find("the nodes could not be opened"), std::string::npos) << refused.failure;

    FakePinger silent;
    const StationScan unanswered = ScanStation(Host(9), catalogue_, &silent);
    EXPECT_EQ(silent.pings, 1);
    EXPECT_EQ(unanswered.failure, "no answer to ping from " + Host(9) + " within 1000 ms");
}

}  // namespace
}  // namespace korvo::testing

namespace korvo::testing {
namespace {

TEST_F(StationScanTest, ACopyOfTheStationsKeepsWhatTheProjectFileKeeps) {
    auto model = LoadModel(Project({{"127.0.0.205", {"KORVO AI 2", "KORVO PS"}}, {"127.0.0.206", {"KORVO DO 4"}}}));
    model->Module(2)->Parameter = "3,4,";
    model->Module(2)->ParameterComment[2] = "second";
    const auto copy = CopyStations(*model);
    ASSERT_EQ(copy->ModuleCount, 5);
    EXPECT_EQ(copy->Module(2)->Parameter, "3,4,");
    EXPECT_EQ(copy->Module(2)->ParameterComment[2], "second");
    EXPECT_EQ(copy->Module(3)->ModulZuStations, model->Module(3)->ModulZuStations);
    EXPECT_EQ(copy->Module(4)->StationsNummmer, 2);
    EXPECT_EQ(copy->Module(4)->StationName, "Hall 2");
    EXPECT_EQ(copy->Module(5)->ByteOffsetOutput, model->Module(5)->ByteOffsetOutput);
    model->Module(2)->Parameter = "changed";
    EXPECT_EQ(copy->Module(2)->Parameter, "3,4,");
}

}  // namespace
}  // namespace korvo::testing
