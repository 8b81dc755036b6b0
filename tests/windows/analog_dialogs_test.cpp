// The analog dialogs' windows: opened from the station view, options clicked, saved
// into "korvo.ini"; output values sent, refused with the reason and shown as output,
// per module; live signed values with their units against the simulated coupler.

#include "simulated_coupler.h"

#include "dialogs/windows/frm_korvo_ai_2.h"
#include "dialogs/windows/frm_korvo_ai_8.h"
#include "dialogs/windows/frm_korvo_ao.h"
#include "random_loopback.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using korvo::TMainForm;

namespace {

template <typename T = QWidget>
T* Control(QWidget* window, const char* name) {
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qWarning("no control %s", name);
    return control;
}

// Clicks an option on its indicator; the middle of a wide option lies beside its text.
void ClickOption(QRadioButton* option) {
    QVERIFY(option != nullptr);
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

QWidget* Window(TMainForm& form, const char* name) {
    return form.findChild<QWidget*>(QString::fromLatin1(name));
}

}  // namespace

class AnalogDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void WindowsExistHiddenFromTheStart();
    void Ai2OptionSavedIntoKorvoIni();
    void Ai8ClickWritesParameterAtOnceAndNextChannelNamesTheChannel();
    void Ao1SendsOutputBytesAndSaysWhyAValueOutOfRangeIsNotSent();
    void Ao1WindowShowsEachModulesOwnRangeValueAndOutput();
    void Ao2vOpenedFromThePopupSendsBothChannels();
    void MalformedParameterIsReportedAndTheWindowStaysUsable();
    void OpenWindowTakesTheNextModuleOfItsType();
    void Ai2ShowsLiveValuesWhileTheIoTestRuns();
};

void AnalogDialogsTest::WindowsExistHiddenFromTheStart() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    for (const char* name : {"frmKorvo_AI_2", "frmKorvo_AI_8", "frmKorvo_AO_1", "frmKorvo_AO_2V"}) {
        QWidget* window = Window(form, name);
        QVERIFY2(window != nullptr, name);
        QVERIFY(window->isWindow());
        QVERIFY(!window->isVisible());
    }
    QCOMPARE(Window(form, "frmKorvo_AI_2")->windowTitle(), QStringLiteral("properties AI 2"));
    QCOMPARE(Window(form, "frmKorvo_AO_2V")->windowTitle(), QStringLiteral("properties AO 2V"));
}

void AnalogDialogsTest::Ai2OptionSavedIntoKorvoIni() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 8), Qt::LeftButton);
    QWidget* window = Window(form, "frmKorvo_AI_2");
    QVERIFY(window->isVisible());
    QVERIFY(!window->isModal());
    QVERIFY(Control<QRadioButton>(window, "Radio1_1")->isChecked());
    QVERIFY(Control<QRadioButton>(window, "Radio2_3")->isChecked());
    korvo::TModul& module = *form.frmKonfig()->Model().Module(8);
    QCOMPARE(module.ParameterComment[1], std::string("average filter/  0..10/FMT1 15bit/"));

    ClickOption(Control<QRadioButton>(window, "Radio1_2"));
    ClickOption(Control<QRadioButton>(window, "Radio2_7"));
    QVERIFY(Control<QRadioButton>(window, "Radio1_2")->isChecked());
    QCOMPARE(module.Parameter, std::string("0,0,"));
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);
    QCOMPARE(module.Parameter, std::string("256,10"));
    const QByteArray saved = folder.ReadSettings();
    QVERIFY(saved.contains("Name8=256,10\r\n"));
    QVERIFY(saved.contains("Comment81=none filter  /  0..10/FMT1 15bit/\r\n"));
    QVERIFY(saved.contains("Comment82=average filter/  4..20/FMT1 15bit/\r\n"));

    QTest::mouseClick(Control<QPushButton>(window, "Button2"), Qt::LeftButton);
    QVERIFY(!window->isVisible());
}

void AnalogDialogsTest::Ai8ClickWritesParameterAtOnceAndNextChannelNamesTheChannel() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 14), Qt::LeftButton);
    QWidget* window = Window(form, "frmKorvo_AI_8");
    QVERIFY(window->isVisible());
    auto* next = Control<QPushButton>(window, "Button3");
    QCOMPARE(next->text(), QStringLiteral("next channel 1"));
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(next->text(), QStringLiteral("next channel 3"));
    ClickOption(Control<QRadioButton>(window, "Radio16"));
    ClickOption(Control<QRadioButton>(window, "Radio21"));
    korvo::TModul& module = *form.frmKonfig()->Model().Module(14);
    QCOMPARE(module.Parameter, std::string("0,0,77,0,0,0,0,0,"));
    QCOMPARE(Control<QRadioButton>(window, "Radio21")->toolTip(),
             QStringLiteral("high resolution (mA only)"));
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);
    QVERIFY(folder.ReadSettings().contains("Comment143=16 average/-40..40/PIO       /\r\n"));
    // The next channel shows its own word's options.
    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(Control<QRadioButton>(window, "Radio5")->isChecked());
    QVERIFY(!Control<QWidget>(window, "Shape1")->isVisible());
}

void AnalogDialogsTest::Ao1SendsOutputBytesAndSaysWhyAValueOutOfRangeIsNotSent() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 9), Qt::LeftButton);
    QWidget* window = Window(form, "frmKorvo_AO_1");
    QVERIFY(window->isVisible());
    auto* edit = Control<QLineEdit>(window, "Edit1");
    QCOMPARE(edit->text(), QStringLiteral("10,000"));
    QVERIFY(Control<QRadioButton>(window, "Radio1")->isChecked());
    ClickOption(Control<QRadioButton>(window, "Radio3"));
    edit->setText(QStringLiteral("12"));
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);
    korvo::TModul& module = *form.frmKonfig()->Model().Module(9);
    QCOMPARE(module.OutputData, std::string("127,255"));
    auto* output = Control<QLabel>(window, "LaOutput");
    auto* status = Control<QLabel>(window, "LaStatus");
    QCOMPARE(output->text(), QStringLiteral("output value: 12.000 mA (word 32767)"));
    QCOMPARE(status->text(), QString());
    // The typed value stays, the red line says why it was not sent.
    edit->setText(QStringLiteral("3.9"));
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("3.9"));
    QCOMPARE(status->text(), QStringLiteral("value 3.9 lies below 4,000, the end of 4..20 mA: nothing sent"));
    QCOMPARE(status->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(module.OutputData, std::string("127,255"));
    QCOMPARE(output->text(), QStringLiteral("output value: 12.000 mA (word 32767)"));
    // The next send clears what the one before said.
    edit->setText(QStringLiteral("20"));
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);
    QCOMPARE(status->text(), QString());
    QCOMPARE(output->text(), QStringLiteral("output value: 20.000 mA (word 65535)"));
}

// The range, value and output shown are those of the module the window was opened
// for; another AO 1 does not start with them.
void AnalogDialogsTest::Ao1WindowShowsEachModulesOwnRangeValueAndOutput() {
    ProgramFolder folder(
        "[Module]\r\nAnzahl=3\r\nName1=KORVO NC ETH\r\nName2=KORVO AO 1\r\nName3=KORVO AO 1\r\n");
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QWidget* window = Window(form, "frmKorvo_AO_1");
    ClickOption(Control<QRadioButton>(window, "Radio3"));
    Control<QLineEdit>(window, "Edit1")->setText(QStringLiteral("12"));
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);

    QTest::mouseDClick(Picture(form, 3), Qt::LeftButton);
    QVERIFY(Control<QRadioButton>(window, "Radio1")->isChecked());
    QCOMPARE(Control<QLineEdit>(window, "Edit1")->text(), QStringLiteral("10,000"));
    QCOMPARE(Control<QLabel>(window, "LaOutput")->text(), QStringLiteral("output value: nothing sent"));

    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QVERIFY(Control<QRadioButton>(window, "Radio3")->isChecked());
    QCOMPARE(Control<QLineEdit>(window, "Edit1")->text(), QStringLiteral("12"));
    QCOMPARE(Control<QLabel>(window, "LaOutput")->text(),
             QStringLiteral("output value: 12.000 mA (word 32767)"));
}

void AnalogDialogsTest::Ao2vOpenedFromThePopupSendsBothChannels() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseClick(Picture(form, 20), Qt::RightButton);
    form.ModulePopup()->hide();
    Action(form, "PopupProperties")->trigger();
    QWidget* window = Window(form, "frmKorvo_AO_2V");
    QVERIFY(window->isVisible());
    ClickOption(Control<QRadioButton>(window, "Radio2_2"));
    Control<QLineEdit>(window, "Edit1")->setText(QStringLiteral("1"));
    Control<QLineEdit>(window, "Edit2")->setText(QStringLiteral("-10"));
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);
    QCOMPARE(form.frmKonfig()->Model().Module(20)->OutputData, std::string("11,184,138,208"));
    // Its error display runs from the activation on and stops with the window.
    auto* timer = window->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer->isActive());
    window->close();
    QVERIFY(!timer->isActive());
}

void AnalogDialogsTest::MalformedParameterIsReportedAndTheWindowStaysUsable() {
    QByteArray project = ProgramFolder::DemoProject();
    project.replace("Name8=0,0,", "Name8=12,x1,");
    ProgramFolder folder(project);
    MessageBoxRecorder recorder;
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 8), Qt::LeftButton);
    QWidget* window = Window(form, "frmKorvo_AI_2");
    QVERIFY(window->isVisible());
    // Showing loads once; the activation that follows does not report a second time.
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(recorder.boxes.size(), 1);
    QVERIFY2(recorder.boxes.first().contains(QStringLiteral("'x1' is not a valid integer value")),
             qPrintable(recorder.boxes.first()));
    QVERIFY(!window->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    QCOMPARE(form.frmKonfig()->Model().Module(8)->Parameter, std::string("12,x1,"));
}

void AnalogDialogsTest::OpenWindowTakesTheNextModuleOfItsType() {
    ProgramFolder folder("[Module]\r\nAnzahl=3\r\nName1=KORVO NC ETH\r\nName2=KORVO AI 2\r\nName3=KORVO AI 2\r\n"
                         "[Parameter]\r\nName2=0,0,\r\nName3=256,1,\r\n");
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    auto* window = form.findChild<korvo::TfrmKorvo_AI_2*>(QStringLiteral("frmKorvo_AI_2"));
    QCOMPARE(window->Logic().EditedModule(), 2);
    QTest::mouseDClick(Picture(form, 3), Qt::LeftButton);
    QVERIFY(window->isVisible());
    QCOMPARE(window->Logic().EditedModule(), 3);
    QVERIFY(Control<QRadioButton>(window, "Radio1_2")->isChecked());
    QTest::mouseClick(Control<QPushButton>(window, "Button1"), Qt::LeftButton);
    QCOMPARE(form.frmKonfig()->Model().Module(3)->Parameter, std::string("256,1"));
    QCOMPARE(form.frmKonfig()->Model().Module(2)->Parameter, std::string("0,0,"));
}

void AnalogDialogsTest::Ai2ShowsLiveValuesWhileTheIoTestRuns() {
    const std::string address = RandomLoopbackAddress();
    ProgramFolder folder(DemoProjectAt(address));
    SimulatedCoupler coupler(address, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                             folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString());
    FakePinger pinger;
    pinger.reachable.insert(address);
    FakeClock clock;
    MessageBoxRecorder recorder;
    TMainForm form(folder.Path(), korvo::OnlineSeams{&pinger, &clock});
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    Action(form, "ToolTest")->trigger();
    QVERIFY(recorder.boxes.isEmpty());
    QVERIFY(form.frmKonfig()->Model().Online);

    const std::uint8_t ai2[4] = {0x80, 0x02, 0x01, 0x2C};
    coupler.Controller().setInputs(static_cast<std::size_t>(coupler.Module("KORVO AI 2").inStart), ai2);
    QTest::mouseDClick(Picture(form, 8), Qt::LeftButton);
    QWidget* window = Window(form, "frmKorvo_AI_2");
    form.TimerReadWriteTimer();
    QTRY_COMPARE(Control<QLineEdit>(window, "EdValue1")->text(), QStringLiteral("8002h"));
    QCOMPARE(Control<QLabel>(window, "LaValue1")->text(), QString());
    QCOMPARE(Control<QLabel>(window, "LaError1")->text(), QStringLiteral("Error wire breaking"));
    QCOMPARE(Control<QLineEdit>(window, "EdValue2")->text(), QStringLiteral("300"));
    QCOMPARE(Control<QLabel>(window, "LaValue2")->text(), QStringLiteral("0.100 V"));
    QCOMPARE(Control<QLabel>(window, "LaError2")->text(), QString());
    // A negative reading keeps its sign.
    const std::uint8_t negative[4] = {0xFE, 0xD4, 0x01, 0x2C};
    coupler.Controller().setInputs(static_cast<std::size_t>(coupler.Module("KORVO AI 2").inStart), negative);
    form.TimerReadWriteTimer();
    QTRY_COMPARE(Control<QLineEdit>(window, "EdValue1")->text(), QStringLiteral("-300"));
    QCOMPARE(Control<QLabel>(window, "LaValue1")->text(), QStringLiteral("-0.100 V"));
    QCOMPARE(Control<QLabel>(window, "LaError1")->text(), QString());
    QVERIFY(form.frmKonfig()->Model().Online);
    Action(form, "ToolTest")->trigger();
}

QTEST_MAIN(AnalogDialogsTest)
#include "analog_dialogs_test.moc"
