// The help viewer, the about box and the "Connection List" preview, headless: paging
// and openers, a damaged page file, the menus of the main window and the diagnosis
// window's "?", the preview of the demo station and its exports. Renders a report page,
// the preview and two help pages to PNG files in screenshots/ of the build folder.

#include "fifo_watchdog.h"
#include "program_folder.h"

#include "access/windows/system_config.h"
#include "docs/windows/about_box.h"
#include "docs/windows/connection_list_painter.h"
#include "docs/windows/help_viewer.h"
#include "docs/windows/report.h"
#include "ui/message_box.h"
#include "tools/windows/frm_bootp_server.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <vector>

#include <sys/stat.h>

namespace {

// Records message boxes instead of waiting for a click.
class MessageRecorder {
public:
    MessageRecorder() : previous_(korvo::MessageBoxSeam()) {
        korvo::MessageBoxSeam() = [this](QWidget*, const QString& text, const QString& caption) {
            messages << caption + QStringLiteral("|") + text;
        };
    }
    ~MessageRecorder() { korvo::MessageBoxSeam() = previous_; }
    QStringList messages;

private:
    korvo::MessageBoxFunction previous_;
};

QString BarText(korvo::TfrmHelp& help) { return help.findChild<QLabel*>(QStringLiteral("label1"))->text(); }

void Click(QWidget& window, const char* name) {
    auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button != nullptr, name);
    button->click();
}

QImage Shown(korvo::TfrmHelp& help) { return help.Picture()->pixmap().toImage(); }

void SaveShot(const QImage& image, const QString& name) {
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    const QString file = QStringLiteral(KORVO_SCREENSHOT_DIR "/") + name;
    QVERIFY(image.save(file, "PNG"));
}

// Runs the preview command; while the preview is open, inspect runs and closes it.
bool PreviewWithDemo(korvo::TMainForm& form, const std::function<void(QPrintPreviewDialog&)>& inspect) {
    bool opened = false;
    const QMetaObject::Connection connection = QObject::connect(
        form.frmReport(), &korvo::TfrmReport::previewOpened, &form, [&](QPrintPreviewDialog* dialog) {
            opened = true;
            QTimer::singleShot(0, dialog, [dialog, &inspect] {
                inspect(*dialog);
                dialog->reject();
            });
        });
    Action(form, "MenuPreview")->trigger();
    QObject::disconnect(connection);
    return opened;
}

}  // namespace

class DocsWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void HelpPagesWrapRoundAtBothEnds();
    void OpenersSetTheirPageAndTheMainMenuItsSize();
    void DamagedOrMissingPageKeepsThePreviousPicture();
    void PicturesThatAreFifosHangNeitherTheStartNorTheHelp();
    void MenusOpenHelpAboutAndTheDiagnosisAndBootpHelp();
    void PreviewShowsTheStationAndExports();
    void PreviewOfEmptyStationShowsTheTitleBlockOnly();
    void PlanThatCannotBeBuiltOpensNoPreview();
    void RenderReportPageAndHelpPages();
};

void DocsWindowsTest::HelpPagesWrapRoundAtBothEnds() {
    ProgramFolder folder;
    korvo::TfrmHelp help(folder.Path(), nullptr);
    QCOMPARE(help.windowTitle(), QStringLiteral("Help"));
    QCOMPARE(help.size(), QSize(870, 577));
    QCOMPARE(BarText(help), QStringLiteral("Page 1"));
    QVERIFY(help.findChild<QLabel*>(QStringLiteral("label1"))->font().bold());

    Click(help, "SpeedButton1");
    QCOMPARE(help.Page(), 15);
    QCOMPARE(BarText(help), QStringLiteral("Page 15"));
    QVERIFY(!Shown(help).isNull());
    const QImage page15 = Shown(help);

    Click(help, "SpeedButton2");
    QCOMPARE(help.Page(), 1);
    QCOMPARE(BarText(help), QStringLiteral("Page 1"));
    QVERIFY(Shown(help) != page15);
    for (int i = 0; i < 14; ++i) Click(help, "SpeedButton2");
    QCOMPARE(help.Page(), 15);
    Click(help, "SpeedButton2");
    QCOMPARE(BarText(help), QStringLiteral("Page 1"));
}

void DocsWindowsTest::OpenersSetTheirPageAndTheMainMenuItsSize() {
    ProgramFolder folder;
    korvo::TfrmHelp help(folder.Path(), nullptr);
    help.OpenBootpHelp();
    QVERIFY(help.isVisible());
    QCOMPARE(BarText(help), QStringLiteral("Page 9"));
    Click(help, "SpeedButton2");
    QCOMPARE(BarText(help), QStringLiteral("Page 10"));

    help.OpenBootpHelp();
    help.OpenFromMainMenu();
    QCOMPARE(help.Page(), 1);
    QCOMPARE(BarText(help), QStringLiteral("Page 1"));
    QCOMPARE(help.size(), QSize(900, 550));

    help.OpenDiagnosisHelp();
    QCOMPARE(BarText(help), QStringLiteral("Page 10"));
}

void DocsWindowsTest::DamagedOrMissingPageKeepsThePreviousPicture() {
    ProgramFolder folder;
    QFile page2(folder.FilePath(QStringLiteral("images/korvo_Help_2.jpg")));
    QVERIFY(page2.open(QIODevice::ReadWrite));
    QVERIFY(page2.resize(page2.size() / 2));
    page2.close();
    QVERIFY(QFile::remove(folder.FilePath(QStringLiteral("images/korvo_Help_3.jpg"))));

    MessageRecorder recorder;
    korvo::TfrmHelp help(folder.Path(), nullptr);
    help.OpenAt(1);
    QVERIFY(recorder.messages.isEmpty());
    const QImage page1 = Shown(help);

    Click(help, "SpeedButton2");
    QCOMPARE(BarText(help), QStringLiteral("Page 2"));
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains(QStringLiteral("korvo_Help_2.jpg")), qPrintable(recorder.messages[0]));
    QVERIFY(Shown(help) == page1);

    Click(help, "SpeedButton2");
    QCOMPARE(BarText(help), QStringLiteral("Page 3"));
    QCOMPARE(recorder.messages.size(), 2);
    QVERIFY2(recorder.messages[1].contains(QStringLiteral("korvo_Help_3.jpg\": No such file or directory")),
             qPrintable(recorder.messages[1]));
    QVERIFY(Shown(help) == page1);
}

void DocsWindowsTest::PicturesThatAreFifosHangNeitherTheStartNorTheHelp() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    // The coupler's module picture, both pictures of the about box and a help page.
    std::vector<std::filesystem::path> fifos;
    for (const char* name : {"images/korvo_nc_eth.bmp", "images/korvo.png", "images/korvo_about.jpg",
                             "images/korvo_Help_1.jpg"}) {
        const std::filesystem::path path = QFile::encodeName(folder.FilePath(QString::fromLatin1(name))).toStdString();
        QVERIFY(std::filesystem::remove(path));
        QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
        fifos.push_back(path);
    }
    MessageRecorder recorder;
    korvo::testing::FifoWatchdog watchdog(fifos);
    {
        korvo::TMainForm form(folder.Path());
        form.show();
        QTRY_VERIFY(form.frmKonfig() != nullptr);
        Action(form, "MenuKorvoHelp")->trigger();
        QCOMPARE(BarText(*form.frmHelp()), QStringLiteral("Page 1"));
    }
    QVERIFY2(!watchdog.HadToRelease(), "a picture's reader waited for a writer");
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains(QStringLiteral("korvo_Help_1.jpg\": it is not a regular file")),
             qPrintable(recorder.messages[0]));
}

void DocsWindowsTest::MenusOpenHelpAboutAndTheDiagnosisAndBootpHelp() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);

    form.frmHelp()->OpenBootpHelp();
    Action(form, "MenuKorvoHelp")->trigger();
    QVERIFY(form.frmHelp()->isVisible());
    QCOMPARE(form.frmHelp()->Page(), 1);
    QCOMPARE(form.frmHelp()->size(), QSize(900, 550));

    Action(form, "MenuInfo")->trigger();
    korvo::TAboutBox* about = form.AboutBox();
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(about->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(about->size(), QSize(281, 263));
    auto* product = about->findChild<QLabel*>(QStringLiteral("ProductName"));
    QCOMPARE(product->text(), QStringLiteral("KORVO configurator (Ver. 1.4)"));
    QVERIFY(product->font().bold());
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("StationPicture"))->size(), QSize(233, 105));
    QVERIFY(!about->findChild<QLabel*>(QStringLiteral("StationPicture"))->pixmap().isNull());
    QVERIFY(!about->findChild<QLabel*>(QStringLiteral("ProgramIcon"))->pixmap().isNull());
    // The picture whole: scaled into its place, neither cut nor stretched out of shape.
    const QPixmap shown = about->findChild<QLabel*>(QStringLiteral("StationPicture"))->pixmap();
    QVERIFY(shown.width() <= 233 && shown.height() <= 105);
    QVERIFY(shown.width() == 233 || shown.height() == 105);
    QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("ButtonOK")), Qt::LeftButton);
    QVERIFY(!about->isVisible());

    form.frmHelp()->hide();
    Click(*form.frmsystemconfig(), "ButtonHelp");
    QVERIFY(form.frmHelp()->isVisible());
    QCOMPARE(form.frmHelp()->Page(), 10);

    form.frmHelp()->hide();
    Click(*form.frmBootpServer(), "BitBtn1");
    QVERIFY(form.frmHelp()->isVisible());
    QCOMPARE(form.frmHelp()->Page(), 9);
}

void DocsWindowsTest::PreviewShowsTheStationAndExports() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    CopyDocuments(folder);
    MessageRecorder recorder;
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);

    const QString text = folder.FilePath(QStringLiteral("list.txt"));
    const QString pdf = folder.FilePath(QStringLiteral("list.pdf"));
    std::size_t pages = 0;
    const bool opened = PreviewWithDemo(form, [&](QPrintPreviewDialog& dialog) {
        korvo::TfrmReport* report = form.frmReport();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Connection List"));
        QVERIFY(dialog.findChild<QAction*>(QStringLiteral("ExportText")) != nullptr);
        QVERIFY(dialog.findChild<QAction*>(QStringLiteral("ExportPdf")) != nullptr);
        pages = report->Report().pages.size();
        QVERIFY(report->Plan().size() > 100);
        QCOMPARE(report->Plan()[1], std::string("  Stationname   : PumpHouse    IP Address  : 127.0.0.10"));
        QVERIFY(report->ExportText(text));
        QVERIFY(report->ExportPdf(pdf));
        QTRY_VERIFY(dialog.isVisible());
        SaveShot(dialog.grab().toImage(), QStringLiteral("connection-list-preview.png"));
    });
    QVERIFY(opened);
    QVERIFY(recorder.messages.isEmpty());
    QVERIFY(pages >= 3);
    QVERIFY(form.frmReport()->Plan().empty());
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text(), QStringLiteral("Connection List  100 %"));

    QFile exported(text);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QFile expected(QStringLiteral(KORVO_EXPECTED_PLAN));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(exported.readAll(), expected.readAll());
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().startsWith("%PDF-"));

    // Each preview builds the plan again: a station changed since shows the change.
    form.frmKonfig()->Model().Module(1)->StationName = "Renamed";
    PreviewWithDemo(form, [&](QPrintPreviewDialog&) {
        QCOMPARE(form.frmReport()->Plan()[1], std::string("  Stationname   : Renamed    IP Address  : 127.0.0.10"));
    });
}

void DocsWindowsTest::PreviewOfEmptyStationShowsTheTitleBlockOnly() {
    ProgramFolder folder;
    MessageRecorder recorder;
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    const bool opened = PreviewWithDemo(form, [&](QPrintPreviewDialog&) {
        const korvo::ConnectionListReport& report = form.frmReport()->Report();
        QCOMPARE(report.pages.size(), std::size_t{1});
        QVERIFY(report.pages[0].title);
        QVERIFY(report.pages[0].lines.empty());
    });
    QVERIFY(opened);
    QVERIFY(recorder.messages.isEmpty());
}

void DocsWindowsTest::PlanThatCannotBeBuiltOpensNoPreview() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    MessageRecorder recorder;
    korvo::TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    const bool opened = PreviewWithDemo(form, [](QPrintPreviewDialog&) {});
    QVERIFY(!opened);
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].startsWith(QStringLiteral("Report|")), qPrintable(recorder.messages[0]));
    QVERIFY2(recorder.messages[0].contains(QStringLiteral("KORVO_NC_ETH.txt")), qPrintable(recorder.messages[0]));
}

void DocsWindowsTest::RenderReportPageAndHelpPages() {
    // Page 1 of the demo station's report at 150 dpi, as the preview draws it.
    std::vector<std::string> plan;
    QFile expected(QStringLiteral(KORVO_EXPECTED_PLAN));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    for (const QByteArray& line : expected.readAll().split('\n')) plan.push_back(line.toStdString());
    const korvo::ConnectionListReport report = korvo::LayoutConnectionList(plan, "09.12.2026  10:30:00");
    const double pixelsPerMm = 150 / 25.4;
    QImage page(qRound(korvo::ReportGeometry::kPaperWidth * pixelsPerMm),
                qRound(korvo::ReportGeometry::kPaperHeight * pixelsPerMm), QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(pixelsPerMm * 1000));
    page.setDotsPerMeterY(qRound(pixelsPerMm * 1000));
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        korvo::PaintReportPage(painter, report, report.pages[0], pixelsPerMm);
    }
    SaveShot(page, QStringLiteral("connection-list-page1.png"));

    ProgramFolder folder;
    korvo::TfrmHelp help(folder.Path(), nullptr);
    help.OpenFromMainMenu();
    SaveShot(help.grab().toImage(), QStringLiteral("help-page-1.png"));
    help.OpenBootpHelp();
    SaveShot(help.grab().toImage(), QStringLiteral("help-page-9.png"));
}

QTEST_MAIN(DocsWindowsTest)
#include "docs_windows_test.moc"
