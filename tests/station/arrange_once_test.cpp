// Loading a station arranges the view once, with the whole station, instead of
// once per module; outside a load every append still arranges at once.
#include "station_fixture.h"

#include "station/profile_file.h"
#include "station/project_file.h"

#include <gtest/gtest.h>

namespace korvo::testing {
namespace {

struct CountingUi : RecordingUi {
    std::vector<int> counts;
    // "bulk", "arrange N", "end" in the order the view was told.
    std::vector<std::string> events;
    void ArrangeModules(int count) override {
        RecordingUi::ArrangeModules(count);
        counts.push_back(count);
        events.push_back("arrange " + std::to_string(count));
    }
    void BulkCreation(bool started) override { events.push_back(started ? "bulk" : "end"); }
};

class ArrangeOnceTest : public ::testing::Test {
protected:
    ProfileFile catalogue = ProfileFile::FromText(kTestCatalogue);
    CountingUi ui;
    StationModel model{&catalogue, "/opt/korvo/", &ui};
};

TEST_F(ArrangeOnceTest, LoadArrangesOnceWithTheFinalCount) {
    std::string text = "[Module]\r\nAnzahl=41\r\nName1=KORVO NC ETH\r\n";
    for (int i = 2; i <= 41; ++i) text += "Name" + std::to_string(i) + (i % 2 ? "=KORVO DI 16\r\n" : "=KORVO DO 16\r\n");
    LoadProject(model, ProfileFile::FromText(text));
    EXPECT_EQ(model.ModuleCount, 41);
    EXPECT_EQ(ui.counts, std::vector<int>{41});
    // The view may stay out of sight while the modules come, and is told when
    // that is over only after the one arrangement.
    EXPECT_EQ(ui.events, (std::vector<std::string>{"bulk", "arrange 41", "end"}));
}

TEST_F(ArrangeOnceTest, AppendsOutsideAHoldArrangeEachTime) {
    model.AppendModule("KORVO NC ETH");
    model.AppendModule("KORVO DI 16");
    EXPECT_EQ(ui.counts, (std::vector<int>{1, 2}));
}

TEST_F(ArrangeOnceTest, NestedHoldsArrangeWhenTheLastEndsAndOnlyIfSomethingWasAppended) {
    {
        StationModel::ArrangeHold outer(model);
        {
            StationModel::ArrangeHold inner(model);
            model.AppendModule("KORVO NC ETH");
        }
        EXPECT_TRUE(ui.counts.empty());
        model.AppendModule("KORVO DO 16");
    }
    EXPECT_EQ(ui.counts, std::vector<int>{2});
    EXPECT_EQ(ui.events, (std::vector<std::string>{"bulk", "arrange 2", "end"}));
    { StationModel::ArrangeHold idle(model); }
    EXPECT_EQ(ui.counts, std::vector<int>{2});
    // A hold without appends still ends its bulk creation.
    EXPECT_EQ(ui.events.back(), "end");
    model.AppendModule("KORVO DI 16");
    EXPECT_EQ(ui.counts, (std::vector<int>{2, 3}));
}

}  // namespace
}  // namespace korvo::testing
