// File > "export address map...": the file dialog offers the three formats, the
// chosen one is written for the whole station list, and the status line says so.

#include "program_folder.h"

#include "ui/message_box.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

// Answers the export dialog once it is open: picks the filter and the file name.
void AnswerExportDialog(const QString& filter, const QString& file, QStringList* offered) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr || dialog->objectName() != QStringLiteral("ExportAddressMapDialog") ||
                !dialog->isVisible()) {
                continue;
            }
            *offered = dialog->nameFilters();
            dialog->selectNameFilter(filter);
            // Typed into the name field as a user does; the dialog resolves it in its folder.
            dialog->setDirectory(QFileInfo(file).absolutePath());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(file).fileName());
            // The dialog's own accept checks the name as a click on "Save" does.
            static_cast<QDialog*>(dialog)->accept();
            timer->deleteLater();
            timer->stop();
            return;
        }
    });
    timer->start(20);
}

}  // namespace

class ExportAddressMapWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void FileMenuWritesTheChosenFormat();
    void EmptyStationIsReportedAndNothingWritten();
};

void ExportAddressMapWindowTest::FileMenuWritesTheChosenFormat() {
    QStringList boxes;
    const korvo::MessageBoxFunction shown = korvo::MessageBoxSeam();
    korvo::MessageBoxSeam() = [&boxes](QWidget*, const QString& text, const QString& caption) {
        boxes << caption + QStringLiteral("|") + text;
    };
    ProgramFolder folder(ProgramFolder::DemoProject());
    CopyDocuments(folder);
    // One description missing: its points are written without one, and one message says so.
    const QString missing = folder.FilePath(QStringLiteral("documents/KORVO_DI_16.txt"));
    QVERIFY(QFile::remove(missing));
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QStringList offered;
    const QString file = folder.FilePath(QStringLiteral("plc.gvl"));
    AnswerExportDialog(QStringLiteral("IEC 61131-3 global variable list (*.gvl)"), file, &offered);
    // What an earlier command reported goes when the export starts.
    form.SetStatusPanel1("ERROR !! check IP settings");
    Action(form, "MenuExportAddressMap")->trigger();
    QCOMPARE(offered.size(), 3);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray gvl = written.readAll();
    QVERIFY(gvl.startsWith("(* Address map of "));
    QVERIFY(gvl.contains("PumpHouse_M2_DI_1 AT %IX1.0 : BOOL;\n"));
    QVERIFY(gvl.contains("BoilerRoom_M12_DI_1 AT %IX13.0 : BOOL; (* DI 1  24 V DC input, terminal 1 *)"));
    QVERIFY(gvl.endsWith("END_VAR\n"));
    auto* panel = form.findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    QVERIFY2(panel->text().startsWith(QStringLiteral("address map: ")), qPrintable(panel->text()));
    // A file written is no failure.
    QVERIFY(panel->palette().color(QPalette::WindowText) != QColor(Qt::red));
    korvo::MessageBoxSeam() = shown;
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].startsWith(QStringLiteral("export address map|")), qPrintable(boxes[0]));
    QVERIFY2(boxes[0].contains(missing + QStringLiteral(": cannot read the connection description: No such file")),
             qPrintable(boxes[0]));
    QCOMPARE(boxes[0].count(QStringLiteral("connection description:")), 1);
}

void ExportAddressMapWindowTest::EmptyStationIsReportedAndNothingWritten() {
    QStringList boxes;
    const korvo::MessageBoxFunction shown = korvo::MessageBoxSeam();
    korvo::MessageBoxSeam() = [&boxes](QWidget*, const QString& text, const QString& caption) {
        boxes << caption + QStringLiteral("|") + text;
    };
    ProgramFolder folder(QByteArray("[Module]\r\nAnzahl=1\r\nName1=KORVO NC ETH\r\n"));
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QStringList offered;
    const QString file = folder.FilePath(QStringLiteral("plc.csv"));
    AnswerExportDialog(QStringLiteral("CSV table (*.csv)"), file, &offered);
    Action(form, "MenuExportAddressMap")->trigger();
    QCOMPARE(boxes, QStringList{QStringLiteral("export address map|the project has no input or output points")});
    korvo::MessageBoxSeam() = shown;
    QVERIFY(!QFile::exists(file));
}

QTEST_MAIN(ExportAddressMapWindowTest)
#include "export_address_map_window_test.moc"
