// The ping window TfrmPing, opened from the main window's "Ping" item: the host it
// opens with (the selected coupler's address), the local host it shows, echoes to
// 127.0.0.1 by Enter, "clear" with the numbering going on, the no-answer line from a
// silent loopback, and the boxes for an echo that cannot be sent and for a user who
// may not send echoes; renders ping-window.png.

#include "child_control.h"
#include "program_folder.h"
#include "silent_loopback.h"
#include "simulated_coupler.h"
#include "window_screenshot.h"

#include "tools/icmp_echo.h"
#include "tools/windows/eth_ping_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

using korvo::TMainForm;

namespace {

korvo::TfrmPing* OpenPing(TMainForm& form) {
    Action(form, "MenuPing")->trigger();
    korvo::TfrmPing* ping = form.frmPing();
    return ping != nullptr && ping->isVisible() ? ping : nullptr;
}

// The main window of a fresh program folder, shown, with its ping window opened
// from the menu; message boxes are recorded instead of shown.
struct OpenedPing {
    explicit OpenedPing(korvo::OnlineSeams seams = {}) : form(folder.Path(), seams) {
        form.show();
        ping = OpenPing(form);
    }
    ProgramFolder folder;
    MessageBoxRecorder recorder;
    TMainForm form;
    korvo::TfrmPing* ping = nullptr;
};

QStringList Lines(QWidget* ping) {
    QStringList lines;
    auto* list = Child<QListWidget>(ping, "lstReplies");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

void PingHost(QWidget* ping, const QString& host) {
    auto* edit = Child<QLineEdit>(ping, "edtHost");
    edit->setText(host);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Refuses every echo as the kernel does for a user outside ping_group_range.
class RefusingPinger final : public korvo::Pinger {
public:
    korvo::EchoResult Ping(const std::string&) override {
        korvo::EchoResult result;
        result.notPermitted = true;
        result.error = "cannot open an ICMP socket";
        return result;
    }
};

const QRegularExpression kReplyLine(
    QStringLiteral(R"(^([1-9]\d*) bytes from 127\.0\.0\.1: icmp_seq=(\d+) ttl=[1-9]\d* time(<1|=\d+) ms$)"));

}  // namespace

class PingWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void OpensFromMenuWithHostAndDefaults();
    void OpensWithTheSelectedCouplersAddress();
    void EnterPingsLoopbackAndClearKeepsNumbering();
    void EchoThatCannotBeSentShowsBoxOnly();
    void RefusedEchoSaysHowToAllowIt();
    // Leaves the test's window thread in the silent namespace: stays last.
    void SilentHostGivesTimeOutLine();
};

void PingWindowTest::OpensFromMenuWithHostAndDefaults() {
    OpenedPing opened;
    korvo::TfrmPing* ping = opened.ping;
    QVERIFY(ping != nullptr);
    QCOMPARE(ping->windowTitle(), QStringLiteral("Ping"));
    QCOMPARE(Child<QLineEdit>(ping, "edtHost")->text(), QStringLiteral("10.128.166.171"));
    QVERIFY(Child<QPushButton>(ping, "btnPing")->isDefault());
    QCOMPARE(Child<QPushButton>(ping, "btnPing")->text(), QStringLiteral("&Ping"));
    ping->FormActivate();
    QVERIFY(Child<QLabel>(ping, "HostName")->text() != QStringLiteral("."));
    QCOMPARE(Child<QLabel>(ping, "HostAddress")->text().count(QLatin1Char('.')), 3);
}

void PingWindowTest::OpensWithTheSelectedCouplersAddress() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    // At start station 1's coupler is the selected one.
    korvo::TfrmPing* ping = OpenPing(form);
    QVERIFY(ping != nullptr);
    auto* host = Child<QLineEdit>(ping, "edtHost");
    QCOMPARE(host->text(), QStringLiteral("127.0.0.10"));
    // Open, with no coupler selected: what was typed stays.
    host->setText(QStringLiteral("10.1.1.1"));
    QTest::mouseClick(Picture(form, 2), Qt::LeftButton);
    OpenPing(form);
    QCOMPARE(host->text(), QStringLiteral("10.1.1.1"));
    // Closed and opened again without a selected coupler: the initial text.
    ping->close();
    OpenPing(form);
    QCOMPARE(host->text(), QStringLiteral("10.128.166.171"));
    QTest::mouseClick(Picture(form, 11), Qt::LeftButton);
    OpenPing(form);
    QCOMPARE(host->text(), QStringLiteral("127.0.0.11"));
}

void PingWindowTest::EnterPingsLoopbackAndClearKeepsNumbering() {
    OpenedPing opened;
    korvo::TfrmPing* ping = opened.ping;
    QVERIFY(ping != nullptr);
    PingHost(ping, QStringLiteral("127.0.0.1"));
    if (!opened.recorder.boxes.isEmpty() && opened.recorder.boxes.first().contains(QStringLiteral("ping_group_range"))) {
        QSKIP("this user may not send ICMP echoes (see net.ipv4.ping_group_range)");
    }
    QCOMPARE(opened.recorder.boxes, QStringList{});
    PingHost(ping, QStringLiteral("127.0.0.1"));
    QStringList lines = Lines(ping);
    QCOMPARE(lines.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QRegularExpressionMatch match = kReplyLine.match(lines[i]);
        QVERIFY2(match.hasMatch(), qPrintable(lines[i]));
        QCOMPARE(match.captured(2).toInt(), i);
    }
    SaveScreenshot(*ping, "ping-window.png");
    QTest::mouseClick(Child<QPushButton>(ping, "Button1"), Qt::LeftButton);
    QVERIFY(Lines(ping).isEmpty());
    PingHost(ping, QStringLiteral("127.0.0.1"));
    lines = Lines(ping);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(kReplyLine.match(lines[0]).captured(2), QStringLiteral("2"));
    QVERIFY(Child<QPushButton>(ping, "btnPing")->isEnabled());
}

void PingWindowTest::SilentHostGivesTimeOutLine() {
    // First, so that the thread the window starts for its echoes is inside as well.
    if (!EnterSilentLoopback() || korvo::SendEcho("127.0.0.1", 300).notPermitted) {
        QSKIP("network namespaces or ICMP sockets are not allowed here");
    }
    OpenedPing opened;
    korvo::TfrmPing* ping = opened.ping;
    QVERIFY(ping != nullptr);
    PingHost(ping, QStringLiteral("127.0.0.1"));
    QCOMPARE(opened.recorder.boxes, QStringList{});
    QCOMPARE(Lines(ping),
             QStringList{QStringLiteral("no answer from 127.0.0.1 within 1000 ms (icmp_seq=0)")});
    QVERIFY(Child<QPushButton>(ping, "btnPing")->isEnabled());
}

void PingWindowTest::EchoThatCannotBeSentShowsBoxOnly() {
    OpenedPing opened;
    korvo::TfrmPing* ping = opened.ping;
    QVERIFY(ping != nullptr);
    PingHost(ping, QString());
    QCOMPARE(opened.recorder.boxes, QStringList{QStringLiteral("communication error|ERROR !! check IP settings")});
    QVERIFY(Lines(ping).isEmpty());
    QVERIFY(Child<QPushButton>(ping, "btnPing")->isEnabled());
}

void PingWindowTest::RefusedEchoSaysHowToAllowIt() {
    RefusingPinger pinger;
    OpenedPing opened(korvo::OnlineSeams{&pinger, nullptr});
    korvo::TfrmPing* ping = opened.ping;
    QVERIFY(ping != nullptr);
    PingHost(ping, QStringLiteral("127.0.0.1"));
    QCOMPARE(opened.recorder.boxes.size(), 1);
    QVERIFY(opened.recorder.boxes[0].startsWith(QStringLiteral("communication error|")));
    QVERIFY(opened.recorder.boxes[0].contains(QStringLiteral("net.ipv4.ping_group_range=\"0 2147483647\"")));
    QVERIFY(Lines(ping).isEmpty());
}

QTEST_MAIN(PingWindowTest)
#include "ping_window_test.moc"
