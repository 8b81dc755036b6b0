// The BOOTP server window TfrmBootpServer headless: opened from the main window, the
// fields of the two tabs mirroring each other as the user types, a request answered
// over a real UDP socket on a free port and loopback address of the test's own, the
// log, the status line at close, and a port that cannot be bound. Writes
// screenshots/bootp-server.png after the answered request.

#include "child_control.h"
#include "program_folder.h"

#include "tools/windows/frm_bootp_server.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

using korvo::TfrmBootpServer;
using korvo::TMainForm;

namespace {

QString Text(QWidget* window, const char* field) {
    return Child<QLineEdit>(window, field)->text();
}

// A loopback address of this process's own, so parallel test runs never meet.
std::string OwnAddress() {
    const unsigned p = static_cast<unsigned>(::getpid());
    return "127." + std::to_string(100 + p % 100) + "." + std::to_string((p / 100) % 250 + 1) + "." +
           std::to_string(p % 250 + 2);
}

// A UDP socket on the test's address and a free port, standing in for the coupler.
class Coupler {
public:
    Coupler() : address_(OwnAddress()) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local = At(address_, 0);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        socklen_t size = sizeof local;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
        port_ = ntohs(local.sin_port);
    }
    ~Coupler() { ::close(fd_); }

    korvo::BootpEndpoints ServerEndpoints() const { return {0, address_, port_}; }

    void SendRequest(std::uint16_t serverPort, const std::vector<std::uint8_t>& mac) const {
        std::vector<std::uint8_t> request(300, 0);
        request[0] = 1;
        request[1] = 1;
        request[2] = 6;
        std::copy(mac.begin(), mac.end(), request.begin() + 28);
        const sockaddr_in server = At(address_, serverPort);
        ::sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&server),
                 sizeof server);
    }

    // The next reply, or nothing after a second.
    std::vector<std::uint8_t> Reply() const {
        pollfd waiting{fd_, POLLIN, 0};
        if (::poll(&waiting, 1, 1000) <= 0) return {};
        std::vector<std::uint8_t> reply(1500);
        const ssize_t n = ::recv(fd_, reply.data(), reply.size(), 0);
        reply.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return reply;
    }

private:
    static sockaddr_in At(const std::string& address, std::uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
        return a;
    }

    std::string address_;
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

struct Setup {
    explicit Setup(const korvo::BootpEndpoints& endpoints)
        : folder(ProgramFolder::DemoProject()),
          form(folder.Path(), korvo::OnlineSeams{nullptr, nullptr, endpoints}) {
        form.show();
    }

    // Opens the window from the toolbar button, as the user does.
    TfrmBootpServer* Open() {
        Action(form, "ToolIP")->trigger();
        TfrmBootpServer* window = form.frmBootpServer();
        // Every activation reloads the fields; let it happen before the test edits them.
        if (!QTest::qWaitForWindowActive(window)) window->FormActivate();
        return window;
    }

    ProgramFolder folder;
    TMainForm form;
};

}  // namespace

class BootpServerWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void OpensFromToolbarAndMenuWithTheStationsSettings();
    void OpensFromTheMenuWithTheCurrentCouplersSettingsUnactivated();
    void TypingInOneTabShowsInTheOther();
    void AnswersTheArmedRequestAndLogsIt();
    void ClosingSetsTheStatusLineAndSavesTheStation();
    void PortInUseIsLoggedOnceAndTheProgramWorks();
};

void BootpServerWindowTest::OpensFromToolbarAndMenuWithTheStationsSettings() {
    Coupler coupler;
    Setup setup(coupler.ServerEndpoints());
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    TfrmBootpServer* window = setup.form.frmBootpServer();
    QVERIFY(!window->isVisible());
    Action(setup.form, "MenuIPManager")->trigger();
    QVERIFY(window->isVisible());
    window->close();
    TfrmBootpServer* opened = setup.Open();
    QCOMPARE(opened, window);
    QCOMPARE(window->windowTitle(), QStringLiteral("UDP Bootp Server"));
    QCOMPARE(Child<QLineEdit>(window, "EdName")->text(), QStringLiteral("PumpHouse"));
    QVERIFY(Child<QLineEdit>(window, "EdName")->isReadOnly());
    QCOMPARE(Text(window, "MaskEdit_IP"), QStringLiteral("127.0.0.10"));
    QCOMPARE(Text(window, "MaskEdit_IP1"), QStringLiteral("127.0.0.10"));
    QCOMPARE(Text(window, "MaskEdit_IP_NEW"), QStringLiteral("127.0.0.10"));
    QCOMPARE(Text(window, "SubnetMask1"), QStringLiteral("255.0.0.0"));
    QCOMPARE(Text(window, "MaskEdit_MAC"), QStringLiteral("02.4B.52.00.00.0A"));
    QCOMPARE(Child<QLineEdit>(window, "MaskEdit_IP")->inputMask(), QStringLiteral("000.000.000.000"));
    auto* tabs = Child<QTabWidget>(window, "PageControl1");
    QCOMPARE(tabs->tabText(0), QStringLiteral("first IP setting"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("change IP setting"));
    QCOMPARE(Child<QCheckBox>(window, "CheckIP")->text(), QStringLiteral("transmitt IP address "));
}

// The menu that closes may take the activation back: the window still shows the
// coupler last clicked, also when a module behind it was clicked after it, and edits
// that coupler.
void BootpServerWindowTest::OpensFromTheMenuWithTheCurrentCouplersSettingsUnactivated() {
    Coupler coupler;
    Setup setup(coupler.ServerEndpoints());
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    QTest::mouseClick(Picture(setup.form, 11), Qt::LeftButton);
    QTest::mouseClick(Picture(setup.form, 12), Qt::LeftButton);
    Action(setup.form, "MenuIPManager")->trigger();
    TfrmBootpServer* window = setup.form.frmBootpServer();
    QVERIFY(window->isVisible());
    QCOMPARE(Child<QLineEdit>(window, "EdName")->text(), QStringLiteral("BoilerRoom"));
    QCOMPARE(Text(window, "MaskEdit_IP1"), QStringLiteral("127.0.0.11"));
    QCOMPARE(Text(window, "MaskEdit_MAC1"), QStringLiteral("02.4B.52.00.00.0B"));
    Child<QLineEdit>(window, "MaskGateway")->setText(QStringLiteral("127.0.0.1"));
    const korvo::StationModel& model = setup.form.frmKonfig()->Model();
    QCOMPARE(model.Module(11)->Gate_way, std::string("127.0.0.1"));
    QCOMPARE(model.Module(12)->Gate_way, std::string());

    // Opened again after a click on the first coupler, the window shows that one.
    QTest::mouseClick(Picture(setup.form, 1), Qt::LeftButton);
    Action(setup.form, "MenuIPManager")->trigger();
    QCOMPARE(Child<QLineEdit>(window, "EdName")->text(), QStringLiteral("PumpHouse"));
}

void BootpServerWindowTest::TypingInOneTabShowsInTheOther() {
    Coupler coupler;
    Setup setup(coupler.ServerEndpoints());
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    TfrmBootpServer* window = setup.Open();

    auto* gateway1 = Child<QLineEdit>(window, "MaskGateway1");
    gateway1->clear();
    gateway1->setCursorPosition(0);
    QTest::keyClicks(gateway1, QStringLiteral("192168000254"));
    QCOMPARE(Text(window, "MaskGateway1"), QStringLiteral("192.168.000.254"));
    QCOMPARE(Text(window, "MaskGateway"), QStringLiteral("192.168.000.254"));

    auto* gateway = Child<QLineEdit>(window, "MaskGateway");
    gateway->clear();
    gateway->setCursorPosition(0);
    QTest::keyClicks(gateway, QStringLiteral("010000000001"));
    QCOMPARE(Text(window, "MaskGateway1"), QStringLiteral("010.000.000.001"));

    auto* mac = Child<QLineEdit>(window, "MaskEdit_MAC1");
    mac->clear();
    mac->setCursorPosition(0);
    QTest::keyClicks(mac, QStringLiteral("0a1b2c3d4e5f"));
    QCOMPARE(Text(window, "MaskEdit_MAC"), QStringLiteral("0a.1b.2c.3d.4e.5f"));
    QCOMPARE(setup.form.frmKonfig()->Model().Module(1)->MACAddress, std::string("0a.1b.2c.3d.4e.5f"));

    // The address to assign mirrors too, but leaves the station's address alone.
    auto* ip = Child<QLineEdit>(window, "MaskEdit_IP");
    ip->clear();
    ip->setCursorPosition(0);
    QTest::keyClicks(ip, QStringLiteral("010000000009"));
    QCOMPARE(Text(window, "MaskEdit_IP_NEW"), QStringLiteral("010.000.000.009"));
    QCOMPARE(Text(window, "MaskEdit_IP1"), QStringLiteral("127.0.0.10"));
}

void BootpServerWindowTest::AnswersTheArmedRequestAndLogsIt() {
    Coupler coupler;
    Setup setup(coupler.ServerEndpoints());
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    TfrmBootpServer* window = setup.Open();
    const std::uint16_t port = window->Socket().Port();
    QVERIFY(port != 0);

    Child<QLineEdit>(window, "MaskEdit_IP")->setText(QStringLiteral("192.168.0.10"));
    Child<QLineEdit>(window, "SubnetMask")->setText(QStringLiteral("255.255.255.0"));
    Child<QLineEdit>(window, "MaskGateway")->setText(QStringLiteral("192.168.0.1"));
    Child<QLineEdit>(window, "MaskEdit_MAC")->setText(QStringLiteral("0A.1B.2C.3D.4E.5F"));
    auto* checkIP = Child<QCheckBox>(window, "CheckIP");
    QTest::mouseClick(checkIP, Qt::LeftButton, {}, QPoint(8, checkIP->height() / 2));
    QVERIFY(Child<QCheckBox>(window, "CheckIP")->isChecked());

    // A stranger first: logged, ignored, and the server stays armed.
    coupler.SendRequest(port, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    auto* memo = Child<QPlainTextEdit>(window, "Memo");
    QTRY_VERIFY(memo->toPlainText().contains(QStringLiteral("--- ignored , wrong MAC address")));
    QVERIFY(Child<QCheckBox>(window, "CheckIP")->isChecked());

    coupler.SendRequest(port, {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F});
    QTRY_VERIFY(
        memo->toPlainText().contains(QStringLiteral("<-- sent IP address 192.168.0.10 to KORVO NC-ETH")));
    const std::vector<std::uint8_t> reply = coupler.Reply();
    QCOMPARE(reply.size(), std::size_t{300});
    QCOMPARE(reply[0], std::uint8_t{2});
    QCOMPARE(std::vector<std::uint8_t>(reply.begin() + 16, reply.begin() + 20),
             (std::vector<std::uint8_t>{192, 168, 0, 10}));
    QCOMPARE(memo->toPlainText(), QStringLiteral("--> Bootp Request no.: 1   MAC Adresse: 00.11.22.33.44.55\n"
                                                 "--- ignored , wrong MAC address \n"
                                                 "--> Bootp Request no.: 2   MAC Adresse: 0A.1B.2C.3D.4E.5F\n"
                                                 "<-- sent IP address 192.168.0.10 to KORVO NC-ETH "));
    QVERIFY(!Child<QCheckBox>(window, "CheckIP")->isChecked());
    QVERIFY(!Child<QCheckBox>(window, "CheckIP1")->isChecked());
    QCOMPARE(Text(window, "MaskEdit_IP1"), QStringLiteral("192.168.0.10"));

    window->activateWindow();
    const QPixmap shot = window->grab();
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    QVERIFY(shot.save(QStringLiteral(KORVO_SCREENSHOT_DIR "/bootp-server.png"), "PNG"));

    QTest::mouseClick(Child<QPushButton>(window, "Button1"), Qt::LeftButton);
    QVERIFY(memo->toPlainText().isEmpty());
}

void BootpServerWindowTest::ClosingSetsTheStatusLineAndSavesTheStation() {
    Coupler coupler;
    Setup setup(coupler.ServerEndpoints());
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    TfrmBootpServer* window = setup.Open();
    Child<QLineEdit>(window, "MaskEdit_MAC1")->setText(QStringLiteral("02.4B.52.00.00.99"));
    window->close();
    QCOMPARE(setup.form.findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text(),
             QStringLiteral("PumpHouse  IP:127.0.0.10"));
    QVERIFY(setup.folder.ReadSettings().contains("MAC Address=02.4B.52.00.00.99"));
}

void BootpServerWindowTest::PortInUseIsLoggedOnceAndTheProgramWorks() {
    // The port is held by another socket, as a running DHCP server would hold 67.
    const int holder = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    QCOMPARE(::bind(holder, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    socklen_t size = sizeof local;
    ::getsockname(holder, reinterpret_cast<sockaddr*>(&local), &size);

    Setup setup({ntohs(local.sin_port), "127.0.0.1", 9});
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    TfrmBootpServer* window = setup.Open();
    const QString log = Child<QPlainTextEdit>(window, "Memo")->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("cannot be bound: Address already in use")), qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("setcap cap_net_bind_service=+ep ")));
    QCOMPARE(log.count(QStringLiteral("cannot be bound")), 1);
    QVERIFY(!window->Socket().IsOpen());
    QCOMPARE(Text(window, "MaskEdit_IP"), QStringLiteral("127.0.0.10"));
    ::close(holder);
}

QTEST_MAIN(BootpServerWindowTest)
#include "bootp_server_window_test.moc"
