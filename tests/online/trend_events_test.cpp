// Trends and the event log fed by real I/O cycles against the simulated coupler, with
// the inputs scripted cycle by cycle: a bit walking across a DI 16 and a ramp on an
// analog channel; the trend file and the events as they are written.

#include "online_fixture.h"

#include "docs/json_value.h"
#include "online/cycle_observers.h"
#include "online/cycle_pacer.h"
#include "online/io_event_log.h"
#include "online/io_test_header.h"
#include "online/io_test_record.h"
#include "online/io_test_record_export.h"
#include "online/trend_file.h"
#include "online/trend_history.h"
#include "station/view_clicks.h"

#include "crlf_lines.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace korvo {
namespace {

using namespace std::chrono_literals;

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}


// The fields of a trend row, which holds no quoted field here.
std::vector<std::string> RowFields(const std::string& row) {
    std::vector<std::string> fields(1);
    for (const char c : row) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// "2026-12-10T14:03:07.250+01:00": ISO 8601 with milliseconds and the offset.
bool IsIsoTime(const std::string& text) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (shape[i] == 'd' ? !digit : shape[i] == '+' ? text[i] != '+' && text[i] != '-' : text[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

class TrendEventsTest : public testing::OnlineTest {
protected:
    TrendEventsTest() : folder_(std::filesystem::temp_directory_path() / ("korvo-trend-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~TrendEventsTest() override { std::filesystem::remove_all(folder_); }

    // Coupler, DI 16 (inputs 0..1), AI 2 (inputs 2..5, parameters out 0..3), DO 16 (out
    // 4..5), AO 1 (out 6..7).
    void StartTest() {
        LoadShipped({"KORVO NC ETH", "KORVO DI 16", "KORVO AI 2", "KORVO DO 16", "KORVO AO 1"});
        diagnosis_ = std::make_unique<CouplerDiagnosis>(*model_, *access_, *online_, ui_, clock_);
        online_->SetDiagnosis(diagnosis_.get());
        station_->start();
        trend_ = std::make_unique<TrendHistory>(*model_, [this] { return now_; });
        events_ = std::make_unique<IoEventLog>(*model_, [this] { return now_; });
        observers_.Add(trend_.get());
        observers_.Add(events_.get());
        online_->SetCycleObserver(&observers_);
        trend_->Begin(1000);
        events_->Begin();
        online_->OnlineCommand();
        ASSERT_TRUE(model_->Online) << ui_.panel1;
        station_->stop();  // from here on the test sets every input
    }

    // One cycle a second with the DI word and the first analog channel's word.
    void CycleWith(std::uint16_t digital, std::uint16_t analog) {
        const std::uint8_t inputs[6] = {static_cast<std::uint8_t>(digital >> 8), static_cast<std::uint8_t>(digital),
                                        static_cast<std::uint8_t>(analog >> 8), static_cast<std::uint8_t>(analog),
                                        0, 0};
        simulator_.controller().setInputs(0, inputs);
        now_ += 1s;
        online_->IoCycle();
    }

    std::size_t PointOf(const std::string& tagEnd) const {
        for (std::size_t i = 0; i < trend_->Points().size(); ++i) {
            const std::string& tag = trend_->Points()[i].tag;
            if (tag.size() >= tagEnd.size() && tag.compare(tag.size() - tagEnd.size(), tagEnd.size(), tagEnd) == 0) {
                return i;
            }
        }
        ADD_FAILURE() << "no point ending in " << tagEnd;
        return 0;
    }

    std::vector<IoEvent> EventsOf(const std::string& tagEnd) const {
        std::vector<IoEvent> found;
        const std::string tag = trend_->Points()[PointOf(tagEnd)].tag;
        for (const IoEvent& e : events_->Events()) {
            if (e.tag == tag) found.push_back(e);
        }
        return found;
    }

    std::filesystem::path folder_;
    std::chrono::system_clock::time_point now_{std::chrono::seconds(1'800'000'000)};
    std::unique_ptr<TrendHistory> trend_;
    std::unique_ptr<IoEventLog> events_;
    CycleObservers observers_;
};

TEST_F(TrendEventsTest, AWalkingBitAndARampGiveOneRowPerPointAndCycleAndTheirEvents) {
    StartTest();
    std::string error;
    auto file = TrendFile::Open(folder_ / "trend.csv", &error);
    ASSERT_TRUE(file) << error;
    trend_->SetReadingsSink([&](const std::vector<TrendReading>& readings) { file->Write(*trend_, readings); });
    constexpr int kCycles = 8;
    for (int k = 0; k < kCycles; ++k) {
        CycleWith(static_cast<std::uint16_t>(1u << k), static_cast<std::uint16_t>(1000 * k));
        // Whatever happens next, the file holds the whole cycles written so far.
        const auto lines = testing::CrlfLines(FileText(folder_ / "trend.csv"));
        ASSERT_EQ(lines.size(), 1 + file->Rows());
    }
    const auto lines = testing::CrlfLines(FileText(folder_ / "trend.csv"));
    EXPECT_EQ(lines.front(), "time,tag,raw,value,unit,diagnostic");

    const std::size_t analog = PointOf("AI_1");
    const TrendPoint& channel = trend_->Points()[analog];
    ASSERT_TRUE(channel.point.scale);
    EXPECT_EQ(channel.unit, "V");
    // Every point of the station has a row in every cycle.
    EXPECT_EQ(file->Rows(), kCycles * trend_->Points().size());

    int rampRows = 0;
    int lit = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> m = RowFields(lines[i]);
        ASSERT_EQ(m.size(), 6u) << lines[i];
        EXPECT_TRUE(IsIsoTime(m[0])) << lines[i];
        EXPECT_FALSE(m[1].empty()) << lines[i];
        if (m[1] == channel.tag) {
            const int word = 1000 * rampRows++;
            EXPECT_EQ(m[2], std::to_string(word));
            EXPECT_EQ(m[3], ToEngineering(*channel.point.scale, static_cast<std::uint16_t>(word)).value
                                ? FixedText(*ToEngineering(*channel.point.scale, static_cast<std::uint16_t>(word)).value, 3)
                                : "");
            EXPECT_EQ(m[4], "V");
        }
        if (m[1].find("DI_") != std::string::npos && m[2] == "1") ++lit;
    }
    EXPECT_EQ(rampRows, kCycles);
    EXPECT_EQ(lit, kCycles) << "one lit input per cycle";
    // The rows of one cycle share its time, a second after the one before.
    EXPECT_EQ(lines[1].substr(0, 23).substr(17, 6), "01.000");

    // The ring holds the ramp in engineering units; the digital input only its changes.
    const PointRing& ramp = trend_->History(analog);
    ASSERT_EQ(ramp.Size(), static_cast<std::size_t>(kCycles));
    EXPECT_LT(ramp.At(0).value, ramp.Newest().value);
    EXPECT_EQ(trend_->History(PointOf("DI_1")).Size(), 2u) << "on in the first cycle, off in the second";
    EXPECT_EQ(trend_->History(PointOf("DI_16")).Size(), 1u) << "off all along";
    EXPECT_EQ(trend_->ChannelsOfSlot(3), (std::vector<std::size_t>{analog, PointOf("AI_2")}));

    // The walk as events: the first values at the start, then one bit off and the next on.
    const auto first = EventsOf("DI_1");
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].source, EventSource::TestStart);
    EXPECT_EQ(first[0].oldValue, "");
    EXPECT_EQ(first[0].newValue, "1");
    EXPECT_EQ(first[1].source, EventSource::InputRead);
    EXPECT_EQ(first[1].oldValue, "1");
    EXPECT_EQ(first[1].newValue, "0");
    EXPECT_EQ(first[1].ms, first[0].ms + 1000);
    const auto third = EventsOf("DI_3");
    ASSERT_EQ(third.size(), 3u);
    EXPECT_EQ(third[1].newValue, "1");
    EXPECT_EQ(third[2].newValue, "0");
    EXPECT_EQ(third[2].ms - third[1].ms, 1000);
    // The ramp moves in every cycle: it belongs to the trend, not to the log.
    EXPECT_EQ(EventsOf("AI_1").size(), 1u);
}

TEST_F(TrendEventsTest, OutputChangesNameWhoMadeThemUpToTheTestsEnd) {
    StartTest();
    CycleWith(0, 0);
    TModul& outputs = *model_->Module(4);
    ASSERT_EQ(ClickLed(outputs, 3, false), std::optional<bool>(true));
    CycleWith(0, 0);
    const auto clicked = EventsOf("DO_3");
    ASSERT_EQ(clicked.size(), 2u);
    EXPECT_EQ(clicked[1].source, EventSource::LedClick);
    EXPECT_EQ(clicked[1].oldValue, "0");
    EXPECT_EQ(clicked[1].newValue, "1");
    EXPECT_TRUE(clicked[1].output);
    // The analog output's dialog puts its word into the module's output data.
    model_->Module(5)->OutputData = "39,16";
    CycleWith(0, 0);
    const auto set = EventsOf("AO_1");
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[1].source, EventSource::Dialog);
    EXPECT_EQ(set[1].newValue, "10000");

    // The stop switches the output off: the test's end made that change.
    now_ += 1s;
    online_->OnlineCommand();
    ASSERT_FALSE(model_->Online);
    const auto stopped = EventsOf("DO_3");
    ASSERT_EQ(stopped.size(), 3u);
    EXPECT_EQ(stopped[2].source, EventSource::TestStop);
    EXPECT_EQ(stopped[2].newValue, "0");
    EXPECT_EQ(EventsOf("AO_1").back().source, EventSource::TestStop);

    // A new start logs the first values again.
    const std::size_t before = events_->Events().size();
    events_->Begin();
    station_->start();
    online_->OnlineCommand();
    ASSERT_TRUE(model_->Online) << ui_.panel1;
    station_->stop();
    online_->IoCycle();
    EXPECT_LT(0u, events_->Events().size());
    EXPECT_LT(events_->Events().size(), before + 100);
    for (const IoEvent& e : events_->Events()) EXPECT_EQ(e.source, EventSource::TestStart) << e.tag;
}

TEST_F(TrendEventsTest, ChangesSeenAfterALostConnectionNameTheReconnection) {
    StartTest();
    online_->Reconnect = true;
    CycleWith(0x0001, 0);
    simulator_.inject(sim::Fault::of(sim::FaultKind::CloseMidMessage, 0x0104));
    CycleWith(0x0001, 0);
    ASSERT_TRUE(online_->Reconnecting());
    // The input changed while the coupler was away.
    CycleWith(0x0002, 0);
    CycleWith(0x0002, 0);  // the retry two seconds on
    ASSERT_FALSE(online_->Reconnecting()) << ui_.panel1;
    CycleWith(0x0002, 0);
    const auto back = EventsOf("DI_2");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].source, EventSource::Reconnection);
    EXPECT_EQ(back[1].newValue, "1");
    CycleWith(0x0000, 0);
    EXPECT_EQ(EventsOf("DI_2").back().source, EventSource::InputRead) << "only the first cycle after the gap";
}

TEST_F(TrendEventsTest, AnErrorWordLeavesTheLineButIsLoggedAndWritten) {
    StartTest();
    std::vector<TrendReading> last;
    std::string rows = TrendCsvHeader();
    std::string error;
    auto file = TrendFile::Open(folder_ / "all.csv", &error);
    ASSERT_TRUE(file) << error;
    trend_->SetReadingsSink([&](const std::vector<TrendReading>& readings) {
        last = readings;
        for (const TrendReading& r : readings) rows += TrendCsvRow(trend_->Points()[r.point], r);
        file->Write(*trend_, readings);
    });
    CycleWith(0, 3000);
    CycleWith(0, 0x8002);
    // The file makes its rows its own quicker way: they are the same rows.
    EXPECT_EQ(FileText(folder_ / "all.csv"), rows);
    const std::size_t analog = PointOf("AI_1");
    EXPECT_EQ(trend_->History(analog).Size(), 1u);
    const auto reading = std::find_if(last.begin(), last.end(), [&](const TrendReading& r) { return r.point == analog; });
    ASSERT_NE(reading, last.end());
    const std::string row = TrendCsvRow(trend_->Points()[analog], *reading);
    EXPECT_NE(row.find(",32770,,,"), std::string::npos) << row;
    EXPECT_FALSE(reading->value.diagnostic.empty());
    EXPECT_NE(row.find(reading->value.diagnostic), std::string::npos) << row;
    const auto logged = EventsOf("AI_1");
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1].newValue, "8002h " + reading->value.diagnostic);
    CycleWith(0, 3100);
    EXPECT_EQ(EventsOf("AI_1").size(), 3u) << "the error went away";
    EXPECT_EQ(trend_->History(analog).Size(), 2u);
}

TEST_F(TrendEventsTest, EventFilesAndTheRecordsAppendixCarryTheEvents) {
    StartTest();
    IoTestRecorder recorder(*model_, [this] { return now_; });
    recorder.SetEventLog(events_.get());
    observers_.Add(&recorder);
    recorder.Begin(MakeRecordHeader(*model_, "test.prj", "station OK", "ready"));
    CycleWith(0x0001, 0);
    CycleWith(0x0002, 0);
    recorder.Finish("stopped by the user");
    const IoTestRecord& record = recorder.Record();
    ASSERT_EQ(record.events.size(), events_->Events().size());

    const std::string csv = IoTestRecordCsv(record);
    const std::size_t appendix = csv.find("\r\nevents\r\n" + IoEventsCsvHeader());
    ASSERT_NE(appendix, std::string::npos);
    EXPECT_NE(csv.find(",input,1,0,input read\r\n", appendix), std::string::npos) << csv.substr(appendix);

    const JsonParse json = ParseJson(IoTestRecordJson(record));
    ASSERT_TRUE(json.value) << json.error;
    const JsonValue* events = json.value->Member("events");
    ASSERT_TRUE(events != nullptr);
    ASSERT_EQ(events->items.size(), record.events.size());
    const JsonValue& change = events->items.back();
    EXPECT_EQ(change.Text("source"), "input read");
    EXPECT_EQ(change.Text("direction"), "input");
    const JsonValue& start = events->items.front();
    EXPECT_EQ(start.Member("old")->kind, JsonValue::Kind::Null);
    EXPECT_EQ(start.Text("source"), "test start");

    const JsonParse alone = ParseJson(IoEventsJson(events_->Events()));
    ASSERT_TRUE(alone.value) << alone.error;
    EXPECT_EQ(alone.value->items.size(), events_->Events().size());
    EXPECT_EQ(ParseJson(IoEventsJson({})).value->items.size(), 0u);

    EventFilter filter{"di_2", EventSource::InputRead};
    const auto passed = std::count_if(events_->Events().begin(), events_->Events().end(),
                                      [&](const IoEvent& e) { return filter.Passes(e); });
    EXPECT_EQ(passed, 1);
    EXPECT_EQ(std::count_if(events_->Events().begin(), events_->Events().end(),
                            [](const IoEvent& e) { return EventFilter{"", EventSource::TestStop}.Passes(e); }),
              0);
}

TEST_F(TrendEventsTest, TheTrendFileSaysWhyItCannotBeWrittenAndStopsWriting) {
    StartTest();
    std::string error;
    EXPECT_FALSE(TrendFile::Open(folder_ / "missing" / "trend.csv", &error));
    EXPECT_EQ(error, "cannot write " + (folder_ / "missing" / "trend.csv").string() + ": No such file or directory");
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to fill";
    auto full = TrendFile::Open("/dev/full", &error);
    if (full) {
        trend_->SetReadingsSink([&](const std::vector<TrendReading>& readings) { full->Write(*trend_, readings); });
        CycleWith(0, 0);
        EXPECT_TRUE(full->Failed());
        EXPECT_NE(full->Error().find("No space left on device"), std::string::npos) << full->Error();
        EXPECT_EQ(full->Rows(), 0u);
    } else {
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    }
}

TEST_F(TrendEventsTest, ARecordingOfPickedPointsAndAnExportOfTheHistory) {
    StartTest();
    std::string error;
    auto file = TrendFile::Open(folder_ / "picked.csv", &error);
    ASSERT_TRUE(file) << error;
    const std::size_t analog = PointOf("AI_1");
    file->Only({analog, PointOf("DI_1")});
    trend_->SetReadingsSink([&](const std::vector<TrendReading>& readings) { file->Write(*trend_, readings); });
    for (int k = 0; k < 3; ++k) CycleWith(static_cast<std::uint16_t>(k & 1), static_cast<std::uint16_t>(2000 * k));
    EXPECT_EQ(file->Rows(), 6u);
    EXPECT_EQ(testing::CrlfLines(FileText(folder_ / "picked.csv")).size(), 7u);

    const TrendTime from = std::chrono::duration_cast<std::chrono::milliseconds>(now_.time_since_epoch()).count() - 1500;
    const auto exported = testing::CrlfLines(TrendHistoryCsv(*trend_, {analog}, from, from + 10000));
    ASSERT_EQ(exported.size(), 3u) << "the last two cycles";
    EXPECT_NE(exported[2].find("," + trend_->Points()[analog].tag + ",,"), std::string::npos) << exported[2];
    EXPECT_NE(exported[2].find(",V,"), std::string::npos) << exported[2];
}

TEST(CyclePacer, OffersFourIntervalsAndSaysWhenACycleDoesNotFit) {
    CyclePacer pacer(250);
    EXPECT_EQ(pacer.IntervalMs(), 250);
    EXPECT_FALSE(pacer.CycleTook(249ms));
    EXPECT_TRUE(pacer.OverrunText().empty());
    EXPECT_TRUE(pacer.CycleTook(312ms));
    EXPECT_EQ(pacer.OverrunText(), "cycle took 312 ms, longer than the 250 ms interval: the test waits for the next turn");
    EXPECT_FALSE(pacer.CycleTook(100ms));
    EXPECT_TRUE(pacer.OverrunText().empty());
    EXPECT_EQ(pacer.Overruns(), 1);
    EXPECT_DOUBLE_EQ(pacer.LongestMs(), 312);
    pacer.SetInterval(300);
    EXPECT_EQ(pacer.IntervalMs(), CyclePacer::kDefaultIntervalMs) << "not an offered interval";
    EXPECT_TRUE(CyclePacer::Offered(100));
    EXPECT_FALSE(CyclePacer::Offered(0));
}

}  // namespace
}  // namespace korvo
