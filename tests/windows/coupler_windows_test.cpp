// The diagnosis window Tfrmsystemconfig and the restart window TfrmNCBRestart against
// the simulated coupler: the state boxes, the refused-write texts, the restart toggle
// with its wait, and the restart window that closes once the coupler is back. The
// timers are driven by calling their tick handlers.

#include "child_control.h"
#include "program_folder.h"
#include "simulated_coupler.h"

#include "access/ddi_funktionen.h"
#include "access/windows/ncb_restart.h"
#include "access/windows/system_config.h"
#include "random_loopback.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

using korvo::TMainForm;

namespace {

const std::string kAddress = RandomLoopbackAddress();

constexpr std::uint16_t kRestartCommand = 0x0956;
constexpr std::uint16_t kResetCommand = 0x1303;
constexpr std::uint16_t kRunning = korvo::sim::kDiagReady | korvo::sim::kDiagActive | korvo::sim::kDiagRun;

bool Checked(QWidget* window, const char* name) { return Child<QCheckBox>(window, name)->isChecked(); }

int Count(const std::vector<std::uint16_t>& commands, std::uint16_t code) {
    return static_cast<int>(std::count(commands.begin(), commands.end(), code));
}

struct CouplerSetup {
    explicit CouplerSetup(korvo::sim::StationOptions options = {})
        : folder(DemoProjectAt(kAddress)),
          coupler(kAddress, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                  folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString(), options),
          form(folder.Path(), korvo::OnlineSeams{&pinger, &clock}) {
        pinger.reachable.insert(kAddress);
        form.show();
    }

    bool Started() { return form.frmKonfig() != nullptr; }
    std::vector<std::uint16_t> Commands() { return coupler.Station().receivedCommands(); }

    ProgramFolder folder;
    FakePinger pinger;
    FakeClock clock;
    MessageBoxRecorder recorder;
    SimulatedCoupler coupler;
    TMainForm form;
};

korvo::sim::StationOptions InstantRestart() {
    korvo::sim::StationOptions options;
    options.restartTime = std::chrono::milliseconds(0);
    return options;
}

}  // namespace

class CouplerWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void DiagnosisMenuShowsWindowWithStationText();
    void ReadBusStateShowsRunningCoupler();
    void ReadBusStateShowsErrorsAndModbusClient();
    void ReadBusStateOfUnreachableCouplerShowsBox();
    void RestartToggleWaitsUntilCouplerIsBack();
    void RestartWindowClosesAfterCouplerIsBack();
};

void CouplerWindowsTest::DiagnosisMenuShowsWindowWithStationText() {
    CouplerSetup setup;
    QTRY_VERIFY(setup.Started());
    korvo::Tfrmsystemconfig* window = setup.form.frmsystemconfig();
    QVERIFY(!window->isVisible());
    Action(setup.form, "MenuDiagnosis")->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("system configuration"));
    window->FormActivate();
    QCOMPARE(Child<QLabel>(window, "St")->text(), QString::fromStdString("Station :PumpHouse   IP : " + kAddress));
    QCOMPARE(Child<QTimer>(window, "Timer")->interval(), 5000);
    QVERIFY(!Child<QTimer>(window, "Timer")->isActive());
    QCOMPARE(Child<QProgressBar>(window, "ProgressBar1")->maximum(), 10);
    QCOMPARE(Child<QPushButton>(window, "ButtonRestart")->text(), QStringLiteral(" restart "));
    QCOMPARE(Child<QCheckBox>(window, "CheckPlugPlay")->text(), QStringLiteral("Plug  Play aktiv"));
}

void CouplerWindowsTest::ReadBusStateShowsRunningCoupler() {
    CouplerSetup setup;
    QTRY_VERIFY(setup.Started());
    korvo::Tfrmsystemconfig* window = setup.form.frmsystemconfig();
    Action(setup.form, "MenuDiagnosis")->trigger();
    QTest::mouseClick(Child<QPushButton>(window, "ButtonReadBusState"), Qt::LeftButton);
    QVERIFY(Checked(window, "CheckReady"));
    QVERIFY(Checked(window, "CheckActiv"));
    QVERIFY(Checked(window, "CheckRun"));
    for (const char* box : {"CheckSubmodulFail", "CheckBusFail", "CheckUserFail", "CheckControllerFail",
                            "CheckWarning", "CheckPlugPlay"}) {
        QVERIFY2(!Checked(window, box), box);
    }
    QCOMPARE(Child<QLabel>(window, "status")->text(), QString());
    QVERIFY(setup.form.Access()->NodesClosed());

    // The boxes only display: a click leaves them as the coupler reported.
    QTest::mouseClick(Child<QCheckBox>(window, "CheckReady"), Qt::LeftButton);
    QVERIFY(Checked(window, "CheckReady"));
}

void CouplerWindowsTest::ReadBusStateShowsErrorsAndModbusClient() {
    CouplerSetup setup;
    QTRY_VERIFY(setup.Started());
    korvo::Tfrmsystemconfig* window = setup.form.frmsystemconfig();
    Action(setup.form, "MenuDiagnosis")->trigger();
    setup.coupler.Controller().setDiagnosis(korvo::sim::kDiagReady | korvo::sim::kDiagBusFail |
                                                korvo::sim::kDiagWarning,
                                            0);
    setup.coupler.Controller().setWriteRefusal(korvo::sim::WriteRefusal::ModbusClient);
    QTest::mouseClick(Child<QPushButton>(window, "ButtonReadBusState"), Qt::LeftButton);
    QVERIFY(Checked(window, "CheckReady"));
    QVERIFY(!Checked(window, "CheckActiv"));
    QVERIFY(!Checked(window, "CheckRun"));
    QVERIFY(Checked(window, "CheckBusFail"));
    QVERIFY(Checked(window, "CheckWarning"));
    QVERIFY(!Checked(window, "CheckUserFail"));
    QCOMPARE(Child<QLabel>(window, "status")->text(), QStringLiteral("Error write!! ModbusClient aktiv  (00AA)"));

    setup.coupler.Controller().setWriteRefusal(korvo::sim::WriteRefusal::PlugAndPlay);
    QTest::mouseClick(Child<QPushButton>(window, "ButtonReadBusState"), Qt::LeftButton);
    QVERIFY(Checked(window, "CheckPlugPlay"));
    QCOMPARE(Child<QLabel>(window, "status")->text(), QString());
}

void CouplerWindowsTest::ReadBusStateOfUnreachableCouplerShowsBox() {
    CouplerSetup setup;
    QTRY_VERIFY(setup.Started());
    korvo::Tfrmsystemconfig* window = setup.form.frmsystemconfig();
    Action(setup.form, "MenuDiagnosis")->trigger();
    setup.pinger.reachable.clear();
    QTest::mouseClick(Child<QPushButton>(window, "ButtonReadBusState"), Qt::LeftButton);
    QCOMPARE(setup.recorder.boxes.size(), 1);
    QVERIFY2(setup.recorder.boxes[0].startsWith(
                 QStringLiteral("communication error|ERROR !! check IP address\nno answer to ping from ")),
             qPrintable(setup.recorder.boxes[0]));
    QVERIFY(!Checked(window, "CheckReady"));

    QTest::mouseClick(Child<QPushButton>(window, "ButtonRestart"), Qt::LeftButton);
    QCOMPARE(setup.recorder.boxes.size(), 2);
    QVERIFY(!Child<QPushButton>(window, "ButtonRestart")->isChecked());
    QVERIFY(setup.Commands().empty());
}

void CouplerWindowsTest::RestartToggleWaitsUntilCouplerIsBack() {
    CouplerSetup setup(InstantRestart());
    QTRY_VERIFY(setup.Started());
    korvo::Tfrmsystemconfig* window = setup.form.frmsystemconfig();
    Action(setup.form, "MenuDiagnosis")->trigger();
    auto* restart = Child<QPushButton>(window, "ButtonRestart");
    auto* progress = Child<QProgressBar>(window, "ProgressBar1");
    auto* timer = Child<QTimer>(window, "Timer");

    // The restart takes the coupler down; the first tick finds it not ready.
    QTest::mouseClick(restart, Qt::LeftButton);
    QCOMPARE(Count(setup.Commands(), kRestartCommand), 1);
    QVERIFY(restart->isChecked());
    QCOMPARE(restart->text(), QStringLiteral(" wait for restart "));
    QVERIFY(timer->isActive());
    QCOMPARE(progress->value(), 1);
    QVERIFY(!Checked(window, "CheckRun"));

    window->TimerTimer();
    QCOMPARE(progress->value(), 2);
    QVERIFY(restart->isChecked());

    // The simulated coupler is back at its next update.
    setup.coupler.Station().update(std::chrono::milliseconds(0));
    window->TimerTimer();
    QVERIFY(!restart->isChecked());
    QCOMPARE(restart->text(), QStringLiteral(" restart "));
    QCOMPARE(progress->value(), 0);
    QVERIFY(!timer->isActive());
    QVERIFY(Checked(window, "CheckRun"));
    QCOMPARE(Count(setup.Commands(), kRestartCommand), 1);
}

void CouplerWindowsTest::RestartWindowClosesAfterCouplerIsBack() {
    CouplerSetup setup(InstantRestart());
    QTRY_VERIFY(setup.Started());
    korvo::TfrmNCBRestart* window = setup.form.frmNCBRestart();
    auto* status = Child<QLabel>(window, "PaStatus");
    auto* progress = Child<QProgressBar>(window, "ProgressBar1");
    auto* timer = Child<QTimer>(window, "Timer");
    QCOMPARE(timer->interval(), 2000);

    QTest::mouseClick(Picture(setup.form, 1), Qt::RightButton);
    QVERIFY(Action(setup.form, "PopupRestart")->isVisible());
    setup.form.ModulePopup()->hide();
    Action(setup.form, "PopupRestart")->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("NC-B Restart"));
    // Becoming the active window sends the restart.
    QTRY_COMPARE(status->text(), QStringLiteral("wait for restart"));
    QCOMPARE(Count(setup.Commands(), kRestartCommand), 1);
    QCOMPARE(progress->value(), 1);
    QVERIFY(timer->isActive());

    window->TimerTimer();
    QVERIFY(window->isVisible());
    QCOMPARE(progress->value(), 2);
    QCOMPARE(Count(setup.Commands(), kResetCommand), 0);

    setup.coupler.Station().update(std::chrono::milliseconds(0));
    window->TimerTimer();
    QVERIFY(!window->isVisible());
    QVERIFY(!timer->isActive());
    QCOMPARE(progress->value(), 0);
    QCOMPARE(Count(setup.Commands(), kResetCommand), 1);
    QCOMPARE(Count(setup.Commands(), kRestartCommand), 1);
}

QTEST_MAIN(CouplerWindowsTest)
#include "coupler_windows_test.moc"
