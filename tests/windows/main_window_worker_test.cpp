// The main window's online commands with their library calls on the online worker:
// each command still sends its requests in the prescribed order, one at a time; while
// a silent coupler is waited for, the window goes on turning, greys its commands,
// swallows clicks and offers a cancel that ends the command at once.

#include "child_control.h"
#include "program_folder.h"
#include "random_loopback.h"
#include "simulated_coupler.h"
#include "window_screenshot.h"

#include "access/command_table.h"
#include "access/ddi_funktionen.h"
#include "access/windows/system_config.h"
#include "online/online_operation.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include <mutex>

using korvo::TMainForm;

namespace {

const std::string kAddress = RandomLoopbackAddress();

QString Words(korvo::CommandWords words) {
    QStringList parts;
    for (const std::uint16_t word : words) parts << QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(','));
}

// Every request the coupler receives, by name; a send names its command words, and a
// run of receives (the polling for one confirmation) counts once.
class RequestTrace {
public:
    explicit RequestTrace(korvo::sim::Simulator& simulator) {
        simulator.setRequestTap([this](const korvo::sim::Request& request) { Add(request); });
    }
    QStringList Take() {
        const std::lock_guard lock(mutex_);
        return std::exchange(names_, {});
    }

private:
    void Add(const korvo::sim::Request& request) {
        QString name;
        switch (request.code()) {
            case 0x0101: name = QStringLiteral("open"); break;
            case 0x0102: name = QStringLiteral("close"); break;
            case 0x0103: name = QStringLiteral("write"); break;
            case 0x0104: name = QStringLiteral("read"); break;
            case 0x0106: name = QStringLiteral("receive"); break;
            case 0x0201: name = QStringLiteral("diagnostic"); break;
            case 0x0105: {
                QStringList words;
                for (std::size_t offset = 18; offset + 1 < request.bytes.size(); offset += 2) {
                    words << QStringLiteral("%1").arg(request.word(offset), 4, 16, QLatin1Char('0'));
                }
                name = QStringLiteral("send ") + words.join(QLatin1Char(','));
                break;
            }
            default: name = QStringLiteral("request %1").arg(request.code(), 4, 16, QLatin1Char('0'));
        }
        const std::lock_guard lock(mutex_);
        if (name == QStringLiteral("receive") && !names_.isEmpty() && names_.back() == name) return;
        names_ << name;
    }

    std::mutex mutex_;
    QStringList names_;
};

QStringList Open() { return {QStringLiteral("open"), QStringLiteral("open")}; }
QStringList Close() { return {QStringLiteral("close"), QStringLiteral("close")}; }
// The state reading: the register, then the test write of the first two output bytes.
QStringList ReadState() { return {QStringLiteral("diagnostic"), QStringLiteral("write")}; }

QStringList Command(korvo::CommandWords words) {
    return {QStringLiteral("send ") + Words(words), QStringLiteral("receive")};
}

// The error reset's seven commands, then the state reading and its test write.
QStringList ResetAndReadState() {
    QStringList names;
    for (const korvo::CommandWords words : {korvo::CmdPlugPlayOff, korvo::CmdVar2293Off, korvo::CmdVar2275On,
                                            korvo::Cmd1303, korvo::Cmd0710, korvo::Cmd0701, korvo::CmdVar2275Off}) {
        names << Command(words);
    }
    return names + ReadState();
}

QStringList CheckConfiguration() {
    return Open() + ResetAndReadState() + Command(korvo::CmdReadConfiguration) + Close();
}

struct WorkerSetup {
    explicit WorkerSetup(korvo::sim::StationOptions options = {})
        : folder(DemoProjectAt(kAddress)),
          coupler(kAddress, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                  folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString(), options),
          trace(coupler.Simulator()),
          form(folder.Path(), korvo::OnlineSeams{&pinger, &clock}) {
        pinger.reachable.insert(kAddress);
        form.show();
    }
    korvo::StationModel& Model() { return form.frmKonfig()->Model(); }
    int OutputModules() {
        int count = 0;
        for (int i = 1; i <= Model().ModuleCount; ++i) {
            const korvo::TModul* m = Model().Module(i);
            if (m->ModulZuStations == Model().CurrentStation && m->output > 0) ++count;
        }
        return count;
    }

    ProgramFolder folder;
    FakePinger pinger;
    FakeClock clock;
    MessageBoxRecorder recorder;
    SimulatedCoupler coupler;
    RequestTrace trace;
    TMainForm form;
};

void SetReceiveSeconds(std::int32_t seconds) {
    ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, sizeof seconds);
}

}  // namespace

class MainWindowWorkerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void CommandsSendTheirRequestsInTheirOrder();
    void SilentCouplerKeepsTheWindowTurningAndCancelEndsTheCommand();
    void ClosingWhileACommandWaitsCancelsItAndThenCloses();
};

void MainWindowWorkerTest::CommandsSendTheirRequestsInTheirOrder() {
    WorkerSetup setup;
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    setup.trace.Take();

    Action(setup.form, "Toolconfig")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList{QStringLiteral("check configuration|station OK !!  ")});
    QCOMPARE(setup.trace.Take(), CheckConfiguration());

    // The test starts with a check and opens its own pair; a cycle reads the inputs,
    // then writes the image once per output module; the stop switches the outputs
    // off with one write before the pair closes.
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(setup.Model().Online);
    QCOMPARE(setup.trace.Take(), CheckConfiguration() + Open());
    setup.form.TimerReadWriteTimer();
    QStringList cycle{QStringLiteral("read")};
    for (int i = 0; i < setup.OutputModules(); ++i) cycle << QStringLiteral("write");
    QCOMPARE(setup.trace.Take(), cycle);
    Action(setup.form, "ToolTest")->trigger();
    QVERIFY(!setup.Model().Online);
    QCOMPARE(setup.trace.Take(), QStringList{QStringLiteral("write")} + Close());

    korvo::Tfrmsystemconfig* diagnosis = setup.form.frmsystemconfig();
    Child<QPushButton>(diagnosis, "ButtonReadBusState")->click();
    QCOMPARE(setup.trace.Take(), Open() + ReadState() + Close());
    Child<QPushButton>(diagnosis, "ButtonErrorReset")->click();
    QCOMPARE(setup.trace.Take(), Open() + ResetAndReadState() + Close());

    // The restart toggle: the restart command on a pair of its own, then the first
    // look whether the coupler is back.
    Child<QPushButton>(diagnosis, "ButtonRestart")->click();
    QCOMPARE(setup.trace.Take(), Open() + Command(korvo::CmdRestart) + Close() + Open() + ReadState());
}

void MainWindowWorkerTest::SilentCouplerKeepsTheWindowTurningAndCancelEndsTheCommand() {
    WorkerSetup setup;
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    SetReceiveSeconds(3);
    setup.trace.Take();
    // The first command of the error reset is never answered.
    setup.coupler.Simulator().inject(korvo::sim::Fault::of(korvo::sim::FaultKind::Silent, 0x0105));

    int turns = 0;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] { ++turns; });
    probe.start();
    bool cancelShown = false;
    bool commandsGrey = false;
    auto* cancel = setup.form.findChild<QPushButton*>(QStringLiteral("CancelWait"));
    QVERIFY(cancel != nullptr);
    QWidget* checkButton = setup.form.findChild<QWidget*>(QStringLiteral("ToolconfigButton"));
    QVERIFY(checkButton != nullptr);
    QTimer::singleShot(800, &setup.form, [&] {
        cancelShown = cancel->isVisible();
        commandsGrey = !Action(setup.form, "Toolconfig")->isEnabled();
        SaveScreenshot(setup.form, "main-window-waiting.png");
        // A click on another command while one waits goes nowhere.
        QTest::mouseClick(checkButton, Qt::LeftButton);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    QElapsedTimer elapsed;
    elapsed.start();
    Action(setup.form, "Toolconfig")->trigger();
    const qint64 took = elapsed.elapsed();
    probe.stop();
    SetReceiveSeconds(1);

    QVERIFY(cancelShown);
    QVERIFY(commandsGrey);
    QVERIFY2(took < 2500, qPrintable(QString::number(took)));
    QVERIFY2(turns >= 20, qPrintable(QString::number(turns)));
    const QString log = setup.form.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("cancelled by the user")), qPrintable(log));
    QVERIFY(setup.form.Access()->NodesClosed());
    QVERIFY(Action(setup.form, "Toolconfig")->isEnabled());
    QVERIFY(!cancel->isVisible());
    // Only the cancelled command went out: the pair, the unanswered command, and,
    // once the library has given up on it and dropped the mailbox node with its
    // connection, the data node's closing.
    const QStringList expected = Open() + QStringList{QStringLiteral("send ") + Words(korvo::CmdPlugPlayOff),
                                                      QStringLiteral("close")};
    QStringList sent;
    const auto allSent = [&] {
        sent += setup.trace.Take();
        return sent.size() >= expected.size();
    };
    for (QElapsedTimer waited; !waited.isValid() || (!allSent() && waited.elapsed() < 5000);) {
        if (!waited.isValid()) waited.start();
        QTest::qWait(50);
    }
    QCOMPARE(sent, expected);

    // The next command runs in full again.
    setup.recorder.boxes.clear();
    Action(setup.form, "Toolconfig")->trigger();
    QCOMPARE(setup.recorder.boxes, QStringList{QStringLiteral("check configuration|station OK !!  ")});
}

void MainWindowWorkerTest::ClosingWhileACommandWaitsCancelsItAndThenCloses() {
    WorkerSetup setup;
    QTRY_VERIFY(setup.form.frmKonfig() != nullptr);
    SetReceiveSeconds(3);
    setup.coupler.Simulator().inject(korvo::sim::Fault::of(korvo::sim::FaultKind::Silent, 0x0105));
    bool stillOpenWhileWaiting = false;
    QTimer::singleShot(400, &setup.form, [&] {
        setup.form.close();
        stillOpenWhileWaiting = setup.form.isVisible();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    Action(setup.form, "Toolconfig")->trigger();
    SetReceiveSeconds(1);
    QVERIFY(stillOpenWhileWaiting);
    QVERIFY2(elapsed.elapsed() < 2500, qPrintable(QString::number(elapsed.elapsed())));
    QTRY_VERIFY(!setup.form.isVisible());
    QVERIFY(setup.form.Access()->NodesClosed());
}

QTEST_MAIN(MainWindowWorkerTest)
#include "main_window_worker_test.moc"
