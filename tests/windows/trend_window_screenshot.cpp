// The trend window during an I/O test of the demo station against the simulated
// coupler, its inputs alive, at the 100 ms interval: the picture in
// screenshots/trend-window.png of the build folder. The suite runs it for 6 s;
// KORVO_TREND_SECONDS=45 gives the longer lines of docs/trend-window.png.

#include "program_folder.h"
#include "simulated_coupler.h"

#include "online/trend_history.h"
#include "online/windows/trend_chart.h"
#include "online/windows/trend_pane.h"
#include "online/windows/trend_window.h"
#include "random_loopback.h"

#include <QComboBox>
#include <QtGlobal>
#include <QDir>
#include <QLineSeries>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

using namespace std::chrono_literals;

class TrendWindowScreenshot : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void LiveTrendOfTheDemoStation();
};

void TrendWindowScreenshot::LiveTrendOfTheDemoStation() {
    QStandardPaths::setTestModeEnabled(true);
    const std::string address = RandomLoopbackAddress();
    DemoOnline demo(address);
    demo.coupler.Station().start();
    korvo::TMainForm form(demo.folder.Path(), demo.Seams());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    Action(form, "MenuInterval100")->trigger();
    Action(form, "ToolTest")->trigger();
    QVERIFY(form.frmKonfig()->Model().Online);
    Action(form, "MenuTrend")->trigger();
    korvo::TfrmTrend* trend = form.frmTrend();
    trend->resize(1100, 600);
    // The analog input's two channels and a digital input.
    const korvo::TrendHistory& history = *form.Trends();
    for (std::size_t c : history.ChannelsOfSlot(8)) QVERIFY(trend->Pick(QString::fromStdString(history.Points()[c].tag), true));
    QVERIFY(trend->Pick(QStringLiteral("PumpHouse_M2_DI_1"), true));
    trend->Pane()->findChild<QComboBox*>(QStringLiteral("ComboTimeWindow"))->setCurrentText(QStringLiteral("1 min"));
    const int seconds = std::clamp(qEnvironmentVariableIntValue("KORVO_TREND_SECONDS"), 0, 600);
    QTest::qWait((seconds > 0 ? seconds : 6) * 1000);
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    QVERIFY(trend->grab().save(QStringLiteral(KORVO_SCREENSHOT_DIR "/trend-window.png"), "PNG"));
    // Live values: the line has moved through many cycles.
    const korvo::PointRing& ring = history.History(history.ChannelsOfSlot(8)[0]);
    QVERIFY2(ring.Size() > 30, qPrintable(QString::number(ring.Size())));
    QVERIFY(trend->Pane()->Chart()->SeriesAt(1)->count() > 20);
    Action(form, "ToolTest")->trigger();
    Action(form, "MenuInterval1000")->trigger();
    QVERIFY(demo.boxes.boxes.isEmpty());
}

QTEST_MAIN(TrendWindowScreenshot)
#include "trend_window_screenshot.moc"
