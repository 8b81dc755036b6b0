// The plant report's reading of record files from other machines, and the merge by
// station and point with the latest verdict winning.

#include "docs/json_value.h"
#include "docs/plant_report.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace korvo {
namespace {

TEST(JsonValue, ReadsWhatTheRecordsWrite) {
    const JsonParse parsed = ParseJson(
        "{\"station\": 2, \"name\": \"Halle \\u00c4\\t\\\"1\\\"\", \"match\": false, \"state\": null,\n"
        " \"rows\": [{\"slot\": 1, \"v\": -1.5e2}], \"emoji\": \"\\ud83d\\ude00\"}");
    ASSERT_TRUE(parsed.value) << parsed.error;
    const JsonValue& v = *parsed.value;
    EXPECT_EQ(v.Number("station"), 2);
    EXPECT_EQ(v.Text("name"), "Halle \xC3\x84\t\"1\"");
    EXPECT_EQ(v.Bool("match"), false);
    EXPECT_EQ(v.Member("state")->kind, JsonValue::Kind::Null);
    EXPECT_EQ(v.Member("rows")->items.at(0).Number("v"), -150.0);
    EXPECT_EQ(v.Text("emoji"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(v.Text("missing", "fallback"), "fallback");
    EXPECT_FALSE(v.Number("name"));
}

TEST(JsonValue, RefusesWhatIsNoJsonSayingWhere) {
    const auto error = [](const std::string& text) { return ParseJson(text).error; };
    EXPECT_EQ(error("{\"a\": 1,\n \"b\" 2}"), "line 2, column 6: expected ':'");
    EXPECT_NE(error("{\"a\": \"open").find("a text is not closed"), std::string::npos);
    EXPECT_NE(error("[1, 2] 3").find("text after the end"), std::string::npos);
    EXPECT_NE(error("\"\\ud800\"").find("lone surrogate"), std::string::npos);
    EXPECT_NE(error("\"\\x41\"").find("unknown escape"), std::string::npos);
    EXPECT_NE(error("\"a\nb\"").find("control character"), std::string::npos);
    EXPECT_NE(error("-").find("needs digits"), std::string::npos);
    EXPECT_NE(error("1e999").find("too large"), std::string::npos);
    EXPECT_NE(error("tru").find("unexpected character"), std::string::npos);
    EXPECT_NE(error("").find("unexpected end"), std::string::npos);
    EXPECT_NE(error(std::string(100, '[') + std::string(100, ']')).find("nested deeper than 64"), std::string::npos);
    EXPECT_TRUE(ParseJson(std::string(63, '[') + std::string(63, ']')).value);
}

class PlantReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / ("plant-report-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        catalogue_ = ProfileFile::Load(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini");
        model_ = std::make_unique<StationModel>(&catalogue_, "/");
        LoadProject(*model_, ProfileFile::FromText("[Module]\nAnzahl=4\nName1=KORVO NC ETH\nName2=KORVO DI 2\n"
                                                   "Name3=KORVO NC ETH\nName4=KORVO DO 2\n"
                                                   "[Station1]\nIPAddress=127.0.0.5\nStation Name=Hall\n"
                                                   "[Station2]\nIPAddress=127.0.0.6\nStation Name=Pump\n"));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories((folder_ / name).parent_path());
        std::ofstream(folder_ / name) << text;
    }
    static std::string IoRecord(int station, const std::string& name, const std::string& ended,
                                const std::string& points) {
        return "{\"station\": " + std::to_string(station) + ", \"stationName\": \"" + name +
               "\", \"started\": \"2026-12-01 08:00:00\", \"ended\": \"" + ended + "\", \"points\": [" + points + "]}";
    }
    PlantReport Merge() { return MergePlantReport(*model_, "plant.prj", FindPlantRecords(folder_)); }

    std::filesystem::path folder_;
    ProfileFile catalogue_;
    std::unique_ptr<StationModel> model_;
};

TEST_F(PlantReportTest, TheLatestVerdictPerPointWinsAndNamesItsMachine) {
    Write("anna/io.json", IoRecord(1, "Hall", "2026-12-01 09:00:00",
                                   "{\"tag\": \"Hall_M2_DI_1\", \"result\": \"tested\", \"complete\": true},"
                                   "{\"tag\": \"Hall_M2_DI_2\", \"result\": \"tested\", \"complete\": true}"));
    Write("ben/io.json", IoRecord(1, "Hall", "2026-12-02 09:00:00",
                                  "{\"tag\": \"Hall_M2_DI_2\", \"result\": \"not seen at 1\", \"complete\": false}"));
    Write("ben/old.json", IoRecord(1, "Hall", "2026-11-30 09:00:00",
                                   "{\"tag\": \"Hall_M2_DI_1\", \"result\": \"not seen at 0\", \"complete\": false}"));
    const PlantReport report = Merge();
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(report.recordFiles, 3);
    ASSERT_EQ(report.stations.size(), 2u);
    const ReportedStation& hall = report.stations[0];
    ASSERT_EQ(hall.points.size(), 2u);
    EXPECT_EQ(hall.points[0].result, "tested");
    EXPECT_EQ(hall.points[0].recordedBy, "anna");
    EXPECT_EQ(hall.points[1].result, "not seen at 1");
    EXPECT_EQ(hall.points[1].recordedBy, "ben");
    EXPECT_EQ(hall.points[1].when, "2026-12-02 09:00:00");
    EXPECT_EQ(hall.CompleteCount(), 1);
    // Points nobody recorded are in the report all the same.
    ASSERT_EQ(report.stations[1].points.size(), 2u);
    EXPECT_EQ(report.stations[1].points[0].result, "not tested");
    EXPECT_EQ(report.stations[1].points[0].direction, "output");
}

TEST_F(PlantReportTest, CheckResultsMergeByStationAndTheLatestCounts) {
    Write("anna/check-station1.json", "{\"station\": 1, \"name\": \"Hall\", \"reachable\": true, \"match\": false, "
                                      "\"result\": \"slot 1: expected KORVO DI 2\", \"finished\": "
                                      "\"2026-12-01 10:00:00\", \"rows\": []}");
    Write("ben/check-station1.json", "{\"station\": 1, \"name\": \"Hall\", \"reachable\": true, \"match\": true, "
                                     "\"result\": \"match\", \"finished\": \"2026-12-01 11:00:00\", \"rows\": []}");
    const PlantReport report = Merge();
    EXPECT_EQ(report.stations[0].check, "match");
    EXPECT_TRUE(report.stations[0].match);
    EXPECT_EQ(report.stations[0].checkedBy, "ben");
    EXPECT_EQ(report.stations[1].check, "not checked");
    const std::vector<std::string> lines = PlantReportLines(report);
    EXPECT_EQ(lines[1], "2 station(s), 1 match; 0 of 4 point(s) tested; 2 record file(s) merged");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  configuration check: match (ben, 2026-12-01 11:00:00)"),
              lines.end());
}

TEST_F(PlantReportTest, FilesThatBelongToNoStationOrAreNoRecordsAreNamedAndLeftOut) {
    Write("broken.json", "{\"points\": [");
    Write("c/other.json", IoRecord(1, "Boiler", "2026-12-01 09:00:00", ""));
    Write("c/gone.json", IoRecord(7, "Hall", "2026-12-01 09:00:00", ""));
    Write("c/list.json", "[1, 2]");
    Write("c/notes.txt", "not a record");
    const PlantReport report = Merge();
    EXPECT_EQ(report.recordFiles, 0);
    ASSERT_EQ(report.problems.size(), 4u);
    EXPECT_EQ(report.problems[0], "broken.json: line 1, column 13: unexpected end of the text");
    EXPECT_EQ(report.problems[1], "c/gone.json: a record of station 7 \"Hall\", which the project does not have; left out");
    EXPECT_EQ(report.problems[2], "c/list.json: neither a check result nor an I/O test record");
    EXPECT_EQ(report.problems[3],
              "c/other.json: a record of station 1 \"Boiler\", which the project names \"Hall\"; left out");
}

}  // namespace
}  // namespace korvo
