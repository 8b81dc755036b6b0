// The main window on a desktop: the station view follows the window's size and the
// bottom panel, the module popup opens at the click, secondary windows open over the
// main window, boxes show their whole caption, the project dialogs start in the
// project folder, and commands without a window yet say so.

#include "program_folder.h"

#include "ui/message_box.h"
#include "station/windows/connector_image.h"
#include "access/windows/system_config.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

using korvo::TMainForm;

namespace {

QWidget* Widget(TMainForm& form, const char* name) { return form.findChild<QWidget*>(QString::fromLatin1(name)); }

// What a file dialog showed when it opened; it is cancelled at once.
struct SeenDialog {
    QString folder;
    QStringList filters;
};

SeenDialog CancelNextFileDialog(QAction* command) {
    SeenDialog seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            seen.folder = dialog->directory().absolutePath();
            seen.filters = dialog->nameFilters();
            dialog->reject();
        }
    });
    poll.start();
    command->trigger();
    return seen;
}

bool Near(const QPoint& a, const QPoint& b) { return (a - b).manhattanLength() <= 2; }

}  // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void StationViewFollowsWindowSizeAndBottomPanel();
    void PopupOpensAtTheClickInAScrolledView();
    void SecondaryWindowsOpenOverMainWindowThenStayWhereMoved();
    void MessageBoxLeavesRoomForItsCaption();
    void ProjectDialogsStartInProjectFolderWithTwoFilters();
};

void MainWindowLayoutTest::StationViewFollowsWindowSizeAndBottomPanel() {
    ProgramFolder folder(ProgramFolder::DemoProject() + "\r\n[System]\r\nDebug=1\r\n");
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    korvo::TfrmKonfig* view = form.frmKonfig();
    QWidget* list = Widget(form, "ListModule");
    QWidget* background = Widget(form, "PaForm");
    const QSize before = view->size();
    const int listWidth = list->width();

    form.resize(1280, 1024);
    QTRY_COMPARE(view->width(), before.width() + 1280 - 738);
    QTRY_COMPARE(view->height(), before.height() + 1024 - 664);
    QCOMPARE(list->width(), listWidth);
    // The type list stays at the right edge, the grey background fills the whole view.
    QCOMPARE(list->mapTo(&form, QPoint(list->width(), 0)).x(), form.centralWidget()->geometry().right() + 1);
    QVERIFY(background->width() >= view->viewport()->width());
    QVERIFY(background->height() >= view->viewport()->height());

    // The bottom panel spans the whole width above the status bar and takes its height
    // from the view, which gets it back once the panel hides again.
    const int fullHeight = view->height();
    Action(form, "Tooldebug")->trigger();
    QWidget* panel = Widget(form, "PaDebug");
    QTRY_VERIFY(panel->isVisible());
    QTRY_VERIFY(view->height() < fullHeight);
    QCOMPARE(panel->width(), form.centralWidget()->width());
    QCOMPARE(panel->mapTo(&form, QPoint(0, panel->height())).y(), form.centralWidget()->geometry().bottom() + 1);
    QCOMPARE(Widget(form, "MemoDebug")->mapTo(panel, QPoint(Widget(form, "MemoDebug")->width(), 0)).x(),
             panel->width());
    Action(form, "Tooldebug")->trigger();
    QTRY_VERIFY(!panel->isVisible());
    QTRY_COMPARE(view->height(), fullHeight);
    QVERIFY(background->height() >= view->viewport()->height());
}

void MainWindowLayoutTest::PopupOpensAtTheClickInAScrolledView() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    korvo::TfrmKonfig* view = form.frmKonfig();
    // One module per row: the last ones lie far below the unscrolled view.
    Action(form, "Toolvertikal")->trigger();
    QScrollBar* scroll = view->verticalScrollBar();
    QTRY_VERIFY(scroll->maximum() > 0);
    scroll->setValue(scroll->maximum());

    QSignalSpy popup(view, &korvo::TfrmKonfig::popupRequested);
    korvo::ModulePicture* last = Picture(form, 21);
    QTest::mouseClick(last, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(popup.count(), 1);
    const QPoint at = popup.first().at(0).toPoint();
    QCOMPARE(at, last->mapToGlobal(QPoint(5, 5)));
    QVERIFY(view->rect().contains(view->mapFromGlobal(at)));
    QTRY_VERIFY(form.ModulePopup()->isVisible());
    form.ModulePopup()->hide();
}

void MainWindowLayoutTest::SecondaryWindowsOpenOverMainWindowThenStayWhereMoved() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.resize(700, 520);
    form.move(50, 40);
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint centre = form.geometry().center();

    Action(form, "MenuDiagnosis")->trigger();
    korvo::Tfrmsystemconfig* diagnosis = form.frmsystemconfig();
    QTRY_VERIFY(diagnosis->isVisible());
    QVERIFY2(Near(diagnosis->geometry().center(), centre), "diagnosis window not over the main window");
    diagnosis->move(10, 20);
    diagnosis->hide();
    Action(form, "MenuDiagnosis")->trigger();
    QTRY_VERIFY(diagnosis->isVisible());
    QCOMPARE(diagnosis->pos(), QPoint(10, 20));

    korvo::TfrmConnectorImage* connection = form.frmConnectorImage();
    form.ShowConnectionImage("KORVO PS");
    QTRY_VERIFY(connection->isVisible());
    QVERIFY2(Near(connection->geometry().center(), centre), "connection picture not over the main window");
    connection->move(30, 25);
    form.ShowConnectionImage("KORVO DI 8");
    QCOMPARE(connection->pos(), QPoint(30, 25));
}

void MainWindowLayoutTest::MessageBoxLeavesRoomForItsCaption() {
    const QString caption = QStringLiteral("check configuration");
    auto box = korvo::MakeMessageBox(nullptr, QMessageBox::Information, caption, QStringLiteral("station OK !!  "),
                                     QMessageBox::Ok);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QFont bold = QApplication::font();
    bold.setBold(true);
    // Besides the caption a title bar holds the window icon and three buttons.
    QVERIFY2(box->width() >= QFontMetrics(bold).horizontalAdvance(caption) + 120,
             qPrintable(QStringLiteral("box only %1 pixels wide").arg(box->width())));
    QCOMPARE(box->windowTitle(), caption);
}

void MainWindowLayoutTest::ProjectDialogsStartInProjectFolderWithTwoFilters() {
    // The build puts the folder beside the program, as the install does.
    QVERIFY(QDir(QStringLiteral(KORVO_PROGRAM_DIR "/project")).exists());

    ProgramFolder folder;
    QVERIFY(QDir(folder.FilePath(QString())).mkpath(QStringLiteral("project")));
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    const QString projectFolder = QDir(folder.FilePath(QStringLiteral("project"))).absolutePath();
    const QStringList filters{QStringLiteral("Project (*.prj)"), QStringLiteral("All files (*)")};

    const SeenDialog open = CancelNextFileDialog(Action(form, "ToolButton1"));
    QCOMPARE(open.folder, projectFolder);
    QCOMPARE(open.filters, filters);
    const SeenDialog save = CancelNextFileDialog(Action(form, "ToolButton5"));
    QCOMPARE(save.folder, projectFolder);
    QCOMPARE(save.filters, filters);
    QCOMPARE(form.frmKonfig()->Model().ModuleCount, 0);
}

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
