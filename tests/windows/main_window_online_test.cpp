// The main window's online commands against the simulated coupler: the configuration
// check and its boxes, the I/O test with its timer, blinking button and LEDs, the
// status texts (red for failures only), the refusals while online, the debug panel and
// closing the connection at close.

#include "program_folder.h"
#include "simulated_coupler.h"
#include "window_screenshot.h"

#include "access/ddi_funktionen.h"
#include "access/windows/ncb_restart.h"
#include "online/online_operation.h"
#include "online/windows/configuration_table_window.h"
#include "random_loopback.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

using korvo::TMainForm;

namespace {

const std::string kAddress = RandomLoopbackAddress();

QString StatusPanel(TMainForm& form, int panel) {
    return form.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel))->text();
}

QColor StatusColour(TMainForm& form, int panel) {
    return form.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel))
        ->palette()
        .color(QPalette::WindowText);
}

QString MemoText(TMainForm& form, const char* name) {
    return form.findChild<QPlainTextEdit*>(QString::fromLatin1(name))->toPlainText();
}

QWidget* Widget(TMainForm& form, const char* name) { return form.findChild<QWidget*>(QString::fromLatin1(name)); }

korvo::LedShape* Led(TMainForm& form, const char* name) {
    return form.findChild<korvo::LedShape*>(QString::fromLatin1(name));
}

// A program folder with the demo station at the test's address, its coupler and a
// started main window with recorded boxes.
struct OnlineSetup {
    explicit OnlineSetup(korvo::sim::StationOptions options = {}, const QByteArray& extraSettings = QByteArray())
        : folder(DemoProjectAt(kAddress) + extraSettings),
          coupler(kAddress, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                  folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString(), options),
          form(folder.Path(), korvo::OnlineSeams{&pinger, &clock}) {
        pinger.reachable.insert(kAddress);
        form.show();
    }

    bool Started() { return form.frmKonfig() != nullptr; }
    korvo::StationModel& Model() { return form.frmKonfig()->Model(); }

    ProgramFolder folder;
    FakePinger pinger;
    FakeClock clock;
    MessageBoxRecorder recorder;
    SimulatedCoupler coupler;
    TMainForm form;
};

}  // namespace

class MainWindowOnlineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void CheckConfigurationOfMatchingStationSaysOk();
    void CheckConfigurationOfSwappedModuleSaysDifferentAndShowsLog();
    void CheckConfigurationOfMissingModuleSaysDifferentNumber();
    void UnreachableCouplerRefusesCheckOnlineAndRestart();
    void StatusTextsAreRedForFailuresOnlyAndGoWhenTheNextCommandStarts();
    void IoCycleLightsInputLedsAndWritesClickedOutputs();
    void CouplerLedAndOnlineButtonBlinkWhileOnline();
    void WhileOnlineDeleteIsRefusedAndCouplerClickKeepsStation();
    void DebugCommandShowsPanelAndDumpsClickedModule();
    void CloseWhileOnlineClosesNodePair();
    void KeepOutputsBoxLeavesTheClickedOutputsOn();
};

void MainWindowOnlineTest::CheckConfigurationOfMatchingStationSaysOk() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    Action(setup.form, "Toolconfig")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList{QStringLiteral("check configuration|station OK !!  ")});
    QVERIFY(MemoText(setup.form, "Memo").contains(QStringLiteral(" Bus configuration list: ")));
    QVERIFY(MemoText(setup.form, "Memo").contains(QStringLiteral("KORVO DI 16  ")));
    QVERIFY(!Widget(setup.form, "PaDebug")->isVisible());
    QVERIFY(setup.form.Access()->NodesClosed());
    QVERIFY(!setup.Model().Online);
}

void MainWindowOnlineTest::CheckConfigurationOfSwappedModuleSaysDifferentAndShowsLog() {
    korvo::sim::StationOptions options;
    options.swappedModule = 2;
    OnlineSetup setup(options);
    QTRY_VERIFY(setup.Started());
    Action(setup.form, "MenuCheckConfig")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList{QStringLiteral("check configuration|station is different  !!  ")});
    QVERIFY(Widget(setup.form, "PaDebug")->isVisible());
    QVERIFY(Widget(setup.form, "Memo")->isVisible());
    QVERIFY(Action(setup.form, "Tooldebug")->isChecked());
    QVERIFY(setup.form.State().DebugShown);
    QVERIFY(setup.form.Access()->NodesClosed());
    // The table window shows expected against found, the first difference marked.
    QVERIFY(setup.form.frmConfigurationTable()->isVisible());
    auto* table = setup.form.frmConfigurationTable()->findChild<QTableWidget*>(QStringLiteral("ConfigurationTable"));
    QVERIFY(table != nullptr);
    QVERIFY(table->rowCount() >= 2);
    QCOMPARE(table->item(0, 5)->text(), QStringLiteral("ok"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("KORVO DI 8"));
    QVERIFY(table->item(1, 2)->text().startsWith(QStringLiteral("unknown module, ID ")));
    QCOMPARE(table->item(1, 5)->text(), QStringLiteral("first difference"));
    SaveScreenshot(*setup.form.frmConfigurationTable(), "configuration-table.png");

    // A failed check refuses to start the I/O test as well.
    setup.recorder.boxes.clear();
    Action(setup.form, "ToolTest")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList{QStringLiteral("check configuration|station is different  !!  ")});
    QVERIFY(!setup.Model().Online);
    QVERIFY(!Action(setup.form, "ToolTest")->isChecked());
    QVERIFY(!setup.form.findChild<QTimer*>(QStringLiteral("TimerReadWrite"))->isActive());
}

void MainWindowOnlineTest::CheckConfigurationOfMissingModuleSaysDifferentNumber() {
    korvo::sim::StationOptions options;
    options.missingModule = 1;
    OnlineSetup setup(options);
    QTRY_VERIFY(setup.Started());
    Action(setup.form, "Toolconfig")->trigger();
    QCOMPARE(setup.recorder.boxes,
             QStringList{QStringLiteral("check configuration|station is different number of moduls !!  ")});
    QVERIFY(Widget(setup.form, "PaDebug")->isVisible());
}

void MainWindowOnlineTest::UnreachableCouplerRefusesCheckOnlineAndRestart() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    setup.pinger.reachable.clear();
    const QString reason = QStringLiteral("no answer to ping from %1 within 1000 ms").arg(QString::fromStdString(kAddress));
    const QString box = QStringLiteral("communication error|ERROR !! check IP settings\n") + reason;

    Action(setup.form, "Toolconfig")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList{box});
    QCOMPARE(StatusPanel(setup.form, 1), QStringLiteral("ERROR !! check IP settings  - ") + reason);

    Action(setup.form, "ToolTest")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList({box, box}));
    QVERIFY(!setup.Model().Online);
    QVERIFY(!Action(setup.form, "ToolTest")->isChecked());

    Action(setup.form, "PopupRestart")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList({box, box, box}));
    QVERIFY(!setup.form.frmNCBRestart()->isVisible());
    QVERIFY(setup.coupler.Station().receivedCommands().empty());
}

void MainWindowOnlineTest::StatusTextsAreRedForFailuresOnlyAndGoWhenTheNextCommandStarts() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    QVERIFY(StatusColour(setup.form, 0) != QColor(Qt::red));
    setup.pinger.reachable.clear();
    Action(setup.form, "Toolconfig")->trigger();
    QVERIFY(StatusPanel(setup.form, 1).startsWith(QStringLiteral("ERROR !! check IP settings  - no answer to ping")));
    QCOMPARE(StatusColour(setup.form, 1), QColor(Qt::red));

    setup.pinger.reachable.insert(kAddress);
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(setup.Model().Online);
    QCOMPARE(StatusPanel(setup.form, 1), QStringLiteral(" ----  communication initialized  ----- "));
    QVERIFY(StatusColour(setup.form, 1) != QColor(Qt::red));
    setup.form.TimerReadWriteTimer();
    setup.form.TimerReadWriteTimer();
    QCOMPARE(StatusPanel(setup.form, 1), QStringLiteral(" --- online ---- "));
    QVERIFY(StatusColour(setup.form, 1) != QColor(Qt::red));
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(!setup.Model().Online);
}

void MainWindowOnlineTest::IoCycleLightsInputLedsAndWritesClickedOutputs() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    auto* timer = setup.form.findChild<QTimer*>(QStringLiteral("TimerReadWrite"));
    QCOMPARE(timer->interval(), 1000);

    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(setup.recorder.boxes.isEmpty());
    QVERIFY(setup.Model().Online);
    QVERIFY(timer->isActive());
    QVERIFY(Action(setup.form, "ToolTest")->isChecked());
    QVERIFY(!Widget(setup.form, "ListModule")->isEnabled());
    // The online log is switched on; its panel shows only with the debug output.
    QVERIFY(!Widget(setup.form, "Memo")->isHidden());
    QVERIFY(!Widget(setup.form, "PaDebug")->isVisible());
    QVERIFY(setup.form.Access()->NodesOpen());

    // DI 16 in slot 2: first byte 01h lights LED 9 (weight 256), second byte 02h LED 2.
    const korvo::sim::BusModule& input = setup.coupler.Module("KORVO DI 16");
    const std::uint8_t inputs[2] = {0x01, 0x02};
    setup.coupler.Controller().setInputs(static_cast<std::size_t>(input.inStart), inputs);
    // DO 16 in slot 4: LEDs 1 and 9 give BitValue 257, the bytes 01h 01h.
    QTest::mouseClick(Led(setup.form, "a041"), Qt::LeftButton);
    QTest::mouseClick(Led(setup.form, "a049"), Qt::LeftButton);

    setup.form.TimerReadWriteTimer();
    QCOMPARE(Led(setup.form, "a022")->Colour(), korvo::LedShape::kOn);
    QCOMPARE(Led(setup.form, "a029")->Colour(), korvo::LedShape::kOn);
    QCOMPARE(Led(setup.form, "a021")->Colour(), korvo::LedShape::kOff);
    QCOMPARE(Led(setup.form, "a0210")->Colour(), korvo::LedShape::kOff);
    const korvo::sim::BusModule& output = setup.coupler.Module("KORVO DO 16");
    QCOMPARE(setup.coupler.Controller().outputs(static_cast<std::size_t>(output.outStart), 2),
             (korvo::sim::Bytes{0x01, 0x01}));
    QVERIFY(MemoText(setup.form, "Memo").contains(QStringLiteral("KORVO DI 16  Date 01,02,")));
    QVERIFY(MemoText(setup.form, "Memo").contains(QStringLiteral("WRITE SectionWriteData ------")));

    // Inputs that go off switch the LEDs off in the next cycle.
    const std::uint8_t off[2] = {0, 0};
    setup.coupler.Controller().setInputs(static_cast<std::size_t>(input.inStart), off);
    setup.form.TimerReadWriteTimer();
    QCOMPARE(Led(setup.form, "a022")->Colour(), korvo::LedShape::kOff);
    QCOMPARE(Led(setup.form, "a029")->Colour(), korvo::LedShape::kOff);

    Action(setup.form, "MenuIOTest")->trigger();
    QVERIFY(!setup.Model().Online);
    QVERIFY(!timer->isActive());
    QVERIFY(!Action(setup.form, "ToolTest")->isChecked());
    QVERIFY(Widget(setup.form, "ListModule")->isEnabled());
    QVERIFY(setup.form.Access()->NodesClosed());
    QCOMPARE(setup.form.OnlineButtonImage(), 6);
    // The stopped test switched the clicked outputs off, on the coupler and in the view.
    QCOMPARE(setup.coupler.Controller().outputs(static_cast<std::size_t>(output.outStart), 2),
             (korvo::sim::Bytes{0x00, 0x00}));
    QCOMPARE(Led(setup.form, "a041")->Colour(), korvo::LedShape::kOff);
    QCOMPARE(Led(setup.form, "a049")->Colour(), korvo::LedShape::kOff);
    QVERIFY(MemoText(setup.form, "Memo").contains(QStringLiteral("outputs of station 1 switched off")));
}

void MainWindowOnlineTest::KeepOutputsBoxLeavesTheClickedOutputsOn() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    auto* keep = setup.form.findChild<QCheckBox*>(QStringLiteral("CheckKeepOutputs"));
    QVERIFY(keep != nullptr);
    QCOMPARE(keep->text(), QStringLiteral("keep outputs when the test stops"));
    QVERIFY(!keep->isChecked());
    auto* reconnect = setup.form.findChild<QCheckBox*>(QStringLiteral("CheckReconnect"));
    QVERIFY(reconnect != nullptr);
    QVERIFY(reconnect->isChecked());
    QVERIFY(setup.form.Online()->Reconnect);
    // The Online menu's entry is the same switch.
    Action(setup.form, "MenuReconnect")->trigger();
    QVERIFY(!reconnect->isChecked());
    QVERIFY(!setup.form.Online()->Reconnect);
    keep->setChecked(true);
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(setup.Model().Online);
    QTest::mouseClick(Led(setup.form, "a041"), Qt::LeftButton);
    setup.form.TimerReadWriteTimer();
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(!setup.Model().Online);
    const korvo::sim::BusModule& output = setup.coupler.Module("KORVO DO 16");
    QCOMPARE(setup.coupler.Controller().outputs(static_cast<std::size_t>(output.outStart), 2),
             (korvo::sim::Bytes{0x00, 0x01}));
    QCOMPARE(Led(setup.form, "a041")->Colour(), korvo::LedShape::kOn);
}

void MainWindowOnlineTest::CouplerLedAndOnlineButtonBlinkWhileOnline() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(setup.Model().Online);
    korvo::LedShape* couplerLed = Led(setup.form, "a0117");
    QVERIFY(couplerLed != nullptr);
    QCOMPARE(couplerLed->width(), 8);

    setup.form.TimerReadWriteTimer();
    QCOMPARE(setup.form.OnlineButtonImage(), 0);
    QCOMPARE(couplerLed->Colour(), QColor(0xFF, 0x00, 0x00));
    QCOMPARE(StatusPanel(setup.form, 1), QStringLiteral(" "));

    setup.form.TimerReadWriteTimer();
    QCOMPARE(setup.form.OnlineButtonImage(), 6);
    QCOMPARE(couplerLed->Colour(), korvo::LedShape::kOff);
    QCOMPARE(couplerLed->size(), QSize(12, 12));
    QCOMPARE(StatusPanel(setup.form, 1), QStringLiteral(" --- online ---- "));

    setup.form.TimerReadWriteTimer();
    QCOMPARE(setup.form.OnlineButtonImage(), 0);
    QCOMPARE(couplerLed->Colour(), QColor(0xFF, 0x00, 0x00));
    QVERIFY(Action(setup.form, "ToolTest")->isChecked());

    Action(setup.form, "ToolTest")->trigger();
    QCOMPARE(couplerLed->Colour(), korvo::LedShape::kOff);
    QCOMPARE(setup.form.OnlineButtonImage(), 6);
}

void MainWindowOnlineTest::WhileOnlineDeleteIsRefusedAndCouplerClickKeepsStation() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    korvo::StationModel& model = setup.Model();
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(model.Online);

    QTest::mouseClick(Picture(setup.form, 3), Qt::LeftButton);
    QTest::keyClick(&setup.form, Qt::Key_Delete);
    QCOMPARE(model.ModuleCount, 21);

    // The coupler of station 2 becomes selected, but station 1 stays the online one.
    QTest::mouseClick(Picture(setup.form, 11), Qt::LeftButton);
    QCOMPARE(model.SelectedCoupler, 11);
    QCOMPARE(setup.form.findChild<QLabel*>(QStringLiteral("LaStatus"))->text(), QStringLiteral("Append/Delete"));
    QCOMPARE(model.CurrentStation, 1);
    QCOMPARE(model.CurrentCouplerModule, 1);
    QCOMPARE(model.CurrentIP, kAddress);
    setup.form.TimerReadWriteTimer();
    QVERIFY(model.Online);
}

void MainWindowOnlineTest::DebugCommandShowsPanelAndDumpsClickedModule() {
    OnlineSetup setup({}, "\r\n[System]\r\nDebug=1\r\n");
    QTRY_VERIFY(setup.Started());
    QVERIFY(Action(setup.form, "Tooldebug")->isVisible());

    // Without the debug panel a click dumps nothing.
    QTest::mouseClick(Picture(setup.form, 2), Qt::LeftButton);
    QVERIFY(MemoText(setup.form, "MemoDebug").isEmpty());

    Action(setup.form, "Tooldebug")->trigger();
    QVERIFY(Action(setup.form, "Tooldebug")->isChecked());
    QVERIFY(Widget(setup.form, "PaDebug")->isVisible());
    QVERIFY(Widget(setup.form, "MemoDebug")->isVisible());
    QTest::mouseClick(Picture(setup.form, 4), Qt::LeftButton);
    QVERIFY(MemoText(setup.form, "MemoDebug").contains(QStringLiteral("ModulType        : KORVO DO 16")));

    Action(setup.form, "Tooldebug")->trigger();
    QVERIFY(!Action(setup.form, "Tooldebug")->isChecked());
    QVERIFY(!Widget(setup.form, "PaDebug")->isVisible());
    QVERIFY(!setup.form.State().DebugShown);
}

void MainWindowOnlineTest::CloseWhileOnlineClosesNodePair() {
    OnlineSetup setup;
    QTRY_VERIFY(setup.Started());
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(setup.form.Access()->NodesOpen());
    QTest::mouseClick(Led(setup.form, "a041"), Qt::LeftButton);
    setup.form.TimerReadWriteTimer();
    const korvo::sim::BusModule& output = setup.coupler.Module("KORVO DO 16");
    QCOMPARE(setup.coupler.Controller().outputs(static_cast<std::size_t>(output.outStart), 2),
             (korvo::sim::Bytes{0x00, 0x01}));
    QVERIFY(setup.form.close());
    QVERIFY(setup.form.Access()->NodesClosed());
    // Closing the program ends the test as its stop button does: outputs off.
    QCOMPARE(setup.coupler.Controller().outputs(static_cast<std::size_t>(output.outStart), 2),
             (korvo::sim::Bytes{0x00, 0x00}));
    QVERIFY(!setup.form.findChild<QTimer*>(QStringLiteral("TimerReadWrite"))->isActive());
    QVERIFY(setup.folder.ReadSettings().contains("Anzahl=21"));
}

QTEST_MAIN(MainWindowOnlineTest)
#include "main_window_online_test.moc"
