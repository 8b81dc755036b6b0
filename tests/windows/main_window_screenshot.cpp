// Renders the main window with the demo station to screenshots/main-window.png in the
// build folder, with a coupler selected and some outputs switched on, so anyone can
// look at the program without starting it.

#include "program_folder.h"

#include <QDir>
#include <QPixmap>

class MainWindowScreenshot : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void RenderDemoStation();
};

void MainWindowScreenshot::RenderDemoStation() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseClick(Picture(form, 1), Qt::LeftButton);
    for (const char* led : {"a041", "a044", "a0410", "a0413", "a061", "a073"}) {
        auto* shape = form.findChild<korvo::LedShape*>(QString::fromLatin1(led));
        QVERIFY2(shape != nullptr, led);
        QTest::mouseClick(shape, Qt::LeftButton);
    }
    QTest::mouseClick(Picture(form, 1), Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QPixmap shot = form.grab();
    QCOMPARE(shot.size(), form.size());
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    const QString file = QStringLiteral(KORVO_SCREENSHOT_DIR "/main-window.png");
    QVERIFY(shot.save(file, "PNG"));
    QVERIFY(!QPixmap(file).isNull());
}

QTEST_MAIN(MainWindowScreenshot)
#include "main_window_screenshot.moc"
