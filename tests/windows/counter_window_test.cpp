// The counter window TfrmKorvo_CT_1 on the demo station's counter: what it shows of
// the stored word, the mode buttons and options, the gate-time correction as typed,
// the commands and the input display; renders counter-window.png.

#include "child_control.h"
#include "program_folder.h"
#include "simulated_coupler.h"
#include "window_screenshot.h"

#include "dialogs/windows/korvo_ct_1_window.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using korvo::TMainForm;

namespace {

constexpr int kCounterSlot = 10;

bool Checked(QWidget* window, const char* name) {
    return Child<QAbstractButton>(window, name)->isChecked();
}

// On the indicator: a radio button takes clicks only on its indicator and text.
void ClickRadio(QWidget* window, const char* name) {
    auto* radio = Child<QRadioButton>(window, name);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

void Retype(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
}

struct CounterSetup {
    CounterSetup() : folder(ProgramFolder::DemoProject()), form(folder.Path()) {
        form.show();
        QTRY_VERIFY(form.frmKonfig() != nullptr);
        QTest::mouseDClick(Picture(form, kCounterSlot), Qt::LeftButton);
        window = form.findChild<korvo::TfrmKorvo_CT_1*>(QStringLiteral("frmKorvo_CT_1"));
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
    }
    korvo::TModul& Counter() { return *form.frmKonfig()->Model().Module(kCounterSlot); }

    ProgramFolder folder;
    MessageBoxRecorder recorder;
    TMainForm form;
    korvo::TfrmKorvo_CT_1* window = nullptr;
};

}  // namespace

class CounterWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ShowsStoredEventWordAndRendersWindow();
    void OptionAndModeClicksChangeWordAndGroups();
    void GateTimeTypedTooLargeBecomesTen();
    void SaveWritesParameterIntoKorvoIni();
    void ValueButtonsSendOrReportConversionError();
    void ExitSavesClosesAndStopsTimer();
    void ReturnFromErrorBoxKeepsUnsavedChoice();
};

void CounterWindowTest::ShowsStoredEventWordAndRendersWindow() {
    CounterSetup s;
    QWidget* w = s.window;
    QCOMPARE(w->windowTitle(), QStringLiteral("frmKorvo_CT_1"));
    QVERIFY(Checked(w, "Speedcounter"));
    QVERIFY(!Checked(w, "Speedtimefreq"));
    QVERIFY(!Checked(w, "Speedstatefreq"));
    QVERIFY(Checked(w, "RadioButton2"));
    QCOMPARE(Child<QRadioButton>(w, "RadioButton2")->text(), QString::fromUtf8("st\xC3\xA4ndig"));
    QVERIFY(Checked(w, "RadioButton3"));
    QVERIFY(Checked(w, "RadioButton8"));
    QVERIFY(Checked(w, "RadioButton18"));
    QVERIFY(!Child<QGroupBox>(w, "GroupStateGate")->isEnabled());
    QVERIFY(!Child<QGroupBox>(w, "GroupTimeFrequency")->isEnabled());
    QVERIFY(Child<QGroupBox>(w, "GroupDirection")->isEnabled());
    QCOMPARE(Child<QTimer>(w, "Timer1")->interval(), 1000);
    QTRY_VERIFY(Child<QTimer>(w, "Timer1")->isActive());

    s.Counter().InputData = "20,145,1,44,";
    s.window->Timer1Timer();
    QCOMPARE(Child<QLineEdit>(w, "EdValue1")->text(), QStringLiteral("1491"));
    QCOMPARE(Child<QLineEdit>(w, "EdValue2")->text(), QStringLiteral("300"));
    s.Counter().InputData = "20,";
    s.window->Timer1Timer();
    QCOMPARE(Child<QLineEdit>(w, "EdValue2")->text(), QStringLiteral("300"));
    QVERIFY(s.recorder.boxes.isEmpty());
    SaveScreenshot(*w, "counter-window.png");
}

void CounterWindowTest::OptionAndModeClicksChangeWordAndGroups() {
    CounterSetup s;
    QWidget* w = s.window;
    ClickRadio(w, "RadioButton19");
    QCOMPARE(s.window->Logic().W(), 0x1499);
    QVERIFY(Checked(w, "RadioButton19"));
    QVERIFY(!Checked(w, "RadioButton18"));

    QTest::mouseClick(Child<QPushButton>(w, "Speedstatefreq"), Qt::LeftButton);
    QVERIFY(Checked(w, "Speedstatefreq"));
    QVERIFY(!Checked(w, "Speedcounter"));
    QVERIFY(Child<QGroupBox>(w, "GroupStateGate")->isEnabled());
    QVERIFY(!Child<QGroupBox>(w, "GroupGate")->isEnabled());
    ClickRadio(w, "RadioButton16");
    QCOMPARE(s.window->Logic().W(), 0x13FE);

    // A click on the button that is down raises it; no mode is left.
    QTest::mouseClick(Child<QPushButton>(w, "Speedstatefreq"), Qt::LeftButton);
    QVERIFY(!Checked(w, "Speedstatefreq"));
    QVERIFY(!Checked(w, "Speedcounter"));
    QVERIFY(!Checked(w, "Speedtimefreq"));
}

void CounterWindowTest::GateTimeTypedTooLargeBecomesTen() {
    CounterSetup s;
    QWidget* w = s.window;
    QTest::mouseClick(Child<QPushButton>(w, "Speedtimefreq"), Qt::LeftButton);
    QCOMPARE(s.window->Logic().W(), 0x1000 + 100);
    auto* edit1 = Child<QLineEdit>(w, "Edit1");
    QVERIFY(edit1->isEnabled());
    Retype(edit1, QStringLiteral("2000"));
    QCOMPARE(edit1->text(), QStringLiteral("10"));
    QCOMPARE(s.window->Logic().W(), 0x100A);
    QVERIFY(s.recorder.boxes.isEmpty());
}

void CounterWindowTest::SaveWritesParameterIntoKorvoIni() {
    CounterSetup s;
    ClickRadio(s.window, "RadioButton11");
    QTest::mouseClick(Child<QPushButton>(s.window, "Button1"), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(s.Counter().Parameter), QStringLiteral("5268,0"));
    QCOMPARE(QString::fromStdString(s.Counter().OutputData), QStringLiteral("20,148,0,0"));
    const QByteArray saved = s.folder.ReadSettings();
    QVERIFY2(saved.contains("Name10=5268,0\r\n"), saved.constData());
    QVERIFY(
        saved.contains("Comment101=event counter :  nonrecurring  ;  high pegel   ; Output : toggle (h)"));
}

void CounterWindowTest::ValueButtonsSendOrReportConversionError() {
    CounterSetup s;
    QWidget* w = s.window;
    Retype(Child<QLineEdit>(w, "Edit2"), QStringLiteral("300"));
    QTest::mouseClick(Child<QPushButton>(w, "Button5"), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(s.Counter().OutputData), QStringLiteral("64,0,1,44"));
    Retype(Child<QLineEdit>(w, "Edit3"), QStringLiteral("3x"));
    QTest::mouseClick(Child<QPushButton>(w, "Button6"), Qt::LeftButton);
    QCOMPARE(s.recorder.boxes,
             QStringList{QStringLiteral("Korvo Configurator|'3x' is not a valid integer value")});
    QCOMPARE(QString::fromStdString(s.Counter().OutputData), QStringLiteral("64,0,1,44"));
    QTest::mouseClick(Child<QPushButton>(w, "Button4"), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(s.Counter().OutputData), QStringLiteral("40,0,0,0"));
}

void CounterWindowTest::ExitSavesClosesAndStopsTimer() {
    CounterSetup s;
    QTest::mouseClick(Child<QPushButton>(s.window, "Button2"), Qt::LeftButton);
    QVERIFY(!s.window->isVisible());
    QVERIFY(!Child<QTimer>(s.window, "Timer1")->isActive());
    QCOMPARE(QString::fromStdString(s.Counter().OutputData), QStringLiteral("20,145,0,0"));
    QVERIFY(s.folder.ReadSettings().contains("Name10=5265,0\r\n"));
}

void CounterWindowTest::ReturnFromErrorBoxKeepsUnsavedChoice() {
    CounterSetup s;
    QWidget* w = s.window;
    w->activateWindow();
    QTRY_VERIFY(w->isActiveWindow());
    ClickRadio(w, "RadioButton19");
    QCOMPARE(s.window->Logic().W(), 0x1499);
    // The box takes the focus and gives it back to the window when it closes.
    QWidget box;
    korvo::MessageBoxSeam() = [&](QWidget*, const QString& text, const QString&) {
        s.recorder.boxes << text;
        box.show();
        box.activateWindow();
        QTRY_VERIFY(box.isActiveWindow());
        box.hide();
        w->activateWindow();
        QTRY_VERIFY(w->isActiveWindow());
    };
    Retype(Child<QLineEdit>(w, "Edit2"), QStringLiteral("x"));
    QTest::mouseClick(Child<QPushButton>(w, "Button5"), Qt::LeftButton);
    QCOMPARE(s.recorder.boxes.size(), 1);
    QTRY_VERIFY(w->isActiveWindow());
    QCOMPARE(s.window->Logic().W(), 0x1499);
    QVERIFY(Checked(w, "RadioButton19"));

    // A real change of windows still reloads the stored word.
    box.show();
    box.activateWindow();
    QTRY_VERIFY(box.isActiveWindow());
    w->activateWindow();
    QTRY_VERIFY(w->isActiveWindow());
    QCOMPARE(s.window->Logic().W(), 5265);
}

QTEST_MAIN(CounterWindowTest)
#include "counter_window_test.moc"
