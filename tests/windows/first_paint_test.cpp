// The online log's cycle blocks, and KorvoConfigurator --screenshot run as a
// program: a picture of the loaded station, the program folder's settings untouched.

#include "program_folder.h"

#include "shell/windows/online_log.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class FirstPaintTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void HeldLinesReachTheLogAsOneBlockWithTheSameText();
    void ScreenshotOfTheDemoStationIsWrittenAndTheProgramEnds();
    void ScreenshotThatCannotBeWrittenEndsWithTwo();
};

void FirstPaintTest::HeldLinesReachTheLogAsOneBlockWithTheSameText() {
    QPlainTextEdit memo;
    korvo::OnlineLog log(&memo);
    log.Add(QStringLiteral("before"));
    QCOMPARE(memo.toPlainText(), QStringLiteral("before"));

    log.Hold();
    log.Clear();
    log.Add(QStringLiteral("READ Section ------"));
    log.Add(QStringLiteral("KORVO DI 16  Date 01,02,"));
    QVERIFY(memo.toPlainText().isEmpty());
    log.Flush();
    QCOMPARE(memo.toPlainText(), QStringLiteral("READ Section ------\nKORVO DI 16  Date 01,02,"));
    log.Add(QStringLiteral("WRITE SectionWriteData ------"));
    log.Release();
    QCOMPARE(memo.toPlainText(),
             QStringLiteral("READ Section ------\nKORVO DI 16  Date 01,02,\nWRITE SectionWriteData ------"));
    QCOMPARE(memo.blockCount(), 3);

    log.Add(QStringLiteral("after"));
    QVERIFY(memo.toPlainText().endsWith(QStringLiteral("\nafter")));
}

namespace {

struct Run {
    int exitCode = -1;
    QString errors;
};

Run RunConfigurator(const QStringList& arguments) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KORVO_PROGRAM_DIR "/KorvoConfigurator"), arguments);
    Run run;
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished();
        return run;
    }
    run.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

QByteArray Settings() {
    QFile file(QStringLiteral(KORVO_PROGRAM_DIR "/korvo.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("none");
}

}  // namespace

void FirstPaintTest::ScreenshotOfTheDemoStationIsWrittenAndTheProgramEnds() {
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("station.png"));
    const QByteArray settings = Settings();
    const Run run = RunConfigurator({QStringLiteral("--screenshot"), picture, QStringLiteral("--project"),
                                     QStringLiteral(KORVO_TEST_DATA_DIR "/demo/demo.prj")});
    QCOMPARE(run.exitCode, 0);
    const QImage image(picture);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 400 && image.height() > 300);
    // The station's modules are painted: the picture is far from one plain colour.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
    }
    QVERIFY(colours.size() > 20);
    QCOMPARE(Settings(), settings);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("station.png")});
}

void FirstPaintTest::ScreenshotThatCannotBeWrittenEndsWithTwo() {
    const Run run = RunConfigurator({QStringLiteral("--screenshot"), QStringLiteral("/no/such/folder/station.png")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.errors.contains(QStringLiteral("cannot write the screenshot")), qPrintable(run.errors));
    QCOMPARE(RunConfigurator({QStringLiteral("--shot")}).exitCode, 2);
}

QTEST_MAIN(FirstPaintTest)
#include "first_paint_test.moc"
