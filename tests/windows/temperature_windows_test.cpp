// The temperature dialogs' windows opened from the station view: option clicks, the
// automatic save of "korvo.ini", the command sequence that stops when the window is
// left, outputs and unit kept per module, and the error box for a malformed parameter.

#include "child_control.h"
#include "program_folder.h"
#include "temperature_station.h"

#include "dialogs/windows/multi_channel_temperature_window.h"
#include "dialogs/windows/two_channel_temperature_window.h"
#include "ui/message_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using korvo::TMainForm;

namespace {

QWidget* Dialog(TMainForm& form, const char* name) { return form.findChild<QWidget*>(QString::fromLatin1(name)); }

// Presses the button of the next "save changes" box and tells what it asked.
void AnswerSaveChanges(QMessageBox::StandardButton button, QString* asked) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || box->objectName() != QStringLiteral("SaveChangesBox")) return;
        *asked = box->text();
        box->button(button)->click();
        timer->stop();
        timer->deleteLater();
    });
    timer->start(20);
}

}  // namespace

class TemperatureWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Rt2OpensFromStationViewAndSavesClickedWordToSettings();
    void Tc8OpensFromPopupSavesSensorAndRunsCommandsOnlyWhileActive();
    void Tc8WindowShowsTheOutputsAndUnitOfTheModuleItIsOpenedFor();
    void MalformedParameterShowsErrorBoxOncePerOpeningAndKeepsTimerStopped();
    void ExitAfterUnsavedOptionsAsksAboutTheModule();
};

void TemperatureWindowsTest::ExitAfterUnsavedOptionsAsksAboutTheModule() {
    ProgramFolder folder(TemperatureStation());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QWidget* dialog = Dialog(form, "frmKorvo_RT_2");
    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QTRY_VERIFY(dialog->isVisible());
    const std::string before = form.frmKonfig()->Model().Module(2)->Parameter;
    auto* exit = Child<QPushButton>(dialog, QStringLiteral("Button2"));

    Child<QRadioButton>(dialog, QStringLiteral("Radio2_6"))->click();
    QString asked;
    AnswerSaveChanges(QMessageBox::Cancel, &asked);
    exit->click();
    QCOMPARE(asked, QStringLiteral("save changes to KORVO RT 2 (slot 2)?"));
    QVERIFY(dialog->isVisible());
    QVERIFY(Child<QRadioButton>(dialog, QStringLiteral("Radio2_6"))->isChecked());

    AnswerSaveChanges(QMessageBox::Discard, &asked);
    exit->click();
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(form.frmKonfig()->Model().Module(2)->Parameter, before);

    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QTRY_VERIFY(dialog->isVisible());
    Child<QRadioButton>(dialog, QStringLiteral("Radio2_6"))->click();
    AnswerSaveChanges(QMessageBox::Save, &asked);
    exit->click();
    QTRY_VERIFY(!dialog->isVisible());
    QCOMPARE(form.frmKonfig()->Model().Module(2)->Parameter, std::string("0,6"));

    // Nothing changed since the last save: "Exit" asks nothing.
    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QTRY_VERIFY(dialog->isVisible());
    asked.clear();
    exit->click();
    QVERIFY(!dialog->isVisible());
    QVERIFY(asked.isEmpty());
}

void TemperatureWindowsTest::Rt2OpensFromStationViewAndSavesClickedWordToSettings() {
    ProgramFolder folder(TemperatureStation());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QWidget* dialog = Dialog(form, "frmKorvo_RT_2");
    QVERIFY(dialog != nullptr);
    QVERIFY(!dialog->isVisible());

    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("properties RT 2"));
    QVERIFY(Child<QRadioButton>(dialog, QStringLiteral("Radio1_0"))->isChecked());
    QCOMPARE(Child<QRadioButton>(dialog, QStringLiteral("Radio1_19"))->text(), QStringLiteral("0.1  \u00B0C"));
    QCOMPARE(Child<QRadioButton>(dialog, QStringLiteral("Radio2_19"))->text(), QStringLiteral("0.1 \u00B0C"));
    QVERIFY(Child<QTimer>(dialog, QStringLiteral("Timer1"))->isActive());

    // Channel 2: Ni 100, 12 bit diagnostic, 0.01°F, R0 1000, 4 conductor. The window
    // is taller than the offscreen screen, so the options take click() rather than a
    // mouse event at a point off the screen.
    for (const char* name : {"Radio2_6", "Radio2_17", "Radio2_22", "Radio2_37", "Radio2_43"}) {
        Child<QRadioButton>(dialog, QString::fromLatin1(name))->click();
    }
    QTest::mouseClick(Child<QPushButton>(dialog, QStringLiteral("Button1")), Qt::LeftButton);
    const QByteArray saved = folder.ReadSettings();
    QVERIFY2(saved.contains("Name2=0,11478\r\n"), saved.constData());
    // The comments are rebuilt from the saved words, degree sign as one byte.
    QVERIFY2(saved.contains("Comment22=Ni 100/12 bit/0.01 \xB0" "F/1000 Ohm/4 cond./\r\n"), saved.constData());

    QTest::mouseClick(Child<QPushButton>(dialog, QStringLiteral("Button2")), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!Child<QTimer>(dialog, QStringLiteral("Timer1"))->isActive());
}

void TemperatureWindowsTest::Tc8OpensFromPopupSavesSensorAndRunsCommandsOnlyWhileActive() {
    ProgramFolder folder(TemperatureStation());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseClick(Picture(form, 5), Qt::RightButton);
    form.ModulePopup()->hide();
    Action(form, "PopupProperties")->trigger();
    auto* dialog = qobject_cast<korvo::MultiChannelTemperatureWindow*>(Dialog(form, "frmKorvo_TC_8"));
    QVERIFY(dialog != nullptr);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("property  KORVO TC 8"));
    QVERIFY(Child<QRadioButton>(dialog, QStringLiteral("RadioSensor0"))->isChecked());

    auto* next = Child<QPushButton>(dialog, QStringLiteral("Button3"));
    for (int i = 0; i < 4; ++i) QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(next->text(), QStringLiteral("next channel 5"));
    QTest::mouseClick(Child<QRadioButton>(dialog, QStringLiteral("RadioSensor4")), Qt::LeftButton);
    korvo::TModul& module = *form.frmKonfig()->Model().Module(5);
    QCOMPARE(module.Parameter, std::string("0,0,0,0,4,0,0,0,"));
    QTest::mouseClick(Child<QPushButton>(dialog, QStringLiteral("Button1")), Qt::LeftButton);
    const QByteArray saved = folder.ReadSettings();
    QVERIFY2(saved.contains("Name5=0,0,0,0,4,0,0,0,\r\n"), saved.constData());
    QVERIFY2(saved.contains("Comment55= tc typ S \r\n"), saved.constData());

    QTest::mouseClick(Child<QCheckBox>(dialog, QStringLiteral("CheckBox1")), Qt::LeftButton);
    QTest::mouseClick(Child<QCheckBox>(dialog, QStringLiteral("CheckBox8")), Qt::LeftButton);
    QTest::mouseClick(Child<QRadioButton>(dialog, QStringLiteral("RadioFahrenheit")), Qt::LeftButton);
    dialog->activateWindow();
    QTRY_VERIFY(dialog->isActiveWindow());
    QTRY_VERIFY(Child<QTimer>(dialog, QStringLiteral("Timer1"))->isActive());
    QCOMPARE(dialog->Logic().Step(), 7);
    dialog->Timer1Timer();
    QCOMPARE(module.OutputData, std::string("8,129,0,0,0,0,0,0,0,0,0,0,"));

    // Back to the main window: the commands stop and the last one stays.
    form.activateWindow();
    QTRY_VERIFY(!Child<QTimer>(dialog, QStringLiteral("Timer1"))->isActive());
    QCOMPARE(module.OutputData, std::string("8,129,0,0,0,0,0,0,0,0,0,0,"));
    dialog->activateWindow();
    QTRY_VERIFY(Child<QTimer>(dialog, QStringLiteral("Timer1"))->isActive());
    QCOMPARE(next->text(), QStringLiteral("next channel 1"));
    dialog->Timer1Timer();
    QCOMPARE(module.OutputData, std::string("8,129,0,0,0,0,0,0,0,0,0,0,"));
}

// Outputs ticked and the unit chosen for one TC 8 never go out for another: the window
// opened for the second shows and sends its own, and the first's come back with it.
void TemperatureWindowsTest::Tc8WindowShowsTheOutputsAndUnitOfTheModuleItIsOpenedFor() {
    QByteArray station = TemperatureStation();
    station.replace("Anzahl=6", "Anzahl=7");
    station.replace("Name6=KORVO RT 6\r\n", "Name6=KORVO RT 6\r\nName7=KORVO TC 8\r\n");
    ProgramFolder folder(station);
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 5), Qt::LeftButton);
    auto* dialog = qobject_cast<korvo::MultiChannelTemperatureWindow*>(Dialog(form, "frmKorvo_TC_8"));
    QTRY_VERIFY(dialog->isVisible());
    Child<QCheckBox>(dialog, QStringLiteral("CheckBox1"))->click();
    Child<QCheckBox>(dialog, QStringLiteral("CheckBox8"))->click();
    Child<QRadioButton>(dialog, QStringLiteral("RadioFahrenheit"))->click();

    QTest::mouseDClick(Picture(form, 7), Qt::LeftButton);
    QTRY_COMPARE(dialog->Logic().EditedModule(), 7);
    QVERIFY(!Child<QCheckBox>(dialog, QStringLiteral("CheckBox1"))->isChecked());
    QVERIFY(!Child<QCheckBox>(dialog, QStringLiteral("CheckBox8"))->isChecked());
    QVERIFY(Child<QRadioButton>(dialog, QStringLiteral("RadioCelsius"))->isChecked());
    dialog->Timer1Timer();
    QCOMPARE(form.frmKonfig()->Model().Module(7)->OutputData, std::string("8,0,0,0,0,0,0,0,0,0,0,0,"));

    QTest::mouseDClick(Picture(form, 5), Qt::LeftButton);
    QTRY_COMPARE(dialog->Logic().EditedModule(), 5);
    QVERIFY(Child<QCheckBox>(dialog, QStringLiteral("CheckBox1"))->isChecked());
    QVERIFY(Child<QCheckBox>(dialog, QStringLiteral("CheckBox8"))->isChecked());
    QVERIFY(Child<QRadioButton>(dialog, QStringLiteral("RadioFahrenheit"))->isChecked());
    dialog->Timer1Timer();
    QCOMPARE(form.frmKonfig()->Model().Module(5)->OutputData, std::string("8,129,0,0,0,0,0,0,0,0,0,0,"));
}

void TemperatureWindowsTest::MalformedParameterShowsErrorBoxOncePerOpeningAndKeepsTimerStopped() {
    QByteArray station = TemperatureStation();
    station.replace("Name6=20,20,20,20,20,20,", "Name6=20,2x,");
    ProgramFolder folder(station);
    QStringList boxes;
    const korvo::MessageBoxFunction previous = korvo::MessageBoxSeam();
    korvo::MessageBoxSeam() = [&boxes](QWidget*, const QString& text, const QString& caption) {
        boxes << caption + QLatin1Char('|') + text;
    };
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseDClick(Picture(form, 6), Qt::LeftButton);
    QWidget* dialog = Dialog(form, "frmKorvo_RT_6");
    QTRY_VERIFY(dialog->isVisible());
    QTRY_VERIFY(!boxes.isEmpty());
    QVERIFY2(boxes.first().contains(QStringLiteral("'2x'")), qPrintable(boxes.first()));
    QVERIFY(!Child<QTimer>(dialog, QStringLiteral("Timer1"))->isActive());
    QCOMPARE(form.frmKonfig()->Model().Module(6)->ParameterComment[1], std::string());

    // Coming back to the window does not bring the box back; opening it anew does.
    form.activateWindow();
    QTRY_VERIFY(form.isActiveWindow());
    dialog->activateWindow();
    QTRY_VERIFY(dialog->isActiveWindow());
    QCOMPARE(boxes.size(), 1);
    dialog->close();
    QTest::mouseDClick(Picture(form, 6), Qt::LeftButton);
    QTRY_COMPARE(boxes.size(), 2);
    korvo::MessageBoxSeam() = previous;
}

QTEST_MAIN(TemperatureWindowsTest)
#include "temperature_windows_test.moc"
