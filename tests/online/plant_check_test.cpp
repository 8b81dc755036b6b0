// The configuration check of every station of a project at once.

#include "plant_fixture.h"

#include "online/plant_check.h"
#include "online_fixture.h"

#include <mutex>
#include <set>

namespace korvo::testing {
namespace {

class PlantCheckTest : public PlantTest {
protected:
    const std::vector<std::string> kStation = {"KORVO DI 16", "KORVO PB", "KORVO DO 16", "KORVO AI 2"};
    InstantClock clock_;
};

TEST_F(PlantCheckTest, EveryStationMatchesOneDiffersOneIsUnreachable) {
    sim::StationOptions swapped;
    swapped.swappedModule = 3;
    Serve(1, kStation);
    Serve(2, kStation, swapped);
    Serve(4, kStation);
    auto model = LoadModel(Project({{Host(1), kStation}, {Host(2), kStation}, {Host(3), kStation}, {Host(4), kStation}}));
    std::mutex mutex;
    std::multiset<int> told;
    PlantCheckOptions options;
    options.jobs = 4;
    options.clock = &clock_;
    options.done = [&](const StationCheck& c) {
        std::lock_guard lock(mutex);
        told.insert(c.station);
    };
    const std::vector<StationCheck> checks = CheckPlant(*model, catalogue_, options);
    ASSERT_EQ(checks.size(), 4u);
    EXPECT_EQ(told, (std::multiset<int>{1, 2, 3, 4}));

    EXPECT_EQ(checks[0].station, 1);
    EXPECT_EQ(checks[0].name, "Hall 1");
    EXPECT_TRUE(checks[0].reachable);
    EXPECT_TRUE(checks[0].match);
    EXPECT_EQ(CheckVerdict(checks[0]), "match");
    EXPECT_TRUE(checks[0].state.Running());
    EXPECT_EQ(checks[0].rows.size(), 3u);
    EXPECT_LE(checks[0].started, checks[0].finished);

    EXPECT_TRUE(checks[1].reachable);
    EXPECT_FALSE(checks[1].match);
    EXPECT_EQ(CheckVerdict(checks[1]), "slot 3: expected KORVO AI 2, found unknown module, ID 4Dh length D2h");

    EXPECT_FALSE(checks[2].reachable);
    EXPECT_FALSE(checks[2].match);
    EXPECT_NE(CheckVerdict(checks[2]).find("the nodes could not be opened"), std::string::npos);
    EXPECT_TRUE(checks[3].match);
}

TEST_F(PlantCheckTest, TheErrorResetRunsOnEveryStationBeforeItsList) {
    Serve(1, kStation);
    Serve(2, kStation);
    auto model = LoadModel(Project({{Host(1), kStation}, {Host(2), kStation}}));
    PlantCheckOptions options;
    options.clock = &clock_;
    CheckPlant(*model, catalogue_, options);
    for (const SimulatedCoupler& c : couplers_) {
        const std::vector<std::uint16_t> commands = c.station->receivedCommands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.front(), 0x0750);
        EXPECT_EQ(commands.back(), 0x030B);
        EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x0701), 1);
    }
}

TEST_F(PlantCheckTest, OneJobAtATimeGivesTheSameResultsAsManyAndAnEchoIsAskedFirst) {
    Serve(1, kStation);
    Serve(2, {"KORVO DI 16"});
    auto model = LoadModel(Project({{Host(1), kStation}, {Host(2), kStation}}));
    FakePinger pinger;
    pinger.reachable[Host(1)] = true;
    PlantCheckOptions options;
    options.clock = &clock_;
    options.jobs = 1;
    options.pinger = &pinger;
    const auto checks = CheckPlant(*model, catalogue_, options);
    EXPECT_EQ(pinger.pings, 2);
    EXPECT_TRUE(checks[0].match);
    EXPECT_EQ(CheckVerdict(checks[1]), "no answer to ping from " + Host(2) + " within 1000 ms");

    options.pinger = nullptr;
    options.jobs = 16;
    const auto parallel = CheckPlant(*model, catalogue_, options);
    EXPECT_TRUE(parallel[0].match);
    EXPECT_EQ(CheckVerdict(parallel[1]), "slot 2: expected KORVO DO 16, found (none reported)");
}

TEST_F(PlantCheckTest, ACancelledCheckStartsNoFurtherStation) {
    Serve(1, kStation);
    auto model = LoadModel(Project({{Host(1), kStation}, {Host(1), kStation}, {Host(1), kStation}}));
    PlantCheckOptions options;
    options.clock = &clock_;
    options.jobs = 1;
    int asked = 0;
    options.cancelled = [&] { return ++asked > 1; };
    const auto checks = CheckPlant(*model, catalogue_, options);
    EXPECT_TRUE(checks[0].match);
    EXPECT_EQ(CheckVerdict(checks[1]), "cancelled");
    EXPECT_EQ(CheckVerdict(checks[2]), "cancelled");
    EXPECT_EQ(checks[2].address, Host(1));
}

}  // namespace
}  // namespace korvo::testing
