// The project workflow in the main window: the title names the project and its
// changes, save and save as never lose a file, leaving a changed project asks, the
// budgets and the inspector follow the station, undo takes every change back, keys
// and drags move modules, secondary windows keep their places, the record takes
// the tester's verdicts.

#include "program_folder.h"
#include "window_screenshot.h"

#include "docs/windows/io_record_window.h"
#include "docs/windows/io_test_record_painter.h"
#include "online/io_test_header.h"
#include "online/io_test_record.h"
#include "shell/windows/project_properties_window.h"
#include "shell/windows/station_history.h"
#include "shell/windows/window_keeper.h"
#include "tools/windows/eth_ping_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>

#include <memory>

using korvo::TMainForm;

namespace {

// Answers the next modal box or dialog when it opens: a message box with the button,
// a file dialog with the name typed into its folder. What the box said goes to seen.
void AnswerNext(QMessageBox::StandardButton button, const QString& file = QString(), QString* seen = nullptr) {
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (seen != nullptr) *seen = box->text();
            box->button(button)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog != nullptr && !file.isEmpty()) {
            // The dialog selects the proposed file once its folder is read; a user types after that.
            if (++*ticks < 10) return;
            if (seen != nullptr) *seen = dialog->selectedFiles().value(0);
            dialog->setDirectory(QFileInfo(file).absolutePath());
            // Typed as a user types it, over the proposed name.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->selectAll();
            QTest::keyClicks(name, QFileInfo(file).fileName());
            static_cast<QDialog*>(dialog)->accept();
        } else {
            return;
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start(20);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QLabel* Label(TMainForm& form, const char* name) { return form.findChild<QLabel*>(QString::fromLatin1(name)); }

// A project of a coupler and `thermocouples` TC 8 (12 input and 12 output bytes each).
QByteArray Thermocouples(int thermocouples) {
    QByteArray text = "[Module]\r\nAnzahl=" + QByteArray::number(thermocouples + 1) + "\r\nName1=KORVO NC ETH\r\n";
    for (int i = 0; i < thermocouples; ++i) text += "Name" + QByteArray::number(i + 2) + "=KORVO TC 8\r\n";
    return text + "[Station1]\r\nIPAddress=127.0.0.10\r\nStation Name=Hall\r\n";
}

}  // namespace

class ProjectWorkflowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void TitleSaveAndSaveAsNeverLoseAFile();
    void LeavingAChangedProjectAsks();
    void BudgetsFollowTheStationAndUndoTakesThemBack();
    void UndoRedoEveryKindOfChange();
    void KeysAndDragsMoveModulesAndTheInspectorFollows();
    void SecondaryWindowsKeepTheirPlacesAndCloseWithEscape();
    void RecordTakesVerdictsAndNoPageHoldsALoneRow();
};

void ProjectWorkflowTest::TitleSaveAndSaveAsNeverLoseAFile() {
    ProgramFolder folder;
    const QString project = folder.FilePath(QStringLiteral("plant.prj"));
    QFile::copy(QStringLiteral(KORVO_TEST_DATA_DIR "/demo/demo.prj"), project);
    TMainForm form(folder.Path());
    form.State().StartProject = QFile::encodeName(project).toStdString();
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QCOMPARE(form.windowTitle(), QStringLiteral("plant.prj - Korvo Configurator"));

    ClickTypeLine(form, QStringLiteral("KORVO DI 16"));
    QCOMPARE(form.windowTitle(), QStringLiteral("plant.prj* - Korvo Configurator"));
    Action(form, "MenuSave")->trigger();
    QCOMPARE(form.windowTitle(), QStringLiteral("plant.prj - Korvo Configurator"));
    QCOMPARE(ReadFile(project).count("KORVO DI 16"), ProgramFolder::DemoProject().count("KORVO DI 16") + 1);

    // Save as proposes the open project and adds the extension to a bare name.
    QString proposed;
    AnswerNext(QMessageBox::Ok, folder.FilePath(QStringLiteral("copy")), &proposed);
    Action(form, "MenuSaveAs")->trigger();
    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("plant.prj"));
    QVERIFY(QFile::exists(folder.FilePath(QStringLiteral("copy.prj"))));
    QVERIFY(!QFile::exists(folder.FilePath(QStringLiteral("copy"))));
    QCOMPARE(form.windowTitle(), QStringLiteral("copy.prj - Korvo Configurator"));

    // Another file is replaced only when the user says so.
    QFile other(folder.FilePath(QStringLiteral("other.prj")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("keep me");
    other.close();
    QString question;
    AnswerNext(QMessageBox::Ok, folder.FilePath(QStringLiteral("other.prj")));
    QTimer::singleShot(300, [&question] { AnswerNext(QMessageBox::No, QString(), &question); });
    Action(form, "MenuSaveAs")->trigger();
    QCOMPARE(question, QStringLiteral("other.prj already exists.\nDo you want to replace it?"));
    QCOMPARE(ReadFile(folder.FilePath(QStringLiteral("other.prj"))), QByteArray("keep me"));
    QCOMPARE(form.windowTitle(), QStringLiteral("copy.prj - Korvo Configurator"));
    SaveScreenshot(form, "project-title.png");
}

void ProjectWorkflowTest::LeavingAChangedProjectAsks() {
    ProgramFolder folder;
    const QString project = folder.FilePath(QStringLiteral("plant.prj"));
    QFile::copy(QStringLiteral(KORVO_TEST_DATA_DIR "/demo/demo.prj"), project);
    TMainForm form(folder.Path());
    form.State().StartProject = QFile::encodeName(project).toStdString();
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    const int before = form.frmKonfig()->Model().ModuleCount;
    ClickTypeLine(form, QStringLiteral("KORVO DO 16"));

    QString question;
    AnswerNext(QMessageBox::Cancel, QString(), &question);
    QVERIFY(!form.close());
    QCOMPARE(question, QStringLiteral("save changes to plant.prj?"));
    QVERIFY(form.isVisible());
    AnswerNext(QMessageBox::Cancel);
    Action(form, "MenuNew")->trigger();
    QCOMPARE(form.frmKonfig()->Model().ModuleCount, before + 1);

    AnswerNext(QMessageBox::Discard);
    QVERIFY(form.close());
    QCOMPARE(ReadFile(project), ProgramFolder::DemoProject());
    // The automatic save still takes the station as it was at close.
    QVERIFY(folder.ReadSettings().contains("Anzahl=" + QByteArray::number(before + 1)));
}

void ProjectWorkflowTest::BudgetsFollowTheStationAndUndoTakesThemBack() {
    ProgramFolder folder(Thermocouples(42));
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QLabel* budget = Label(form, "StatusBudget");
    QCOMPARE(budget->text(), QStringLiteral("station 1: in 504 / 512, out 504 / 512 bytes"));
    auto* mark = form.frmKonfig()->Panel(1)->findChild<QLabel*>(QStringLiteral("OverBudgetMark"));
    QVERIFY(mark != nullptr && mark->isHidden());

    // The coupler is selected at start: the module goes to the end of its station.
    ClickTypeLine(form, QStringLiteral("KORVO TC 8"));
    QCOMPARE(form.frmKonfig()->Model().ModuleCount, 44);
    QCOMPARE(budget->text(), QStringLiteral("station 1: in 516 / 512, out 516 / 512 bytes"));
    QVERIFY(!form.frmKonfig()->Panel(1)->findChild<QLabel*>(QStringLiteral("OverBudgetMark"))->isHidden());
    QCOMPARE(Label(form, "StatusPanel1")->text(),
             QStringLiteral("over budget: station 1: in 516 / 512, out 516 / 512 bytes - the station cannot hold "
                            "its modules"));

    Action(form, "MenuUndo")->trigger();
    QCOMPARE(form.frmKonfig()->Model().ModuleCount, 43);
    QCOMPARE(budget->text(), QStringLiteral("station 1: in 504 / 512, out 504 / 512 bytes"));
    QVERIFY(form.frmKonfig()->Panel(1)->findChild<QLabel*>(QStringLiteral("OverBudgetMark"))->isHidden());
}

void ProjectWorkflowTest::UndoRedoEveryKindOfChange() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::StationModel& model = form.frmKonfig()->Model();
    QVERIFY(!Action(form, "MenuUndo")->isEnabled());
    const int count = model.ModuleCount;

    // Two quick clicks on a type place two modules, two steps: the second arrives as
    // the list's double click.
    auto* list = form.findChild<QListWidget*>(QStringLiteral("ListModule"));
    QListWidgetItem* line = list->findItems(QStringLiteral("KORVO DI 8"), Qt::MatchExactly).first();
    ClickTypeLine(form, QStringLiteral("KORVO DI 8"));
    Q_EMIT list->itemDoubleClicked(line);
    QCOMPARE(model.ModuleCount, count + 2);

    // Deleting a module is a step; the properties are one too.
    QTest::mouseClick(Picture(form, 3), Qt::LeftButton);
    const std::string third = model.Module(4)->ModulType;
    QTest::keyClick(form.frmKonfig(), Qt::Key_Delete);
    QCOMPARE(model.ModuleCount, count + 1);
    QCOMPARE(model.Module(3)->ModulType, third);
    Action(form, "MenuProjectProperties")->trigger();
    auto* properties = form.frmProjectProperties();
    QTRY_VERIFY(properties->isVisible());
    properties->findChild<QLineEdit*>(QStringLiteral("EditTester"))->setText(QStringLiteral("M. M\u00FCller"));
    properties->accept();
    QCOMPARE(model.Properties.Tester, std::string("M. M\xFCller"));

    Action(form, "MenuUndo")->trigger();
    QCOMPARE(model.Properties.Tester, std::string());
    Action(form, "MenuUndo")->trigger();
    QCOMPARE(model.ModuleCount, count + 2);
    QCOMPARE(model.Module(3)->ModulType, std::string("KORVO DI 8"));
    Action(form, "MenuUndo")->trigger();
    Action(form, "MenuUndo")->trigger();
    QCOMPARE(model.ModuleCount, count);
    QVERIFY(!Action(form, "MenuUndo")->isEnabled());
    Action(form, "MenuRedo")->trigger();
    QCOMPARE(model.ModuleCount, count + 1);
    // The panels of the restored station are the model's: slot labels and pictures.
    QVERIFY(Picture(form, count + 1) != nullptr);

    // A running I/O test keeps its station.
    model.Online = true;
    Action(form, "MenuUndo")->trigger();
    QCOMPARE(model.ModuleCount, count + 1);
    QCOMPARE(Label(form, "StatusPanel1")->text(), QStringLiteral("undo and redo wait until the I/O test is stopped"));
    model.Online = false;
}

void ProjectWorkflowTest::KeysAndDragsMoveModulesAndTheInspectorFollows() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    CopyDocuments(folder);
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    korvo::TfrmKonfig* view = form.frmKonfig();
    korvo::StationModel& model = view->Model();
    QCOMPARE(view->Panel(4)->findChild<QLabel*>(QStringLiteral("SlotNumber"))->text(), QStringLiteral("4"));

    // DI 16 in slot 2, DI 8 in slot 3: the arrow selects, Ctrl+arrow moves.
    QTest::mouseClick(Picture(form, 2), Qt::LeftButton);
    QVERIFY(Label(form, "StatusInspector")->text().startsWith(QStringLiteral("KORVO DI 16, slot 2, station 1")));
    QVERIFY2(Label(form, "StatusInspector")->text().contains(QStringLiteral("addresses %IX1.0 .. %IX0.7")),
             qPrintable(Label(form, "StatusInspector")->text()));
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(model.CurrentModule, 3);
    QVERIFY(Label(form, "StatusInspector")->text().startsWith(QStringLiteral("KORVO DI 8, slot 3")));
    QTest::keyClick(view, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(model.Module(2)->ModulType, std::string("KORVO DI 8"));
    QCOMPARE(model.Module(3)->ModulType, std::string("KORVO DI 16"));
    QCOMPARE(model.CurrentModule, 2);
    QCOMPARE(model.Module(3)->InputStart(), 2);
    // The coupler stays where it is.
    QTest::keyClick(view, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(model.Module(1)->ModulType, std::string("KORVO NC ETH"));

    // Dragging DI 16 (now slot 3) onto the DO 16 in slot 4 moves it there.
    korvo::ModulePicture* from = Picture(form, 3);
    const QPoint target = from->mapFromGlobal(Picture(form, 4)->mapToGlobal(QPoint(10, 40)));
    QTest::mousePress(from, Qt::LeftButton, {}, QPoint(10, 40));
    QTest::mouseRelease(from, Qt::LeftButton, {}, target);
    QCOMPARE(model.Module(4)->ModulType, std::string("KORVO DI 16"));
    QCOMPARE(model.CurrentModule, 4);

    // The tooltip says the same as the status bar.
    QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), Picture(form, 4)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Picture(form, 4), &tip);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY(QToolTip::text().contains(QStringLiteral("KORVO DI 16, slot 4, station 1")));
    QVERIFY2(QToolTip::text().contains(QStringLiteral("inputs bytes 2..3, outputs none")), qPrintable(QToolTip::text()));
    SaveScreenshot(form, "station-inspector.png");
}

void ProjectWorkflowTest::SecondaryWindowsKeepTheirPlacesAndCloseWithEscape() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    QSettings places(folder.FilePath(QStringLiteral("places.ini")), QSettings::IniFormat);
    TMainForm form(folder.Path());
    int helpPage = 0;
    korvo::WindowKeeper keeper(&form, places, [&helpPage](int page) { helpPage = page; }, nullptr);
    qApp->installEventFilter(&keeper);
    form.move(40, 40);
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);

    QWidget* ping = form.frmPing();
    Action(form, "MenuPing")->trigger();
    QTRY_VERIFY(ping->isVisible());
    QVERIFY(ping->screen()->availableGeometry().contains(ping->geometry()));
    QTest::keyClick(ping, Qt::Key_F1);
    QCOMPARE(helpPage, 12);
    QTest::keyClick(ping, Qt::Key_Escape);
    QTRY_VERIFY(!ping->isVisible());

    // Where the user left it, with its size, also for a new run.
    ping->show();
    const QRect left(QPoint(100, 120), ping->size());
    ping->setGeometry(left);
    ping->hide();
    places.sync();
    qApp->removeEventFilter(&keeper);
    QSettings again(folder.FilePath(QStringLiteral("places.ini")), QSettings::IniFormat);
    korvo::WindowKeeper next(&form, again, {}, nullptr);
    qApp->installEventFilter(&next);
    ping->setGeometry(QRect(0, 0, 200, 100));
    Action(form, "MenuPing")->trigger();
    QTRY_VERIFY(ping->isVisible());
    QCOMPARE(ping->geometry(), left);
    // A place beyond the screen comes back wholly on it.
    const QRect area = ping->screen()->availableGeometry();
    ping->hide();
    again.setValue(QStringLiteral("windows/frmPing"), QRect(QPoint(area.right() - 50, area.bottom() - 20), left.size()));
    Action(form, "MenuPing")->trigger();
    QTRY_VERIFY(area.contains(ping->geometry()));
    qApp->removeEventFilter(&next);
    QCOMPARE(korvo::WindowKeeper::HelpPageOf(QStringLiteral("frmKorvo_TC_8")), 6);
}

void ProjectWorkflowTest::RecordTakesVerdictsAndNoPageHoldsALoneRow() {
    ProgramFolder folder(ProgramFolder::DemoProject() + "[Project]\r\nTester=M. Test\r\n");
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    korvo::IoTestRecorder* recorder = form.IoRecorder();
    form.frmKonfig()->Model().CurrentStation = 1;
    recorder->Begin(korvo::MakeRecordHeader(form.frmKonfig()->Model(), "demo.prj", "station OK", ""));
    QCOMPARE(recorder->Record().header.tester, std::string("M. Test"));
    Action(form, "MenuIoRecord")->trigger();
    auto* grid = form.frmIoRecord()->findChild<QTableWidget*>(QStringLiteral("GridPoints"));
    QTRY_VERIFY(grid->rowCount() > 2);
    QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));
    QVERIFY(grid->item(0, korvo::TfrmIoRecord::kVerdictColumn)->flags() & Qt::ItemIsEditable);
    grid->item(1, korvo::TfrmIoRecord::kVerdictColumn)->setText(QStringLiteral("not OK"));
    grid->item(1, korvo::TfrmIoRecord::kRemarkColumn)->setText(QStringLiteral("LED dark, \u00FCberpr\u00FCfen"));
    QCOMPARE(recorder->Record().points[1].verdict, korvo::Verdict::NotOk);
    QCOMPARE(recorder->Record().points[1].remark, std::string("LED dark, \xC3\xBC" "berpr\xC3\xBC" "fen"));
    // The next cycle's refresh keeps what the tester wrote.
    recorder->Finish("stopped by the user");
    QCOMPARE(grid->item(1, korvo::TfrmIoRecord::kVerdictColumn)->text(), QStringLiteral("not OK"));
    SaveScreenshot(*form.frmIoRecord(), "io-test-record-verdicts.png");

    // Pages: for every number of rows, no page holds one row alone.
    korvo::IoTestRecord record = recorder->Record();
    const korvo::PointRecord point = record.points.front();
    for (int rows = 1; rows <= 200; ++rows) {
        record.points.assign(static_cast<std::size_t>(rows), point);
        const std::vector<int> pages = korvo::IoTestRecordPageRows(record);
        int total = 0;
        for (const int onPage : pages) {
            QVERIFY2(onPage >= 2 || rows == 1, qPrintable(QStringLiteral("%1 rows").arg(rows)));
            total += onPage;
        }
        QCOMPARE(total, rows);
    }
}

QTEST_MAIN(ProjectWorkflowTest)
#include "project_workflow_test.moc"
