// The main window: start and first activation, the debug switch, placing modules from
// the type list, the module popup, zoom controls, deleting and the save at close.

#include "program_folder.h"

#include "ui/cp1252_text.h"
#include "station/windows/connector_image.h"

#include <QImage>
#include <QLabel>
#include <QMenu>

using korvo::TMainForm;

namespace {

QString StatusPanel(TMainForm& form, int panel) {
    return form.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel))->text();
}

QString LaStatus(TMainForm& form) { return form.findChild<QLabel*>(QStringLiteral("LaStatus"))->text(); }

std::string TypeAt(TMainForm& form, int slot) {
    const korvo::TModul* m = form.frmKonfig()->Model().Module(slot);
    return m ? m->ModulType : std::string("<empty>");
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void StartWithoutSettingsFileGivesEmptyStationAndHiddenDebugButton();
    void StartWithDemoSettingsLoadsStationAndStatus();
    void DebugSwitchInSettingsShowsDebugButton();
    void SecondActivationNeitherReloadsNorCreatesAnotherView();
    void TypeListClicksPlaceModulesWhereTheSelectionSays();
    void RestartItemOfferedOnlyForCoupler();
    void ZoomStepsDisableAtTheEndsAndPlacingResets();
    void DeleteRefusedWhileOnline();
    void CloseSavesSettingsEvenForEmptyStation();
    void CloseSavesPlacedModules();
    void ConnectionPlanShowsTypePictureAndKeepsItForUnknownTypes();
    void DoubleClickShowsRegisteredPropertiesDialogOnly();
    void StationNameInWindows1252ShowsUmlaut();
};

void MainWindowTest::StartWithoutSettingsFileGivesEmptyStationAndHiddenDebugButton() {
    ProgramFolder folder;
    TMainForm form(folder.Path());
    QCOMPARE(form.windowTitle(), QStringLiteral("Korvo Configurator"));
    QCOMPARE(form.findChild<QListWidget*>(QStringLiteral("ListModule"))->count(), 31);
    QVERIFY(form.frmKonfig() == nullptr);
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::StationModel& model = form.frmKonfig()->Model();
    QCOMPARE(model.ModuleCount, 0);
    QCOMPARE(model.CurrentModule, 1);
    QCOMPARE(model.SelectedCoupler, 1);
    QVERIFY(!Action(form, "Tooldebug")->isVisible());
    QVERIFY(!form.State().DebugAllowed);
    QCOMPARE(form.frmKonfig()->windowTitle(), QStringLiteral("Konfiguration"));
}

void MainWindowTest::StartWithDemoSettingsLoadsStationAndStatus() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::StationModel& model = form.frmKonfig()->Model();
    QCOMPARE(model.ModuleCount, 21);
    QCOMPARE(model.StationCount, 2);
    QCOMPARE(StatusPanel(form, 0), QStringLiteral("PumpHouse  IP:127.0.0.10"));
    QVERIFY(!Action(form, "Tooldebug")->isVisible());
    QVERIFY(form.frmKonfig()->Panel(21) != nullptr);
    QVERIFY(form.frmKonfig()->Panel(21)->isVisible());
}

void MainWindowTest::DebugSwitchInSettingsShowsDebugButton() {
    ProgramFolder folder("[System]\r\nDebug=1\r\n");
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QVERIFY(form.State().DebugAllowed);
    QVERIFY(Action(form, "Tooldebug")->isVisible());
    QTRY_VERIFY(form.findChild<QWidget*>(QStringLiteral("TooldebugButton"))->isVisible());
}

void MainWindowTest::SecondActivationNeitherReloadsNorCreatesAnotherView() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::TfrmKonfig* view = form.frmKonfig();
    folder.WriteSettings("[Module]\r\nAnzahl=0\r\n[System]\r\nDebug=1\r\n");
    form.FormActivate();
    QCOMPARE(form.frmKonfig(), view);
    QCOMPARE(form.findChildren<korvo::TfrmKonfig*>().size(), 1);
    QCOMPARE(view->Model().ModuleCount, 21);
    QVERIFY(!Action(form, "Tooldebug")->isVisible());
}

void MainWindowTest::TypeListClicksPlaceModulesWhereTheSelectionSays() {
    ProgramFolder folder;
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::StationModel& model = form.frmKonfig()->Model();

    // Slot 1 is current but empty: the coupler is appended and becomes current.
    ClickTypeLine(form, QStringLiteral("KORVO NC ETH"));
    QCOMPARE(model.ModuleCount, 1);
    QCOMPARE(TypeAt(form, 1), std::string("KORVO NC ETH"));
    // With the coupler current, modules go behind the last module of its station.
    ClickTypeLine(form, QStringLiteral("KORVO DI 2"));
    ClickTypeLine(form, QStringLiteral("KORVO DO 2"));
    QCOMPARE(model.ModuleCount, 3);
    QCOMPARE(TypeAt(form, 2), std::string("KORVO DI 2"));
    QCOMPARE(TypeAt(form, 3), std::string("KORVO DO 2"));

    // A plain module current: the new one goes in front of it.
    QTest::mouseClick(Picture(form, 2), Qt::LeftButton);
    QCOMPARE(LaStatus(form), QStringLiteral("Insert/Delete"));
    ClickTypeLine(form, QStringLiteral("KORVO AI 2"));
    QCOMPARE(model.ModuleCount, 4);
    QCOMPARE(TypeAt(form, 2), std::string("KORVO AI 2"));
    QCOMPARE(TypeAt(form, 3), std::string("KORVO DI 2"));
    QCOMPARE(TypeAt(form, 4), std::string("KORVO DO 2"));

    // A coupler placed while a plain module is current splits the station there.
    QTest::mouseClick(Picture(form, 3), Qt::LeftButton);
    ClickTypeLine(form, QStringLiteral("KORVO NC ETH"));
    QCOMPARE(model.ModuleCount, 5);
    QCOMPARE(TypeAt(form, 3), std::string("KORVO NC ETH"));
    QCOMPARE(model.Module(3)->StationsNummmer, 2);
    QCOMPARE(model.Module(4)->ModulZuStations, 2);
    QCOMPARE(model.Module(2)->ModulZuStations, 1);

    // A "." line places nothing.
    ClickTypeLine(form, QStringLiteral("."));
    QCOMPARE(model.ModuleCount, 5);

    // Nothing selected (click on the empty view): the module is appended at the end.
    QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("PaForm")), Qt::LeftButton, {}, QPoint(500, 400));
    QCOMPARE(model.CurrentModule, 0);
    QCOMPARE(LaStatus(form), QString());
    ClickTypeLine(form, QStringLiteral("KORVO PS"));
    QCOMPARE(TypeAt(form, 6), std::string("KORVO PS"));
}

void MainWindowTest::RestartItemOfferedOnlyForCoupler() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QMenu* popup = form.ModulePopup();
    QAction* restart = Action(form, "PopupRestart");

    QTest::mouseClick(Picture(form, 11), Qt::RightButton, {}, QPoint(5, 5));
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(restart->isVisible());
    QCOMPARE(StatusPanel(form, 0), QStringLiteral("BoilerRoom  IP:127.0.0.11"));
    QCOMPARE(form.frmKonfig()->Model().SelectedCoupler, 11);
    popup->hide();

    QTest::mouseClick(Picture(form, 2), Qt::RightButton, {}, QPoint(5, 5));
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(!restart->isVisible());
    QVERIFY(Action(form, "PopupDelete")->isVisible());
    QVERIFY(Action(form, "PopupConnectionPlan")->isVisible());
    QVERIFY(Action(form, "PopupProperties")->isVisible());
    QCOMPARE(form.frmKonfig()->Model().CurrentModule, 2);
    QCOMPARE(form.frmKonfig()->Model().SelectedCoupler, 0);
    popup->hide();
}

void MainWindowTest::ZoomStepsDisableAtTheEndsAndPlacingResets() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QAction* smaller = Action(form, "ToolZoom");
    QAction* larger = Action(form, "ToolZoomReset");
    QAction* menuSmaller = Action(form, "MenuZoomIn");
    QAction* menuLarger = Action(form, "MenuZoomOut");
    korvo::ModulePanel* coupler = form.frmKonfig()->Panel(1);
    QCOMPARE(coupler->geometry(), QRect(10, 10, 90, 90));

    // The menu item "zoom in" makes the view smaller, like the button hinted "zoom out".
    QCOMPARE(smaller->toolTip(), QStringLiteral("zoom out"));
    menuSmaller->trigger();
    QCOMPARE(form.State().Zoom.ZoomLevel, 3);
    QVERIFY(!smaller->isEnabled());
    QVERIFY(!menuSmaller->isEnabled());
    QVERIFY(larger->isEnabled());
    QCOMPARE(coupler->geometry(), QRect(5, 5, 45, 45));

    larger->trigger();
    QCOMPARE(form.State().Zoom.ZoomLevel, 2);
    QVERIFY(smaller->isEnabled() && larger->isEnabled());
    QCOMPARE(coupler->geometry(), QRect(10, 10, 90, 90));
    menuLarger->trigger();
    QCOMPARE(form.State().Zoom.ZoomLevel, 1);
    QVERIFY(!larger->isEnabled());
    QVERIFY(!menuLarger->isEnabled());
    QVERIFY(smaller->isEnabled() && menuSmaller->isEnabled());
    QCOMPARE(coupler->geometry(), QRect(20, 20, 180, 180));

    // Every arranging operation first brings the view back to normal size.
    ClickTypeLine(form, QStringLiteral("KORVO DI 2"));
    QCOMPARE(form.State().Zoom.ZoomLevel, 2);
    QVERIFY(larger->isEnabled() && smaller->isEnabled());
    QCOMPARE(coupler->geometry(), QRect(10, 10, 90, 90));
}

void MainWindowTest::DeleteRefusedWhileOnline() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::StationModel& model = form.frmKonfig()->Model();
    QTest::mouseClick(Picture(form, 2), Qt::LeftButton);
    QCOMPARE(model.CurrentModule, 2);

    model.Online = true;
    QTest::keyClick(&form, Qt::Key_Delete);
    Action(form, "PopupDelete")->trigger();
    QCOMPARE(model.ModuleCount, 21);
    QCOMPARE(TypeAt(form, 2), std::string("KORVO DI 16"));

    model.Online = false;
    QTest::keyClick(&form, Qt::Key_Delete);
    QCOMPARE(model.ModuleCount, 20);
    QCOMPARE(TypeAt(form, 2), std::string("KORVO DI 8"));
    // The panel that moved into slot 2 answers to the slot's names.
    QCOMPARE(form.frmKonfig()->Panel(2)->objectName(), QStringLiteral("Pa2"));
    auto* led = form.findChild<korvo::LedShape*>(QStringLiteral("a021"));
    QVERIFY(led != nullptr);
    QCOMPARE(led->parentWidget(), form.frmKonfig()->Panel(2));
    QCOMPARE(form.findChildren<korvo::LedShape*>(QStringLiteral("a021")).size(), 1);
}

void MainWindowTest::CloseSavesSettingsEvenForEmptyStation() {
    ProgramFolder folder;
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QVERIFY(form.close());
    QVERIFY(folder.ReadSettings().contains("Anzahl=0"));
}

void MainWindowTest::CloseSavesPlacedModules() {
    ProgramFolder folder;
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    ClickTypeLine(form, QStringLiteral("KORVO NC ETH"));
    ClickTypeLine(form, QStringLiteral("KORVO AI 2"));
    Action(form, "MenuExit")->trigger();
    const QByteArray saved = folder.ReadSettings();
    QVERIFY(saved.contains("Anzahl=2"));
    QVERIFY(saved.contains("Name1=KORVO NC ETH"));
    QVERIFY(saved.contains("Name2=KORVO AI 2"));
    QVERIFY(saved.contains("[Station1]"));
}

void MainWindowTest::ConnectionPlanShowsTypePictureAndKeepsItForUnknownTypes() {
    ProgramFolder folder("[Module]\r\nAnzahl=2\r\nName1=KORVO PS\r\nName2=KORVO XY\r\n");
    QDir(QFileInfo(folder.FilePath(QStringLiteral("korvo.ini"))).path()).mkpath(QStringLiteral("documents"));
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(folder.FilePath(QStringLiteral("documents/connection_ps.jpg")), "JPG"));
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::TfrmConnectorImage* window = form.frmConnectorImage();
    QVERIFY(!window->isVisible());

    QTest::mouseClick(Picture(form, 1), Qt::RightButton);
    form.ModulePopup()->hide();
    Action(form, "PopupConnectionPlan")->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("KORVO PS"));
    QVERIFY(window->PictureFile().endsWith(QStringLiteral("documents/connection_ps.jpg")));
    QCOMPARE(window->size(), QSize(685, 422));
    QVERIFY(!window->Picture()->pixmap().isNull());

    QTest::mouseClick(Picture(form, 2), Qt::RightButton);
    form.ModulePopup()->hide();
    Action(form, "PopupConnectionPlan")->trigger();
    QCOMPARE(window->windowTitle(), QStringLiteral("KORVO XY"));
    QVERIFY(window->PictureFile().endsWith(QStringLiteral("documents/connection_ps.jpg")));
}

void MainWindowTest::DoubleClickShowsRegisteredPropertiesDialogOnly() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QWidget dialog;
    form.RegisterPropertiesDialog(korvo::PropertiesDialog::Korvo_DI_8, &dialog);

    QTest::mouseDClick(Picture(form, 2), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QTest::mouseDClick(Picture(form, 3), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(form.frmKonfig()->Model().CurrentModule, 3);

    dialog.hide();
    QTest::mouseClick(Picture(form, 3), Qt::RightButton);
    form.ModulePopup()->hide();
    Action(form, "PopupProperties")->trigger();
    QVERIFY(dialog.isVisible());
}

void MainWindowTest::StationNameInWindows1252ShowsUmlaut() {
    ProgramFolder folder("[Module]\r\nAnzahl=1\r\nName1=KORVO NC ETH\r\n[Station1]\r\nIPAddress=127.0.0.10\r\n"
                         "Station Name=K\xFChlraum \x80\r\n");
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QCOMPARE(StatusPanel(form, 0), QStringLiteral("K\u00FChlraum \u20AC  IP:127.0.0.10"));
    QCOMPARE(korvo::FromQString(StatusPanel(form, 0)), std::string("K\xFChlraum \x80  IP:127.0.0.10"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
