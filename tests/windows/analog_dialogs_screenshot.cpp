// Renders the analog dialogs to PNG files in screenshots/ of the build folder, with
// live values from the simulated coupler while the I/O test runs: AI 2 with a broken
// wire on channel 2 (dialog-ai2.png), AI 8 with all eight channels read and a broken
// wire on channel 3 (dialog-ai8.png), AO 1 after sending a value (dialog-ao1.png) and
// AO 2V after a value it refused (dialog-ao2v.png).

#include "simulated_coupler.h"
#include "random_loopback.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace {

// One station at the address with the four analog modules in slots 2 to 5.
QByteArray AnalogStationAt(const std::string& address) {
    return QByteArray(
               "[Module]\r\nAnzahl=5\r\nName1=KORVO NC ETH\r\nName2=KORVO AI 2\r\nName3=KORVO AI 8\r\n"
               "Name4=KORVO AO 1\r\nName5=KORVO AO 2V\r\n[Parameter]\r\nName2=256,10,\r\n"
               "Name3=0,1,2,3,4,5,6,8,\r\n[Station1]\r\nIPAddress=") +
           QByteArray::fromStdString(address) + "\r\nMask=255.0.0.0\r\nStation Name=AnalogRack\r\n";
}

void Save(QWidget* window, const char* name) {
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QPixmap shot = window->grab();
    QVERIFY(!shot.isNull());
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    const QString file = QStringLiteral(KORVO_SCREENSHOT_DIR "/") + QString::fromLatin1(name);
    QVERIFY(shot.save(file, "PNG"));
    QVERIFY(!QPixmap(file).isNull());
}

template <typename T>
T* Control(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

class AnalogDialogsScreenshot : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void RenderAnalogDialogsOnline();
};

void AnalogDialogsScreenshot::RenderAnalogDialogsOnline() {
    const std::string address = RandomLoopbackAddress();
    ProgramFolder folder(AnalogStationAt(address));
    korvo::sim::StationOptions options;
    options.faults = {{2, 2, 0x8002}, {3, 3, 0x8002}};
    SimulatedCoupler coupler(address, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                             folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString(), options);
    FakePinger pinger;
    pinger.reachable.insert(address);
    FakeClock clock;
    MessageBoxRecorder recorder;
    korvo::TMainForm form(folder.Path(), korvo::OnlineSeams{&pinger, &clock});
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    Action(form, "ToolTest")->trigger();
    QVERIFY(form.frmKonfig()->Model().Online);
    // Nine exchanges give the AI 8 a value on every channel.
    for (int cycle = 0; cycle < 9; ++cycle) {
        coupler.Station().update(std::chrono::milliseconds(20000 + 1000 * cycle));
        form.TimerReadWriteTimer();
    }
    // From here on the I/O test's own timer runs the exchanges; the station answers live.
    coupler.Station().start();

    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QWidget* ai2 = form.findChild<QWidget*>(QStringLiteral("frmKorvo_AI_2"));
    QTRY_COMPARE(Control<QLabel>(ai2, "LaError2")->text(), QStringLiteral("Error wire breaking"));
    Save(ai2, "dialog-ai2.png");
    ai2->close();

    QTest::mouseDClick(Picture(form, 3), Qt::LeftButton);
    QWidget* ai8 = form.findChild<QWidget*>(QStringLiteral("frmKorvo_AI_8"));
    QTRY_VERIFY(Control<QLineEdit>(ai8, "EdValue8")->text() != QStringLiteral("0"));
    QCOMPARE(Control<QLabel>(ai8, "LaError3")->text(), QStringLiteral("Error wire breaking"));
    QCOMPARE(Control<QLineEdit>(ai8, "EdValue3")->text(), QStringLiteral("8002h"));
    QTRY_VERIFY(ai8->findChild<QLabel*>(
                       QStringLiteral("Shape%1").arg(form.frmKonfig()->Model().Module(3)->MuxChannel + 1))
                    ->isVisible());
    Save(ai8, "dialog-ai8.png");
    ai8->close();

    QTest::mouseDClick(Picture(form, 4), Qt::LeftButton);
    QWidget* ao1 = form.findChild<QWidget*>(QStringLiteral("frmKorvo_AO_1"));
    Control<QLineEdit>(ao1, "Edit1")->setText(QStringLiteral("5,000"));
    QTest::mouseClick(Control<QPushButton>(ao1, "Button1"), Qt::LeftButton);
    QCOMPARE(form.frmKonfig()->Model().Module(4)->OutputData, std::string("127,255"));
    Save(ao1, "dialog-ao1.png");
    ao1->close();

    QTest::mouseDClick(Picture(form, 5), Qt::LeftButton);
    QWidget* ao2v = form.findChild<QWidget*>(QStringLiteral("frmKorvo_AO_2V"));
    QTest::mouseClick(Control<QRadioButton>(ao2v, "Radio2_2"), Qt::LeftButton, {}, QPoint(6, 8));
    Control<QLineEdit>(ao2v, "Edit1")->setText(QStringLiteral("2,5"));
    Control<QLineEdit>(ao2v, "Edit2")->setText(QStringLiteral("-7,5"));
    QTest::mouseClick(Control<QPushButton>(ao2v, "Button1"), Qt::LeftButton);
    Control<QLineEdit>(ao2v, "Edit2")->setText(QStringLiteral("-12"));
    QTest::mouseClick(Control<QPushButton>(ao2v, "Button1"), Qt::LeftButton);
    QCOMPARE(Control<QLineEdit>(ao2v, "Edit2")->text(), QStringLiteral("-12"));
    QCOMPARE(Control<QLabel>(ao2v, "LaOutput2")->text(),
             QStringLiteral("output value: -7.500 V (word -22500)"));
    Save(ao2v, "dialog-ao2v.png");
    ao2v->close();

    QVERIFY2(recorder.boxes.isEmpty(), qPrintable(recorder.boxes.join(QLatin1Char('\n'))));
    Action(form, "ToolTest")->trigger();
}

QTEST_MAIN(AnalogDialogsScreenshot)
#include "analog_dialogs_screenshot.moc"
