// The bus coupler's properties window TfrmKorvo_NC_ETH on the demo station: the
// fields it loads, renaming and closing (status bar and "korvo.ini"), an address group
// above 255 in red, and the connection test against an answering loopback address (a
// response, not red) and a silent one (red); renders coupler-window.png.

#include "child_control.h"
#include "program_folder.h"
#include "silent_loopback.h"
#include "simulated_coupler.h"
#include "window_screenshot.h"

#include "dialogs/windows/korvo_nc_eth_window.h"
#include "tools/icmp_echo.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using korvo::TMainForm;

namespace {

QString Text(QWidget* window, const char* name) {
    if (auto* edit = window->findChild<QLineEdit*>(QString::fromLatin1(name))) return edit->text();
    return Child<QLabel>(window, name)->text();
}

void Retype(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
}

struct CouplerSetup {
    CouplerSetup() : folder(ProgramFolder::DemoProject()), form(folder.Path()) {
        form.show();
        QTRY_VERIFY(form.frmKonfig() != nullptr);
        QTest::mouseDClick(Picture(form, 1), Qt::LeftButton);
        window = form.findChild<korvo::TfrmKorvo_NC_ETH*>(QStringLiteral("frmKorvo_NC_ETH"));
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
    }
    korvo::StationModel& Model() { return form.frmKonfig()->Model(); }

    ProgramFolder folder;
    MessageBoxRecorder recorder;
    TMainForm form;
    korvo::TfrmKorvo_NC_ETH* window = nullptr;
};

QColor StatusColour(QWidget* window) {
    return Child<QLabel>(window, "PaStatus")->palette().color(QPalette::WindowText);
}

bool EchoNotAllowed() {
    return korvo::SendEcho("127.0.0.1", 300).notPermitted;
}

}  // namespace

class CouplerWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ShowsCouplerSettings();
    void RenameAndCloseUpdateStatusBarAndKorvoIni();
    void GroupAbove255IsReportedAndNotTaken();
    void ConnectionTestAgainstAnsweringLoopback();
    // Leaves the test's window thread in the silent namespace: stays last.
    void ConnectionTestAgainstSilentLoopback();
};

void CouplerWindowTest::ShowsCouplerSettings() {
    CouplerSetup s;
    QCOMPARE(s.window->windowTitle(), QStringLiteral("properties NC ETH"));
    QCOMPARE(Text(s.window, "MaskEdit_IP"), QStringLiteral("127.0.0.10"));
    QCOMPARE(Text(s.window, "SubnetMask"), QStringLiteral("255.0.0.0"));
    QCOMPARE(Text(s.window, "MaskGateway"), QStringLiteral("0.0.0.0"));
    QCOMPARE(Text(s.window, "EdStationName"), QStringLiteral("PumpHouse"));
    QVERIFY(Text(s.window, "PaStatus").isEmpty());
    QCOMPARE(QString::fromStdString(s.Model().CurrentMAC), QStringLiteral("02.4B.52.00.00.0A"));
}

void CouplerWindowTest::RenameAndCloseUpdateStatusBarAndKorvoIni() {
    CouplerSetup s;
    Retype(Child<QLineEdit>(s.window, "EdStationName"), QStringLiteral("Kesselhaus"));
    QCOMPARE(QString::fromStdString(s.Model().CurrentStationName), QStringLiteral("Kesselhaus"));
    s.window->close();
    QCOMPARE(s.form.findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text(),
             QStringLiteral("Kesselhaus  IP:127.0.0.10"));
    const QByteArray saved = s.folder.ReadSettings();
    QVERIFY2(saved.contains("Station Name=Kesselhaus\r\n"), saved.constData());
    QVERIFY(s.recorder.boxes.isEmpty());
}

void CouplerWindowTest::GroupAbove255IsReportedAndNotTaken() {
    CouplerSetup s;
    auto* ip = Child<QLineEdit>(s.window, "MaskEdit_IP");
    ip->setText(QStringLiteral("127.0.0.300"));
    QVERIFY2(Text(s.window, "PaStatus").contains(QStringLiteral("IP address")),
             qPrintable(Text(s.window, "PaStatus")));
    QVERIFY(Text(s.window, "PaStatus").contains(QStringLiteral("300 is above 255")));
    QCOMPARE(StatusColour(s.window), QColor(Qt::red));
    QCOMPARE(QString::fromStdString(s.Model().CurrentIP), QStringLiteral("127.0.0.10"));
    ip->setText(QStringLiteral("127.0.0.30"));
    QVERIFY(Text(s.window, "PaStatus").isEmpty());
    QCOMPARE(QString::fromStdString(s.Model().CurrentIP), QStringLiteral("127.0.0.30"));
    QCOMPARE(QString::fromStdString(s.Model().Module(1)->IPAddress), QStringLiteral("127.0.0.30"));
}

void CouplerWindowTest::ConnectionTestAgainstAnsweringLoopback() {
    if (EchoNotAllowed()) QSKIP("this user may not send ICMP echoes (see net.ipv4.ping_group_range)");
    CouplerSetup s;
    Retype(Child<QLineEdit>(s.window, "MaskEdit_IP"), QStringLiteral("127.0.0.1"));
    QCOMPARE(QString::fromStdString(s.Model().CurrentIP), QStringLiteral("127.0.0.1"));
    QTest::mouseClick(Child<QPushButton>(s.window, "BuPing"), Qt::LeftButton);
    QCOMPARE(Text(s.window, "PaStatus"), QStringLiteral("  Response from: 127.0.0.1"));
    QVERIFY(StatusColour(s.window) != QColor(Qt::red));
    QVERIFY(Child<QPushButton>(s.window, "BuPing")->isEnabled());
    QVERIFY(s.recorder.boxes.isEmpty());
    SaveScreenshot(*s.window, "coupler-window.png");
}

void CouplerWindowTest::ConnectionTestAgainstSilentLoopback() {
    // First, so that the thread the window starts for its echoes is inside as well.
    if (!EnterSilentLoopback() || EchoNotAllowed())
        QSKIP("network namespaces or ICMP sockets are not allowed here");
    CouplerSetup s;
    Retype(Child<QLineEdit>(s.window, "MaskEdit_IP"), QStringLiteral("127.0.0.1"));
    QTest::mouseClick(Child<QPushButton>(s.window, "BuPing"), Qt::LeftButton);
    QCOMPARE(Text(s.window, "PaStatus"), QStringLiteral(" NO Response from: 127.0.0.1"));
    QCOMPARE(StatusColour(s.window), QColor(Qt::red));
    QVERIFY(Child<QPushButton>(s.window, "BuPing")->isEnabled());
    QVERIFY(s.recorder.boxes.isEmpty());
}

QTEST_MAIN(CouplerWindowTest)
#include "coupler_window_test.moc"
