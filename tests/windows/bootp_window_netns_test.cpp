// The whole "give a coupler its address" work from the BOOTP window: the program runs
// in a network namespace of the test's own, korvo-sim --mac broadcasts its requests
// there, the first tab gives it its first address and the second tab's "restart"
// moves it to a new one. Skipped where namespaces cannot be created. Writes
// screenshots/bootp-server-restart.png of the second tab at the end.

#include "child_control.h"
#include "network_namespaces.h"
#include "program_folder.h"

#include "tools/pinger.h"
#include "station/station_model.h"
#include "tools/windows/frm_bootp_server.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace korvo::testing;

namespace {

// Every coupler answers the echo; the library's connection shows whether it is there.
class AnsweringPinger final : public korvo::Pinger {
public:
    korvo::EchoResult Ping(const std::string& host) override {
        korvo::EchoResult result;
        result.sent = true;
        result.reply.bytes = 32;
        result.reply.address = host;
        return result;
    }
};

// Joins this thread to a namespace for as long as it lives, then goes back.
class NamespaceVisit {
public:
    explicit NamespaceVisit(const std::string& name)
        : home_(::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC)) {
        entered = home_ >= 0 && EnterNamespace(name);
    }
    ~NamespaceVisit() {
        if (home_ < 0) return;
        ::setns(home_, CLONE_NEWNET);
        ::close(home_);
    }
    NamespaceVisit(const NamespaceVisit&) = delete;
    NamespaceVisit& operator=(const NamespaceVisit&) = delete;
    bool entered = false;

private:
    int home_;
};

}  // namespace

class BootpWindowNetnsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void CouplerGetsItsFirstAndANewAddressFromTheWindow();
};

void BootpWindowNetnsTest::CouplerGetsItsFirstAndANewAddressFromTheWindow() {
    NamespacePair namespaces("korvo-bootpw");
    const std::string why = namespaces.Create();
    if (!why.empty()) QSKIP(why.c_str());
    // The program's socket on port 67 and its connections to the coupler live there.
    NamespaceVisit visit(namespaces.Client());
    QVERIFY(visit.entered);
    Background simulator(namespaces.Client(),
                         {KORVO_SIM_BINARY, "--mac", "02.4B.52.00.00.0A", "--restart-seconds", "1"},
                         "bootp-window-sim");

    ProgramFolder folder(ProgramFolder::DemoProject());
    AnsweringPinger pinger;
    korvo::TMainForm form(folder.Path(), korvo::OnlineSeams{&pinger, nullptr, {}});
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    Action(form, "ToolIP")->trigger();
    korvo::TfrmBootpServer* window = form.frmBootpServer();
    if (!QTest::qWaitForWindowActive(window)) window->FormActivate();
    QVERIFY(window->Socket().IsOpen());
    auto* memo = Child<QPlainTextEdit>(window, "Memo");

    // First address: the station's MAC is 02.4B.52.00.00.0A; assign 127.0.0.5.
    Child<QLineEdit>(window, "MaskEdit_IP")->setText(QStringLiteral("127.0.0.5"));
    Child<QCheckBox>(window, "CheckIP")->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        memo->toPlainText().contains(QStringLiteral("<-- sent IP address 127.0.0.5 to KORVO NC-ETH")), 15000);
    QVERIFY(Eventually([] { return Connectable("127.0.0.5"); }, std::chrono::seconds(5)));
    QCOMPARE(Child<QLineEdit>(window, "MaskEdit_IP1")->text(), QStringLiteral("127.0.0.5"));

    // New address: present address 127.0.0.5, new 127.0.0.9, arm, restart.
    Child<QLineEdit>(window, "MaskEdit_IP_NEW")->setText(QStringLiteral("127.0.0.9"));
    Child<QCheckBox>(window, "CheckIP1")->click();
    Child<QPushButton>(window, "Button3")->click();
    QVERIFY2(memo->toPlainText().contains(QStringLiteral("<-- restart command sent to 127.0.0.5")),
             qPrintable(memo->toPlainText()));
    QTRY_VERIFY_WITH_TIMEOUT(
        memo->toPlainText().contains(QStringLiteral("<-- sent IP address 127.0.0.9 to KORVO NC-ETH")), 15000);
    korvo::StationModel& model = form.frmKonfig()->Model();
    QCOMPARE(model.CurrentIP, std::string("127.0.0.9"));
    QCOMPARE(model.Module(1)->IPAddress, std::string("127.0.0.9"));
    QCOMPARE(Child<QLineEdit>(window, "MaskEdit_IP")->text(), QStringLiteral("127.0.0.9"));
    QVERIFY(!Child<QCheckBox>(window, "CheckIP1")->isChecked());
    QVERIFY2(Eventually([] { return Connectable("127.0.0.9"); }, std::chrono::seconds(5)),
             simulator.Output().c_str());
    QVERIFY(!Connectable("127.0.0.5"));

    Child<QTabWidget>(window, "PageControl1")->setCurrentIndex(1);
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    QVERIFY(window->grab().save(QStringLiteral(KORVO_SCREENSHOT_DIR "/bootp-server-restart.png"), "PNG"));
}

QTEST_MAIN(BootpWindowNetnsTest)
#include "bootp_window_netns_test.moc"
