// The temperature dialogs while the I/O test runs against the simulated coupler: the
// TC 8 dialog's read command reaches the module and its answer shows as a
// temperature; and each of the five dialogs is rendered with live values and a
// simulated channel fault to a PNG in screenshots/ of the build folder.

#include "program_folder.h"
#include "simulated_coupler.h"
#include "temperature_station.h"

#include "dialogs/windows/multi_channel_temperature_window.h"
#include "dialogs/windows/two_channel_temperature_window.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>

#include <chrono>
#include <string>

#include <unistd.h>

using korvo::TMainForm;

namespace {

// A loopback address of this process's own, so parallel tests never share a coupler.
std::string OwnAddress() {
    const auto pid = static_cast<unsigned>(::getpid());
    return "127.31." + std::to_string(pid / 250 % 250 + 1) + "." + std::to_string(pid % 250 + 1);
}

struct OnlineStation {
    explicit OnlineStation(korvo::sim::StationOptions options = {})
        : address(OwnAddress()),
          folder(TemperatureStation(address)),
          coupler(address, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                  folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString(), options),
          form(folder.Path(), korvo::OnlineSeams{&pinger, &clock}) {
        pinger.reachable.insert(address);
        form.show();
    }

    bool GoOnline() {
        if (form.frmKonfig() == nullptr) return false;
        Action(form, "ToolTest")->trigger();
        return form.frmKonfig()->Model().Online;
    }

    template <typename Window>
    Window* Open(int slot, const char* name) {
        QTest::mouseDClick(Picture(form, slot), Qt::LeftButton);
        auto* window = form.findChild<Window*>(QString::fromLatin1(name));
        return window != nullptr && window->isVisible() ? window : nullptr;
    }

    // One exchange of the I/O test with the module's answer computed in between: the
    // outputs go to the coupler, the simulated module answers, the inputs come back.
    void Exchange() {
        form.TimerReadWriteTimer();
        coupler.Station().update(std::chrono::milliseconds(0));
        form.TimerReadWriteTimer();
    }

    std::string address;
    ProgramFolder folder;
    FakePinger pinger;
    FakeClock clock;
    MessageBoxRecorder recorder;
    SimulatedCoupler coupler;
    TMainForm form;
};

QString Text(QWidget* window, const QString& name) {
    auto* edit = window->findChild<QLineEdit*>(name);
    return edit != nullptr ? edit->text() : QStringLiteral("<no %1>").arg(name);
}

void Save(QWidget* window, const char* name) {
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    const QString file = QStringLiteral(KORVO_SCREENSHOT_DIR "/") + QString::fromLatin1(name);
    QVERIFY(window->grab().save(file, "PNG"));
    QVERIFY(!QPixmap(file).isNull());
}

// Runs the dialog's command steps with an exchange after each until every pair of
// channels has been answered once.
void RunCommandSteps(OnlineStation& station, korvo::MultiChannelTemperatureWindow* window, int steps) {
    for (int i = 0; i < steps; ++i) {
        window->Timer1Timer();
        station.Exchange();
    }
    window->Timer1Timer();
}

}  // namespace

class TemperatureWindowsOnlineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Tc8ReadCommandBringsTemperatureIntoItsRowAndFahrenheitReachesTheModule();
    void RenderAllFiveDialogsWithLiveValues();
};

void TemperatureWindowsOnlineTest::Tc8ReadCommandBringsTemperatureIntoItsRowAndFahrenheitReachesTheModule() {
    OnlineStation station;
    QTRY_VERIFY(station.GoOnline());
    QVERIFY(station.recorder.boxes.isEmpty());
    auto* tc8 = station.Open<korvo::MultiChannelTemperatureWindow>(5, "frmKorvo_TC_8");
    QVERIFY(tc8 != nullptr);
    tc8->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
    tc8->findChild<QCheckBox*>(QStringLiteral("CheckBox8"))->click();

    tc8->Timer1Timer();
    station.Exchange();
    const korvo::sim::BusModule& bus = station.coupler.Module("KORVO TC 8");
    const korvo::sim::Bytes outputs = station.coupler.Controller().outputs(static_cast<std::size_t>(bus.outStart), 3);
    QCOMPARE(outputs, (korvo::sim::Bytes{8, 129, 0}));
    tc8->Timer1Timer();
    // The simulated module's channels 1 and 2 read 20.0 and 23.6 degrees at its start.
    QCOMPARE(Text(tc8, QStringLiteral("EditActual1")), QStringLiteral("20.0 \u00B0C"));
    QCOMPARE(Text(tc8, QStringLiteral("EditWord1")), QStringLiteral("200"));
    QCOMPARE(Text(tc8, QStringLiteral("EditActual2")), QStringLiteral("23.6 \u00B0C"));
    QCOMPARE(Text(tc8, QStringLiteral("EditCurrent1")), QStringLiteral("4.0 mA"));
    QCOMPARE(Text(tc8, QStringLiteral("EditError1")), QStringLiteral("0"));
    QCOMPARE(Text(tc8, QStringLiteral("EditActual3")), QString());

    // With "Fahrenheit" the configuration pass and its apply command switch the module's
    // unit: the next answer for channels 1 and 2 reads in tenths of a degree Fahrenheit.
    tc8->findChild<QRadioButton*>(QStringLiteral("RadioFahrenheit"))->click();
    for (int step = 0; step < 2 + 8 + 1 + 1; ++step) {
        station.Exchange();
        tc8->Timer1Timer();
    }
    QVERIFY(station.coupler.Station().temperatureModuleOf("KORVO TC 8")->Applied(8).fahrenheit);
    station.Exchange();
    tc8->Timer1Timer();
    QCOMPARE(Text(tc8, QStringLiteral("EditActual1")), QStringLiteral("68.0 \u00B0F"));
    QCOMPARE(Text(tc8, QStringLiteral("EditActual2")), QStringLiteral("74.4 \u00B0F"));
    Action(station.form, "ToolTest")->trigger();
}

void TemperatureWindowsOnlineTest::RenderAllFiveDialogsWithLiveValues() {
    // A broken wire on channel 2 of the RT 2 and an error byte on channel 3 of each
    // multi-channel module, so the pictures show the error displays too.
    korvo::sim::StationOptions options;
    options.faults = {{2, 2, 0x8002}, {4, 3, 2}, {5, 3, 2}, {6, 3, 2}};
    OnlineStation station(options);
    QTRY_VERIFY(station.GoOnline());
    for (const auto& [slot, name, file] : {std::tuple{2, "frmKorvo_RT_2", "dialog-rt2.png"},
                                           std::tuple{3, "frmKorvo_TC_2", "dialog-tc2.png"}}) {
        auto* window = station.Open<korvo::TwoChannelTemperatureWindow>(slot, name);
        QVERIFY2(window != nullptr, name);
        station.Exchange();
        window->Timer1Timer();
        QVERIFY(Text(window, QStringLiteral("EditValue1")) != QStringLiteral("0"));
        if (slot == 2) {
            QCOMPARE(Text(window, QStringLiteral("EditValue2")), QStringLiteral("8002h"));
            QCOMPARE(window->findChild<QLabel*>(QStringLiteral("LaError2"))->text(),
                     QStringLiteral("Error wire breaking"));
        }
        Save(window, file);
        window->close();
    }
    for (const auto& [slot, name, file] : {std::tuple{4, "frmKorvo_TC_4", "dialog-tc4.png"},
                                           std::tuple{5, "frmKorvo_TC_8", "dialog-tc8.png"},
                                           std::tuple{6, "frmKorvo_RT_6", "dialog-rt6.png"}}) {
        auto* window = station.Open<korvo::MultiChannelTemperatureWindow>(slot, name);
        QVERIFY2(window != nullptr, name);
        window->findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->click();
        RunCommandSteps(station, window, 4);
        QVERIFY(!Text(window, QStringLiteral("EditActual1")).isEmpty());
        QCOMPARE(Text(window, QStringLiteral("EditError3")), QStringLiteral("2 Error wire breaking"));
        Save(window, file);
        window->close();
    }
    Action(station.form, "ToolTest")->trigger();
}

QTEST_MAIN(TemperatureWindowsOnlineTest)
#include "temperature_windows_online_test.moc"
