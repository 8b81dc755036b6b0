// The trend plots, the trend window and the event log window, fed through the cycle's
// observer calls on a small station; then the main window against the simulated
// coupler: live trends, the I/O test interval in the settings, and an overrun.
// trend_window_screenshot.cpp takes the picture of the trend window.

#include "program_folder.h"
#include "simulated_coupler.h"

#include "docs/windows/io_test_record_painter.h"
#include "online/io_event_log.h"
#include "online/io_test_record.h"
#include "online/online_operation.h"
#include "online/trend_history.h"
#include "online/windows/event_log_window.h"
#include "online/windows/io_test_feed.h"
#include "online/windows/trend_chart.h"
#include "online/windows/trend_pane.h"
#include "online/windows/trend_window.h"
#include "dialogs/windows/frm_korvo_ai_2.h"
#include "random_loopback.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"
#include "korvo_sim/fault.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <numeric>

using namespace std::chrono_literals;

namespace {

const std::string kAddress = RandomLoopbackAddress();

QByteArray ReadAll(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// Coupler, two analog channels with their scale, four digital inputs, four outputs.
class SmallStation {
public:
    SmallStation()
        : catalogue_(korvo::ProfileFile::Load(KORVO_TEST_DATA_DIR "/korvo_config.ini")),
          model_(&catalogue_, KORVO_TEST_DATA_DIR "/"),
          trends_(model_, [this] { return now_; }),
          events_(model_, [this] { return now_; }),
          feed_([this] { return &trends_; }, [this] { return &events_; }) {
        korvo::LoadProject(model_, korvo::ProfileFile::FromText(
                                       "[Module]\nAnzahl=4\nName1=KORVO NC ETH\nName2=KORVO AI 2\nName3=KORVO DI 4\n"
                                       "Name4=KORVO DO 4\n[Parameter]\nName1=\nName2=0,0,\nName3=\nName4=\n"
                                       "[Station1]\nStation Name=Small\nIPAddress=127.0.0.1\n"));
        model_.CurrentStation = 1;
        model_.CurrentCouplerModule = 1;
        trends_.SetChanged([this] { feed_.NotifyTrendsChanged(); });
        trends_.SetReadingsSink([this](const std::vector<korvo::TrendReading>& r) { feed_.NotifyReadings(r); });
        events_.SetSink([this](const korvo::IoEvent&) { feed_.NotifyEventLogged(); });
    }

    void Begin() {
        trends_.Begin(1000);
        events_.Begin();
        feed_.NotifyBegun();
        trends_.TestStarted();
        events_.TestStarted();
    }

    // One cycle one second after the last: the analog words a noisy ramp, the digital
    // inputs counting in binary.
    void Cycle() {
        now_ += 1s;
        ++cycles_;
        std::vector<std::uint8_t> image(64, 0);
        for (const korvo::TrendPoint& p : trends_.Points()) {
            if (p.output) continue;
            const int byte = p.point.entry.byte;
            if (p.digital) {
                if ((cycles_ >> p.point.entry.bit & 1) != 0) image[static_cast<std::size_t>(byte)] |= 1u << p.point.entry.bit;
            } else {
                const int word = 4000 + 100 * (cycles_ % 50) + p.channel;
                image[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(word >> 8);
                image[static_cast<std::size_t>(byte) + 1] = static_cast<std::uint8_t>(word);
            }
        }
        for (korvo::IoCycleObserver* o : {static_cast<korvo::IoCycleObserver*>(&trends_),
                                          static_cast<korvo::IoCycleObserver*>(&events_)}) {
            o->InputsRead(image.data(), static_cast<int>(image.size()));
            std::vector<std::uint8_t> outputs(8, 0);
            o->OutputsWritten(outputs.data(), static_cast<int>(outputs.size()));
            o->CycleEnded();
        }
    }

    korvo::TrendHistory& Trends() { return trends_; }
    korvo::IoEventLog& Events() { return events_; }
    korvo::IoTestFeed& Feed() { return feed_; }
    korvo::StationModel& Model() { return model_; }
    korvo::TrendTime NowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_.time_since_epoch()).count();
    }

private:
    korvo::ProfileFile catalogue_;
    korvo::StationModel model_;
    std::chrono::system_clock::time_point now_{std::chrono::seconds(1'800'000'000)};
    int cycles_ = 0;
    korvo::TrendHistory trends_;
    korvo::IoEventLog events_;
    korvo::IoTestFeed feed_;
};

std::size_t PointOf(const korvo::TrendHistory& history, bool digital) {
    for (std::size_t i = 0; i < history.Points().size(); ++i) {
        const korvo::TrendPoint& p = history.Points()[i];
        if (p.digital == digital && !p.output) return i;
    }
    return history.Points().size();
}

// The view ends at the first column boundary at or after the newest sample.
bool EndsAt(korvo::TrendTime viewTo, korvo::TrendTime newest, std::chrono::milliseconds span) {
    return viewTo >= newest && viewTo - newest < span.count() / 50;
}

// The pane of the station's slot 2, shown, after a test began and ran that many cycles.
void ShowAfterCycles(SmallStation& station, korvo::TrendPane& pane, int cycles) {
    pane.SetFeed(&station.Feed());
    pane.ShowSlot(2);
    pane.show();
    station.Begin();
    for (int i = 0; i < cycles; ++i) station.Cycle();
}

}  // namespace

class TrendWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void PaneShowsEachChannelOfItsModuleAfterTheTestBegan();
    void DigitalPointsAreDrawnAsStepsInLanesOfTheirOwn();
    void PauseFreezesTheViewWhileTheHistoryGrows();
    void TimeWindowSetsTheTimeAxis();
    void ExportsWriteWholeFilesAndARefusedPathLeavesNothing();
    void TrendWindowPicksByTagAndRecordsOnlyThePickedPoints();
    void EventLogFiltersByTagAndSource();
    void RecordPdfCarriesTheEventsWithoutAHeadingAlone();
    void MainWindowShowsLiveTrendsAndKeepsTheInterval();
    void SlowCycleShowsTheOverrunInTheStatusBar();
};

void TrendWindowsTest::initTestCase() {
    // The interval goes into the user's settings; the test's own, not the real ones.
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("korvo"), QStringLiteral("KorvoConfigurator"))
        .remove(QString::fromLatin1(korvo::TMainForm::kIntervalKey));
}

void TrendWindowsTest::PaneShowsEachChannelOfItsModuleAfterTheTestBegan() {
    SmallStation station;
    korvo::TrendPane pane(false);
    pane.SetFeed(&station.Feed());
    pane.ShowSlot(2);
    pane.resize(800, 400);
    pane.show();
    auto* noTrend = pane.findChild<QLabel*>(QStringLiteral("LaNoTrend"));
    QVERIFY(noTrend->isVisible());
    QCOMPARE(noTrend->text(), QStringLiteral("no trend: the I/O test is not running"));

    station.Begin();
    for (int i = 0; i < 30; ++i) station.Cycle();
    QVERIFY(!noTrend->isVisible());
    const std::vector<std::size_t> channels = station.Trends().ChannelsOfSlot(2);
    QCOMPARE(channels.size(), std::size_t{2});
    korvo::TrendChart* chart = pane.Chart();
    QTRY_COMPARE(chart->SeriesAt(1) != nullptr && chart->SeriesAt(1)->count() == 30, true);
    QCOMPARE(chart->chart()->series().size(), 2);
    for (std::size_t n = 0; n < 2; ++n) {
        const QLineSeries* series = chart->SeriesAt(n);
        QCOMPARE(series->count(), 30);
        QVERIFY2(series->name().contains(QString::fromStdString(station.Trends().Points()[channels[n]].tag)),
                 qPrintable(series->name()));
        // The newest sample is the last cycle's, at the right end of the view.
        QCOMPARE(static_cast<korvo::TrendTime>(series->at(29).x()), station.NowMs());
        const auto& ring = station.Trends().History(channels[n]);
        QCOMPARE(series->at(29).y(), ring.Newest().value);
    }
    // The "1 h" window is the longest a properties window offers.
    auto* spans = pane.findChild<QComboBox*>(QStringLiteral("ComboTimeWindow"));
    QCOMPARE(spans->currentText(), QStringLiteral("10 min"));
    QCOMPARE(spans->count(), 3);
}

void TrendWindowsTest::DigitalPointsAreDrawnAsStepsInLanesOfTheirOwn() {
    SmallStation station;
    station.Begin();
    for (int i = 0; i < 8; ++i) station.Cycle();
    const std::size_t first = PointOf(station.Trends(), true);
    QVERIFY(first < station.Trends().Points().size());
    korvo::TrendChart chart;
    chart.resize(800, 400);
    chart.Show(&station.Trends(), {first, first + 1});
    chart.Redraw();
    for (std::size_t lane = 0; lane < 2; ++lane) {
        const QLineSeries* series = chart.SeriesAt(lane);
        QVERIFY(series->count() > 2);
        const double base = static_cast<double>(lane) * korvo::TrendChart::kLaneStep;
        bool edge = false;
        for (int i = 0; i < series->count(); ++i) {
            const QPointF p = series->at(i);
            QVERIFY2(p.y() == base || p.y() == base + 1, qPrintable(QString::number(p.y())));
            // A change is a vertical edge: two points at one time.
            if (i > 0 && series->at(i - 1).x() == p.x() && series->at(i - 1).y() != p.y()) edge = true;
            // Never a slope between two values.
            if (i > 0 && series->at(i - 1).y() != p.y()) QCOMPARE(series->at(i - 1).x(), p.x());
        }
        QVERIFY(edge);
        // The last value is held to the end of the view.
        QCOMPARE(static_cast<korvo::TrendTime>(series->at(series->count() - 1).x()), chart.ViewTo());
    }
}

void TrendWindowsTest::PauseFreezesTheViewWhileTheHistoryGrows() {
    SmallStation station;
    korvo::TrendPane pane(false);
    pane.SetFeed(&station.Feed());
    pane.ShowSlot(2);
    // A column per second of the ten minutes: every sample is drawn.
    pane.resize(1000, 400);
    pane.show();
    station.Begin();
    for (int i = 0; i < 5; ++i) station.Cycle();
    korvo::TrendChart* chart = pane.Chart();
    QTRY_COMPARE(chart->SeriesAt(0)->count(), 5);
    const korvo::TrendTime frozen = chart->ViewTo();
    pane.findChild<QCheckBox*>(QStringLiteral("CheckPause"))->setChecked(true);
    const int redraws = chart->Redraws();
    for (int i = 0; i < 5; ++i) station.Cycle();
    QTest::qWait(50);
    QCOMPARE(chart->Redraws(), redraws);
    QCOMPARE(chart->ViewTo(), frozen);
    QCOMPARE(chart->SeriesAt(0)->count(), 5);
    // Recording went on: the history has every cycle.
    QCOMPARE(station.Trends().History(station.Trends().ChannelsOfSlot(2)[0]).Size(), std::size_t{10});
    pane.findChild<QCheckBox*>(QStringLiteral("CheckPause"))->setChecked(false);
    QVERIFY(EndsAt(chart->ViewTo(), station.NowMs(), 10min));
    QCOMPARE(chart->SeriesAt(0)->count(), 10);
}

void TrendWindowsTest::TimeWindowSetsTheTimeAxis() {
    SmallStation station;
    korvo::TrendPane pane(true);
    ShowAfterCycles(station, pane, 90);
    auto* spans = pane.findChild<QComboBox*>(QStringLiteral("ComboTimeWindow"));
    QCOMPARE(spans->count(), 4);
    const auto axisSpan = [&] {
        const QDateTimeAxis* axis = pane.Chart()->TimeAxis();
        return axis->min().msecsTo(axis->max());
    };
    spans->setCurrentText(QStringLiteral("1 min"));
    QCOMPARE(axisSpan(), 60'000);
    QVERIFY(EndsAt(pane.Chart()->TimeAxis()->max().toMSecsSinceEpoch(), station.NowMs(), 1min));
    // 90 cycles, a minute shown: every sample in it, one a column, and the one that enters it.
    const korvo::PointRing& first = station.Trends().History(station.Trends().ChannelsOfSlot(2)[0]);
    const int inView = static_cast<int>(first.Size() - first.LowerBound(pane.Chart()->ViewFrom()));
    QVERIFY(inView >= 60);
    QCOMPARE(pane.Chart()->SeriesAt(0)->count(), inView + 1);
    spans->setCurrentText(QStringLiteral("1 h"));
    QCOMPARE(axisSpan(), 3'600'000);
    // Several samples a column now: fewer points, but the highest and the lowest stay.
    const QLineSeries* series = pane.Chart()->SeriesAt(0);
    QVERIFY(series->count() < 90);
    const korvo::PointRing& ring = station.Trends().History(station.Trends().ChannelsOfSlot(2)[0]);
    double low = ring.At(0).value, high = low, drawnLow = series->at(0).y(), drawnHigh = drawnLow;
    for (std::size_t i = 0; i < ring.Size(); ++i) {
        low = std::min(low, ring.At(i).value);
        high = std::max(high, ring.At(i).value);
    }
    for (int i = 0; i < series->count(); ++i) {
        drawnLow = std::min(drawnLow, series->at(i).y());
        drawnHigh = std::max(drawnHigh, series->at(i).y());
    }
    QCOMPARE(drawnLow, low);
    QCOMPARE(drawnHigh, high);
    spans->setCurrentText(QStringLiteral("24 h"));
    QCOMPARE(axisSpan(), 86'400'000);
}

void TrendWindowsTest::ExportsWriteWholeFilesAndARefusedPathLeavesNothing() {
    SmallStation station;
    korvo::TrendPane pane(false);
    ShowAfterCycles(station, pane, 4);
    QTemporaryDir out;
    QVERIFY(pane.ExportCsv(out.filePath(QStringLiteral("trend.csv"))));
    const QByteArray csv = ReadAll(out.filePath(QStringLiteral("trend.csv")));
    QVERIFY2(csv.startsWith("time,tag,raw,value,unit,diagnostic\r\n"), csv.constData());
    // Two channels, four cycles: a row each.
    QCOMPARE(csv.count("\r\n"), 1 + 8);
    const QByteArray tag = QByteArray::fromStdString(station.Trends().Points()[station.Trends().ChannelsOfSlot(2)[1]].tag);
    QVERIFY2(csv.contains(tag), csv.constData());
    auto* result = pane.findChild<QLabel*>(QStringLiteral("LaTrendResult"));
    QVERIFY(result->text().contains(QStringLiteral("trend.csv")));

    QVERIFY(pane.ExportPng(out.filePath(QStringLiteral("trend.png"))));
    QVERIFY(ReadAll(out.filePath(QStringLiteral("trend.png"))).startsWith("\x89PNG"));

    // A folder stands where the file would go: refused, reported, nothing left.
    QVERIFY(QDir(out.path()).mkdir(QStringLiteral("taken.csv")));
    const QStringList before = QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QVERIFY(!pane.ExportCsv(out.filePath(QStringLiteral("taken.csv"))));
    QVERIFY(!pane.ExportPng(out.filePath(QStringLiteral("taken.csv"))));
    QVERIFY(!result->text().isEmpty());
    QVERIFY2(!result->text().startsWith(QStringLiteral("written")), qPrintable(result->text()));
    QCOMPARE(result->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    QVERIFY(QFileInfo(out.filePath(QStringLiteral("taken.csv"))).isDir());
}

void TrendWindowsTest::TrendWindowPicksByTagAndRecordsOnlyThePickedPoints() {
    SmallStation station;
    korvo::TfrmTrend window;
    window.Bind(station.Feed());
    window.show();
    station.Begin();
    station.Cycle();
    auto* list = window.findChild<QListWidget*>(QStringLiteral("ListPoints"));
    QCOMPARE(list->count(), static_cast<int>(station.Trends().Points().size()));
    const korvo::TrendPoint& analog = station.Trends().Points()[station.Trends().ChannelsOfSlot(2)[0]];
    const korvo::TrendPoint& digital = station.Trends().Points()[PointOf(station.Trends(), true)];
    const QString analogTag = QString::fromStdString(analog.tag);
    const QString digitalTag = QString::fromStdString(digital.tag);

    // The filter narrows the list to what contains the text, in any case.
    window.findChild<QLineEdit*>(QStringLiteral("EdTagFilter"))->setText(analogTag.toLower());
    int shown = 0;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isHidden()) continue;
        ++shown;
        QVERIFY2(list->item(row)->text().startsWith(analogTag), qPrintable(list->item(row)->text()));
    }
    QCOMPARE(shown, 1);

    QVERIFY(window.Pick(analogTag, true));
    QVERIFY(window.Pick(digitalTag, true));
    QVERIFY(!window.Pick(QStringLiteral("no such tag"), true));
    QCOMPARE(window.Picked().size(), std::size_t{2});
    korvo::TrendChart* chart = window.Pane()->Chart();
    QCOMPARE(chart->chart()->series().size(), 2);
    // Analog and digital points each get their axis: the unit's and the lanes'.
    QCOMPARE(chart->chart()->axes(Qt::Vertical).size(), 2);

    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("recorded.csv"));
    QVERIFY(window.StartRecording(file));
    for (int i = 0; i < 3; ++i) station.Cycle();
    auto* label = window.findChild<QLabel*>(QStringLiteral("LaRecording"));
    QVERIFY2(label->text().contains(QStringLiteral("6 rows")), qPrintable(label->text()));
    station.Feed().NotifyEnded();
    QVERIFY(!window.Recording());
    QVERIFY2(label->text().startsWith(QStringLiteral("recorded 6 rows")), qPrintable(label->text()));
    const QByteArray rows = ReadAll(file);
    QCOMPARE(rows.count("\r\n"), 1 + 6);
    QCOMPARE(rows.count(analogTag.toUtf8() + ','), 3);
    QCOMPARE(rows.count(digitalTag.toUtf8() + ','), 3);

    // A file that cannot be made is reported in the window.
    station.Begin();
    QVERIFY(window.Pick(analogTag, true));
    QVERIFY(!window.StartRecording(out.path()));
    QVERIFY(!window.Recording());
    QVERIFY2(label->text().contains(out.path()), qPrintable(label->text()));
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
}

void TrendWindowsTest::EventLogFiltersByTagAndSource() {
    SmallStation station;
    korvo::TfrmEventLog window;
    window.Bind(station.Feed());
    window.show();
    station.Begin();
    for (int i = 0; i < 4; ++i) station.Cycle();
    korvo::IoEventTable* table = window.Table();
    const std::vector<korvo::IoEvent>& events = station.Events().Events();
    QVERIFY(events.size() > 8);
    QTRY_COMPARE(table->rowCount(), static_cast<int>(events.size()));
    QCOMPARE(table->index(0, korvo::IoEventTable::Source).data().toString(),
             QString::fromLatin1(korvo::EventSourceName(events[0].source)));
    // Milliseconds are shown.
    QVERIFY2(table->index(0, korvo::IoEventTable::Time).data().toString().contains(QLatin1Char('.')),
             qPrintable(table->index(0, korvo::IoEventTable::Time).data().toString()));

    const std::string tag = station.Trends().Points()[PointOf(station.Trends(), true)].tag;
    window.findChild<QLineEdit*>(QStringLiteral("EdTagFilter"))->setText(QString::fromStdString(tag));
    const auto count = [&](const std::function<bool(const korvo::IoEvent&)>& passes) {
        return static_cast<int>(std::count_if(events.begin(), events.end(), passes));
    };
    QCOMPARE(table->rowCount(), count([&](const korvo::IoEvent& e) { return e.tag.find(tag) != std::string::npos; }));
    QVERIFY(table->rowCount() > 0);
    for (int row = 0; row < table->rowCount(); ++row) QVERIFY(table->EventAt(row).tag.find(tag) != std::string::npos);

    auto* source = window.findChild<QComboBox*>(QStringLiteral("ComboSource"));
    QCOMPARE(source->count(), 7);
    QCOMPARE(source->itemText(0), QStringLiteral("all"));
    window.findChild<QLineEdit*>(QStringLiteral("EdTagFilter"))->clear();
    source->setCurrentText(QString::fromLatin1(korvo::EventSourceName(korvo::EventSource::InputRead)));
    const int inputReads = count([](const korvo::IoEvent& e) { return e.source == korvo::EventSource::InputRead; });
    QVERIFY(inputReads > 0 && inputReads < static_cast<int>(events.size()));
    QCOMPARE(table->rowCount(), inputReads);

    // New events arrive while filtered: only those that pass are added.
    station.Cycle();
    QTRY_COMPARE(table->rowCount(),
                 count([](const korvo::IoEvent& e) { return e.source == korvo::EventSource::InputRead; }));

    QTemporaryDir out;
    QVERIFY(window.ExportCsv(out.filePath(QStringLiteral("events.csv"))));
    QVERIFY(window.ExportJson(out.filePath(QStringLiteral("events.json"))));
    const QByteArray csv = ReadAll(out.filePath(QStringLiteral("events.csv")));
    QCOMPARE(csv.count("\r\n"), 1 + table->rowCount());
    QVERIFY(!csv.contains("test start"));
    QVERIFY(ReadAll(out.filePath(QStringLiteral("events.json"))).contains("\"source\": \"input read\""));
    QVERIFY(!window.ExportCsv(out.path()));
}

void TrendWindowsTest::RecordPdfCarriesTheEventsWithoutAHeadingAlone() {
    korvo::IoTestRecord record;
    for (int i = 0; i < 30; ++i) {
        korvo::PointRecord point;
        point.entry.tag = "P_" + std::to_string(i);
        record.points.push_back(point);
    }
    const auto eventsOf = [&](int n) {
        record.events.clear();
        for (int i = 0; i < n; ++i) {
            korvo::IoEvent event;
            event.ms = 1'800'000'000'000 + i;
            event.tag = "E_" + std::to_string(i);
            event.newValue = "1";
            record.events.push_back(event);
        }
        return korvo::IoTestRecordEventRows(record);
    };
    QCOMPARE(eventsOf(0).size(), korvo::IoTestRecordPageRows(record).size());
    for (int n : {1, 2, 5, 30, 31, 32, 33, 34, 35, 36, 40, 80, 200}) {
        const std::vector<int> rows = eventsOf(n);
        QCOMPARE(static_cast<int>(rows.size()), korvo::IoTestRecordPageCount(record));
        QCOMPARE(std::accumulate(rows.begin(), rows.end(), 0), n);
        // Pages after the points' pages hold events and nothing else.
        for (std::size_t page = korvo::IoTestRecordPageRows(record).size(); page < rows.size(); ++page)
            QVERIFY2(rows[page] > 0, qPrintable(QStringLiteral("%1 events, page %2").arg(n).arg(page + 1)));
    }
    // Every page paints, the appendix too.
    const double pixelsPerMm = 2;
    QImage page(static_cast<int>(210 * pixelsPerMm), static_cast<int>(297 * pixelsPerMm), QImage::Format_RGB32);
    for (int p = 0; p < korvo::IoTestRecordPageCount(record); ++p) {
        page.fill(Qt::white);
        QPainter painter(&page);
        korvo::PaintIoTestRecordPage(painter, record, p, pixelsPerMm);
    }
}

void TrendWindowsTest::MainWindowShowsLiveTrendsAndKeepsTheInterval() {
    DemoOnline demo(kAddress);
    korvo::TMainForm form(demo.folder.Path(), demo.Seams());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QCOMPARE(form.IoTestIntervalMs(), 1000);
    QCOMPARE(form.findChild<QTimer*>(QStringLiteral("TimerReadWrite"))->interval(), 1000);

    Action(form, "MenuInterval250")->trigger();
    QCOMPARE(form.findChild<QTimer*>(QStringLiteral("TimerReadWrite"))->interval(), 250);
    QCOMPARE(form.Online()->CycleIntervalMs, 250);
    QVERIFY(Action(form, "MenuInterval250")->isChecked());
    QVERIFY(!Action(form, "MenuInterval1000")->isChecked());
    QCOMPARE(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("korvo"),
                       QStringLiteral("KorvoConfigurator"))
                 .value(QString::fromLatin1(korvo::TMainForm::kIntervalKey))
                 .toInt(),
             250);

    Action(form, "MenuTrend")->trigger();
    korvo::TfrmTrend* trend = form.frmTrend();
    QVERIFY(trend->isVisible());
    QVERIFY(trend->Pane()->findChild<QLabel*>(QStringLiteral("LaNoTrend"))->isVisible());

    Action(form, "ToolTest")->trigger();
    QVERIFY(form.frmKonfig()->Model().Online);
    // The AI 2 in slot 8 of the demo station.
    const std::vector<std::size_t> channels = form.Trends()->ChannelsOfSlot(8);
    QCOMPARE(channels.size(), std::size_t{2});
    const QString tag = QString::fromStdString(form.Trends()->Points()[channels[0]].tag);
    QVERIFY(trend->Pick(tag, true));
    for (int second = 0; second < 5; ++second) {
        demo.coupler.Station().update(std::chrono::milliseconds(second * 1000));
        form.TimerReadWriteTimer();
    }
    korvo::TrendChart* chart = trend->Pane()->Chart();
    QTRY_COMPARE(chart->SeriesAt(0)->count(), 5);
    QCOMPARE(chart->SeriesAt(0)->at(4).y(), form.Trends()->History(channels[0]).Newest().value);

    // The properties window of the module plots both its channels.
    form.frmKonfig()->Model().CurrentModule = 8;
    form.ShowProperties("KORVO AI 2");
    auto* ai2 = form.findChild<korvo::TfrmKorvo_AI_2*>();
    QVERIFY(ai2->isVisible());
    korvo::TrendChart* paneChart = ai2->Trends()->Chart();
    QTRY_COMPARE(paneChart->chart()->series().size(), 2);
    QTRY_COMPARE(paneChart->SeriesAt(1)->count(), 5);
    demo.coupler.Station().update(5000ms);
    form.TimerReadWriteTimer();
    QTRY_COMPARE(paneChart->SeriesAt(1)->count(), 6);
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    QVERIFY(ai2->grab().save(QStringLiteral(KORVO_SCREENSHOT_DIR "/dialog-ai2-trend.png"), "PNG"));

    Action(form, "MenuEventLog")->trigger();
    QTRY_VERIFY(form.frmEventLog()->Table()->rowCount() > 0);
    QCOMPARE(form.frmEventLog()->Table()->rowCount(), static_cast<int>(form.EventLog()->Events().size()));
    QVERIFY(form.frmEventLog()->grab().save(QStringLiteral(KORVO_SCREENSHOT_DIR "/event-log.png"), "PNG"));

    Action(form, "ToolTest")->trigger();
    QVERIFY(!form.frmKonfig()->Model().Online);
    QVERIFY(!form.TestFeed()->Running());
    // The record carries the log's events for its appendix.
    QCOMPARE(form.IoRecorder()->Record().events.size(), form.EventLog()->Events().size());
    QVERIFY(demo.boxes.boxes.isEmpty());
}

void TrendWindowsTest::SlowCycleShowsTheOverrunInTheStatusBar() {
    DemoOnline demo(kAddress);
    // A new program starts at the interval the user chose last time.
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("korvo"), QStringLiteral("KorvoConfigurator"))
        .setValue(QString::fromLatin1(korvo::TMainForm::kIntervalKey), 500);
    korvo::TMainForm form(demo.folder.Path(), demo.Seams());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QCOMPARE(form.IoTestIntervalMs(), 500);
    QCOMPARE(form.findChild<QTimer*>(QStringLiteral("TimerReadWrite"))->interval(), 500);
    QVERIFY(Action(form, "MenuInterval500")->isChecked());
    Action(form, "MenuInterval100")->trigger();
    Action(form, "ToolTest")->trigger();
    QVERIFY(form.frmKonfig()->Model().Online);
    auto* overrun = form.findChild<QLabel*>(QStringLiteral("StatusOverrun"));
    form.TimerReadWriteTimer();
    QVERIFY(!overrun->isVisible());

    constexpr std::uint16_t kRead = 0x0104;
    demo.coupler.Simulator().inject(korvo::sim::Fault::late(kRead, 300ms));
    form.TimerReadWriteTimer();
    QVERIFY(overrun->isVisible());
    QVERIFY2(overrun->text().contains(QStringLiteral("longer than the 100 ms interval")), qPrintable(overrun->text()));
    QVERIFY(form.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->toPlainText().contains(overrun->text()));
    // Panel 1 keeps its cycle text.
    QVERIFY(!form.findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text().contains(QStringLiteral("longer than")));

    form.TimerReadWriteTimer();
    QVERIFY(!overrun->isVisible());
    Action(form, "ToolTest")->trigger();
    Action(form, "MenuInterval1000")->trigger();
    QVERIFY(demo.boxes.boxes.isEmpty());
}

QTEST_MAIN(TrendWindowsTest)
#include "trend_windows_test.moc"
