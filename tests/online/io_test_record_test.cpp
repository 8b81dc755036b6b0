// The commissioning record fed by real I/O cycles against the simulated coupler: the
// walking inputs seen in both states, LED clicks on outputs, analog ranges, and a
// connection the simulator drops in the middle of the test.

#include "online_fixture.h"

#include "online/io_test_record_export.h"
#include "online/io_test_header.h"
#include "online/io_test_record.h"
#include "station/view_clicks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvo {
namespace {

using namespace std::chrono_literals;

const std::string kDataFolder = std::string(KORVO_TEST_DATA_DIR) + "/";

class IoTestRecordTest : public testing::OnlineTest {
protected:

    void LoadShipped(const std::vector<std::string>& types, sim::StationOptions options = {}) {
        OnlineTest::LoadShipped(types, std::move(options));
        recorder_ = std::make_unique<IoTestRecorder>(*model_, [this] { return now_; });
        online_->SetCycleObserver(recorder_.get());
        recorder_->Begin(MakeRecordHeader(*model_, "test.prj", "station OK", "ready, activ, run"));
        ASSERT_TRUE(online_->OpenConnection()) << ui_.panel1;
        model_->Online = true;
    }

    // One cycle at the given second of the simulated station's life.
    void CycleAt(int second) {
        station_->update(std::chrono::milliseconds(second * 1000));
        now_ = std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000 + second));
        online_->IoCycle();
    }

    const PointRecord& Point(const std::string& tag) const {
        for (const PointRecord& p : recorder_->Record().points) {
            if (p.entry.tag == tag) return p;
        }
        ADD_FAILURE() << "no point " << tag;
        static const PointRecord none;
        return none;
    }

    std::chrono::system_clock::time_point now_{std::chrono::seconds(1'800'000'000)};
    std::unique_ptr<IoTestRecorder> recorder_;
};

TEST_F(IoTestRecordTest, WalkingInputsAreSeenInBothStatesAfterAFullWalk) {
    LoadShipped({"KORVO NC ETH", "KORVO DI 8", "KORVO DI 4", "KORVO AI 2"});
    for (int second = 0; second < 4; ++second) CycleAt(second);
    // After half the walk of the 8 inputs, the upper four have not been at 1 yet.
    EXPECT_TRUE(Point("Station1_M3_DI_4").Complete());
    EXPECT_FALSE(Point("Station1_M2_DI_5").Complete());
    EXPECT_EQ(PointResult(Point("Station1_M2_DI_5")), "not seen at 1");
    for (int second = 4; second < 8; ++second) CycleAt(second);
    const IoTestRecord& record = recorder_->Record();
    EXPECT_EQ(record.cycles, 8);
    for (const PointRecord& p : record.points) {
        if (p.entry.width == PointWidth::Bool) {
            EXPECT_TRUE(p.Complete()) << p.entry.tag;
        }
    }
    // The analog channels moved with the simulated sine.
    const PointRecord& channel = Point("Station1_M4_AI_1");
    EXPECT_TRUE(channel.seenValue);
    EXPECT_LT(channel.minimum, channel.maximum);
    EXPECT_TRUE(channel.Complete());
    EXPECT_EQ(channel.errorCode, -1);
    EXPECT_TRUE(recorder_->Running());
    EXPECT_FALSE(record.connectionLost);
}

TEST_F(IoTestRecordTest, OutputsClickedOnAndOffAreMarkedWithSourceAndFirstChange) {
    LoadShipped({"KORVO NC ETH", "KORVO DO 4", "KORVO AO 1"});
    TModul& outputs = *model_->Module(2);
    CycleAt(0);
    ASSERT_EQ(ClickLed(outputs, 2, false), std::optional<bool>(true));
    CycleAt(1);
    const PointRecord& clicked = Point("Station1_M2_DO_2");
    EXPECT_TRUE(clicked.seen1);
    EXPECT_FALSE(clicked.seen0);
    EXPECT_EQ(PointResult(clicked), "not switched off");
    EXPECT_EQ(clicked.source, OutputSource::LedClick);
    EXPECT_EQ(clicked.firstChange, IoTestRecorder::TimeText(now_));
    const std::string firstChange = clicked.firstChange;
    ASSERT_EQ(ClickLed(outputs, 2, true), std::optional<bool>(false));
    CycleAt(2);
    EXPECT_TRUE(Point("Station1_M2_DO_2").Complete());
    EXPECT_EQ(Point("Station1_M2_DO_2").firstChange, firstChange);
    EXPECT_EQ(Point("Station1_M2_DO_1").source, OutputSource::None);
    EXPECT_EQ(PointResult(Point("Station1_M2_DO_1")), "not switched");
    // The analog output's dialog puts its word into the output data.
    model_->Module(3)->OutputData = "39,16";
    CycleAt(3);
    const PointRecord& analog = Point("Station1_M3_AO_1");
    EXPECT_EQ(analog.source, OutputSource::Dialog);
    EXPECT_EQ(analog.maximum, 10000);
    EXPECT_EQ(analog.minimum, 0);
    // Both reach the coupler as the record says.
    const auto written = simulator_.controller().outputs(0, 4);
    EXPECT_EQ(written[1] & 0x02, 0);
    EXPECT_EQ(written[2], 39);
}

TEST_F(IoTestRecordTest, OutputsAlreadySetWhenARecordStartsAreNoChangeByAnybody) {
    LoadShipped({"KORVO NC ETH", "KORVO DO 4", "KORVO AO 1"});
    TModul& outputs = *model_->Module(2);
    ASSERT_EQ(ClickLed(outputs, 2, false), std::optional<bool>(true));
    model_->Module(3)->OutputData = "39,16";
    CycleAt(0);
    // A new record while the I/O test runs: DO 2 is on and the analog word is 10000.
    recorder_->Begin(MakeRecordHeader(*model_, "test.prj", "station OK", "ready, activ, run"));
    CycleAt(1);
    CycleAt(2);
    const PointRecord& on = Point("Station1_M2_DO_2");
    EXPECT_EQ(on.source, OutputSource::None);
    EXPECT_EQ(on.firstChange, "");
    EXPECT_FALSE(on.seen0);
    EXPECT_FALSE(on.seen1);
    EXPECT_EQ(PointResult(on), "not switched");
    const PointRecord& analog = Point("Station1_M3_AO_1");
    EXPECT_EQ(analog.source, OutputSource::None);
    EXPECT_EQ(analog.firstChange, "");
    EXPECT_FALSE(analog.Complete());

    // Switching them afterwards is a change, by the one who made it.
    ASSERT_EQ(ClickLed(outputs, 2, true), std::optional<bool>(false));
    model_->Module(3)->OutputData = "0,0";
    CycleAt(3);
    const PointRecord& off = Point("Station1_M2_DO_2");
    EXPECT_EQ(off.source, OutputSource::LedClick);
    EXPECT_EQ(off.firstChange, IoTestRecorder::TimeText(now_));
    EXPECT_TRUE(off.seen0);
    EXPECT_EQ(PointResult(off), "not switched on") << "it was on from the start, never switched on";
    EXPECT_EQ(Point("Station1_M3_AO_1").source, OutputSource::Dialog);
    EXPECT_EQ(Point("Station1_M3_AO_1").minimum, 0);
    EXPECT_EQ(Point("Station1_M3_AO_1").maximum, 10000);
    EXPECT_EQ(Point("Station1_M2_DO_1").source, OutputSource::None);
}

TEST_F(IoTestRecordTest, DroppedConnectionKeepsWhatWasSeenAndSaysWhenAndWhy) {
    LoadShipped({"KORVO NC ETH", "KORVO DI 2", "KORVO DO 2"});
    CycleAt(0);
    CycleAt(1);
    EXPECT_TRUE(Point("Station1_M2_DI_1").Complete());
    simulator_.inject(sim::Fault::closeMidMessage(0x0104));
    CycleAt(2);
    EXPECT_FALSE(model_->Online);
    const IoTestRecord& record = recorder_->Record();
    EXPECT_FALSE(recorder_->Running());
    EXPECT_TRUE(record.connectionLost);
    EXPECT_EQ(record.stopReason.rfind("connection lost: Error read data  CHECK IP settings ??  - connection lost", 0), 0u)
        << record.stopReason;
    EXPECT_EQ(record.ended, IoTestRecorder::TimeText(now_));
    EXPECT_EQ(record.cycles, 2);
    EXPECT_TRUE(Point("Station1_M2_DI_1").Complete());
    // Stopping afterwards does not overwrite why the test ended.
    recorder_->Finish("stopped by the user");
    EXPECT_EQ(recorder_->Record().stopReason, record.stopReason);
    const std::string json = IoTestRecordJson(record);
    EXPECT_NE(json.find("\"connectionLost\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"stopReason\": \"connection lost: Error read data  CHECK IP settings ??  - connection lost"),
              std::string::npos);
    EXPECT_NE(json.find("\"project\": \"test.prj\""), std::string::npos);
}

TEST_F(IoTestRecordTest, MultiplexedChannelsAreRecordedOneByOneWithTheirOwnRangeAndErrors) {
    sim::StationOptions options;
    options.faults.push_back({2, 3, 0x8002});
    LoadShipped({"KORVO NC ETH", "KORVO AI 8"}, options);
    // One channel per cycle: three rounds over the eight channels, at different points
    // of the simulated sine.
    for (int second = 0; second < 24; ++second) CycleAt(second);
    const IoTestRecord& record = recorder_->Record();
    int channels = 0;
    for (const PointRecord& p : record.points) {
        if (p.entry.direction == PointDirection::Input) {
            ++channels;
            EXPECT_GT(p.muxChannel, 0) << p.entry.tag << ": the input words stand for no channel";
        }
    }
    EXPECT_EQ(channels, 8);
    // The simulated channel c moves around 4000 * c, so each keeps a range of its own;
    // channel 8 measures above 7FFFh, which is no error code.
    for (int c : {1, 2, 5, 8}) {
        const PointRecord& p = Point("Station1_M2_AI_" + std::to_string(c));
        EXPECT_EQ(p.muxChannel, c);
        EXPECT_TRUE(p.Complete()) << c;
        EXPECT_LT(p.minimum, p.maximum) << c;
        EXPECT_GE(p.minimum, 4000 * c - 1500) << c;
        EXPECT_LE(p.maximum, 4000 * c + 1500) << c;
        EXPECT_EQ(p.errorCode, -1) << c;
    }
    const PointRecord& broken = Point("Station1_M2_AI_3");
    EXPECT_EQ(broken.errorCode, 0x8002);
    EXPECT_FALSE(broken.seenValue);
    EXPECT_EQ(PointResult(broken), "error only");
    EXPECT_EQ(PointAddress(broken), "%IW" + std::to_string(model_->Module(2)->InputStart() + 2) + " ch 3");
    // The request words the cycle writes are still recorded as the module's outputs.
    EXPECT_TRUE(std::any_of(record.points.begin(), record.points.end(), [](const PointRecord& p) {
        return p.entry.direction == PointDirection::Output && p.entry.slot == 2;
    }));
    const std::string json = IoTestRecordJson(record);
    EXPECT_NE(json.find("\"tag\": \"Station1_M2_AI_3\", \"direction\": \"input\", \"dataType\": \"WORD\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"channel\": 3, \"errorCode\": \"8002h\""), std::string::npos) << json;
    const std::string csv = IoTestRecordCsv(record);
    EXPECT_NE(csv.find(",error only,,,,,8002h,,,3,,\r\n"), std::string::npos) << csv;
}

TEST_F(IoTestRecordTest, ParameterAndRequestWordsAreNotToTestAndVerdictsGoIntoTheExports) {
    // AI 2: two channels and two parameter words; TC 8: record words only, requests out.
    LoadShipped({"KORVO NC ETH", "KORVO DI 4", "KORVO AI 2", "KORVO TC 8"});
    for (int second = 0; second < 8; ++second) CycleAt(second);
    const IoTestRecord& record = recorder_->Record();
    const auto words = [&](PointDirection direction) {
        return std::count_if(record.points.begin(), record.points.end(), [&](const PointRecord& p) {
            return p.entry.direction == direction && p.entry.width == PointWidth::Word && !p.entry.channel;
        });
    };
    ASSERT_GT(words(PointDirection::Output), 0);
    // The analog channels know their unit from the words the test sends; the words of
    // the multi-channel module have none.
    ASSERT_TRUE(Point("Station1_M3_AI_2").scale.has_value());
    EXPECT_FALSE(Point("Station1_M3_AI_2").scale->unit.empty());
    for (const PointRecord& p : record.points) {
        if (p.entry.slot == 4) {
            EXPECT_FALSE(p.scale.has_value()) << p.entry.tag;
        }
    }
    EXPECT_EQ(record.TestableCount(), static_cast<int>(record.points.size() - words(PointDirection::Output)));
    for (const PointRecord& p : record.points) {
        if (!p.Testable()) {
            EXPECT_EQ(PointResult(p), "written by its dialog") << p.entry.tag;
        }
    }
    // Every walking input was seen both ways; untestable words never count as tested.
    EXPECT_LE(record.CompleteCount(), record.TestableCount());
    EXPECT_TRUE(Point("Station1_M2_DI_1").Complete());

    std::size_t di1 = 0;
    while (record.points[di1].entry.tag != "Station1_M2_DI_1") ++di1;
    recorder_->SetVerdict(di1, Verdict::NotWired, "terminal 1 loose, \"X1\"");
    recorder_->SetVerdict(record.points.size(), Verdict::Ok, "ignored");
    EXPECT_EQ(Point("Station1_M2_DI_1").verdict, Verdict::NotWired);
    const std::string csv = IoTestRecordCsv(record);
    EXPECT_NE(csv.find(",not wired,\"terminal 1 loose, \"\"X1\"\"\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\ntested," + std::to_string(record.CompleteCount()) + " of " +
                       std::to_string(record.TestableCount()) + "\r\n"),
              std::string::npos)
        << csv;
    const std::string json = IoTestRecordJson(record);
    EXPECT_NE(json.find("\"verdict\": \"not wired\", \"remark\": \"terminal 1 loose, \\\"X1\\\"\""), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"testable\": " + std::to_string(record.TestableCount())), std::string::npos) << json;
}

TEST_F(IoTestRecordTest, TesterComesFromTheProjectProperties) {
    catalogueIni_ = ProfileFile::Load(kDataFolder + "korvo_config.ini");
    model_ = std::make_unique<StationModel>(&catalogueIni_, kDataFolder);
    LoadProject(*model_, ProfileFile::FromText(Project({"KORVO NC ETH", "KORVO DI 4"}) +
                                               "[Project]\nTester=M. M\xFCller\n"));
    model_->CurrentStation = 1;
    IoTestRecorder recorder(*model_);
    recorder.Begin(MakeRecordHeader(*model_, "test.prj", "station OK", ""));
    EXPECT_EQ(recorder.Record().header.tester, "M. M\xFCller");
    EXPECT_NE(IoTestRecordCsv(recorder.Record()).find("\r\ntester,M. M\xC3\xBCller\r\n"), std::string::npos);
}

TEST_F(IoTestRecordTest, ChannelsOfAMultiplexedModuleWaitForTheCycleThatFillsThem) {
    LoadShipped({"KORVO NC ETH", "KORVO AI 8"});
    CycleAt(0);
    CycleAt(1);
    EXPECT_TRUE(Point("Station1_M2_AI_1").seenValue);
    EXPECT_TRUE(Point("Station1_M2_AI_2").seenValue);
    // Channel 3 has not been asked for yet: nothing of the others' values is put on it.
    EXPECT_FALSE(Point("Station1_M2_AI_3").seenValue);
    EXPECT_EQ(PointResult(Point("Station1_M2_AI_3")), "not seen");
    EXPECT_GE(Point("Station1_M2_AI_2").minimum, 8000 - 1500);
}

TEST_F(IoTestRecordTest, CounterValueIsCountedInCountsItsStateWordHasNoUnit) {
    LoadShipped({"KORVO NC ETH", "KORVO CT 1"});
    CycleAt(0);
    ASSERT_TRUE(Point("Station1_M2_CT_IW2").scale.has_value());
    EXPECT_EQ(Point("Station1_M2_CT_IW2").scale->unit, "counts");
    EXPECT_FALSE(Point("Station1_M2_CT_IW1").scale.has_value());
    PointRecord value = Point("Station1_M2_CT_IW2");
    value.seenValue = true;
    value.minimum = 5;
    value.maximum = 9;
    EXPECT_EQ(PointValues(value), "5..9 (5 counts .. 9 counts)");
}

TEST(IoTestRecordExport, AnalogErrorWordsAreKeptApartFromTheRange) {
    PointRecord p;
    p.entry.width = PointWidth::Word;
    p.entry.channel = true;
    p.seenValue = true;
    p.minimum = 100;
    p.maximum = 200;
    p.errorCode = 0x8001;
    EXPECT_EQ(PointValues(p), "100..200, error 8001h");
    EXPECT_EQ(PointResult(p), "tested");

    // With the channel's scale the values have their unit.
    p.scale = TwoChannelTemperatureScale("KORVO TC 2", 0);
    p.errorCode = -1;
    p.minimum = 215;
    p.maximum = 230;
    EXPECT_EQ(PointValues(p), "215..230 (21.5 \xC2\xB0" "C .. 23.0 \xC2\xB0" "C)");
}

}  // namespace
}  // namespace korvo
