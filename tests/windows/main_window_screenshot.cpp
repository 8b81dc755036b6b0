// Renders the main window with the demo station to PNG files in screenshots/ of the
// build folder, so anyone can look at the program without starting it: offline with a
// coupler selected and some outputs switched on (main-window.png), online against
// the simulated coupler with input LEDs lit and the online log shown
// (main-window-online.png), and maximised on a desktop (main-window-maximised.png).

#include "program_folder.h"
#include "simulated_coupler.h"
#include "random_loopback.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace {

void Save(korvo::TMainForm& form, const char* name) {
    const QPixmap shot = form.grab();
    QCOMPARE(shot.size(), form.size());
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    const QString file = QStringLiteral(KORVO_SCREENSHOT_DIR "/") + QString::fromLatin1(name);
    QVERIFY(shot.save(file, "PNG"));
    QVERIFY(!QPixmap(file).isNull());
}

void ClickLeds(korvo::TMainForm& form, std::initializer_list<const char*> names) {
    for (const char* led : names) {
        auto* shape = form.findChild<korvo::LedShape*>(QString::fromLatin1(led));
        QVERIFY2(shape != nullptr, led);
        QTest::mouseClick(shape, Qt::LeftButton);
    }
}

}  // namespace

class MainWindowScreenshot : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void RenderDemoStation();
    void RenderDemoStationOnline();
    void RenderMaximisedOnDesktop();
};

void MainWindowScreenshot::RenderDemoStation() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTest::mouseClick(Picture(form, 1), Qt::LeftButton);
    ClickLeds(form, {"a041", "a044", "a0410", "a0413", "a061", "a073"});
    QTest::mouseClick(Picture(form, 1), Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Save(form, "main-window.png");
}

void MainWindowScreenshot::RenderDemoStationOnline() {
    const std::string address = RandomLoopbackAddress();
    ProgramFolder folder(DemoProjectAt(address) + "\r\n[System]\r\nDebug=1\r\n");
    SimulatedCoupler coupler(address, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                             folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString());
    FakePinger pinger;
    pinger.reachable.insert(address);
    FakeClock clock;
    MessageBoxRecorder recorder;
    korvo::TMainForm form(folder.Path(), korvo::OnlineSeams{&pinger, &clock});
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);

    // Inputs as the coupler reports them: a pattern on the DI 16, two bits on the DI 8.
    const std::uint8_t di16[2] = {0x81, 0x3C};
    const std::uint8_t di8[2] = {0x00, 0x05};
    coupler.Controller().setInputs(static_cast<std::size_t>(coupler.Module("KORVO DI 16").inStart), di16);
    coupler.Controller().setInputs(static_cast<std::size_t>(coupler.Module("KORVO DI 8").inStart), di8);
    ClickLeds(form, {"a041", "a042", "a0411", "a061"});

    Action(form, "Tooldebug")->trigger();
    Action(form, "ToolTest")->trigger();
    QVERIFY(recorder.boxes.isEmpty());
    QVERIFY(form.frmKonfig()->Model().Online);
    // Three cycles leave the coupler's LED 17 red and large and the button blinking.
    for (int cycle = 0; cycle < 3; ++cycle) form.TimerReadWriteTimer();
    QTest::mouseClick(Picture(form, 2), Qt::LeftButton);
    QCOMPARE(form.findChild<korvo::LedShape*>(QStringLiteral("a023"))->Colour(), korvo::LedShape::kOn);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Save(form, "main-window-online.png");
    Action(form, "ToolTest")->trigger();
}

// Maximised on a 1280 x 1024 desktop (the test's platform configuration), with the
// debug panel open and a module's dump in it (main-window-maximised.png).
void MainWindowScreenshot::RenderMaximisedOnDesktop() {
    const QSize desktop = QGuiApplication::primaryScreen()->availableGeometry().size();
    if (desktop != QSize(1280, 1024)) QSKIP("needs the 1280 x 1024 screen of the test's platform configuration");
    ProgramFolder folder(ProgramFolder::DemoProject() + "\r\n[System]\r\nDebug=1\r\n");
    korvo::TMainForm form(folder.Path());
    form.showMaximized();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QTRY_COMPARE(form.size(), desktop);
    Action(form, "Tooldebug")->trigger();
    QTest::mouseClick(Picture(form, 4), Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The view, not the grey window behind it, fills everything left of the type list;
    // the debug panel spans the whole width below it.
    QWidget* view = form.frmKonfig();
    auto* panel = form.findChild<QWidget*>(QStringLiteral("PaDebug"));
    QTRY_VERIFY(view->width() > desktop.width() - 200);
    QTRY_VERIFY(panel->isVisible() && panel->height() > 100);
    QCOMPARE(panel->width(), desktop.width());
    Save(form, "main-window-maximised.png");
}

QTEST_MAIN(MainWindowScreenshot)
#include "main_window_screenshot.moc"
