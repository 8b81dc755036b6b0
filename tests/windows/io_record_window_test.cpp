// The "I/O test record" window against the simulated coupler: outputs clicked in the
// station view are marked with their source, untested points are highlighted, the
// record outlives the stopped test and exports as PDF, CSV and JSON. Renders a record
// page and the window into screenshots/ of the build folder.

#include "program_folder.h"
#include "simulated_coupler.h"

#include "docs/windows/io_record_window.h"
#include "docs/windows/io_test_record_painter.h"
#include "online/io_test_record.h"
#include "random_loopback.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>

using korvo::TMainForm;

namespace {

const std::string kAddress = RandomLoopbackAddress();

korvo::LedShape* Led(TMainForm& form, const char* name) {
    return form.findChild<korvo::LedShape*>(QString::fromLatin1(name));
}

// The table row of a tag, -1 when there is none.
int RowOf(QTableWidget* grid, const QString& tag) {
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (grid->item(row, 2)->text() == tag) return row;
    }
    return -1;
}

QByteArray ReadAll(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

}  // namespace

class IoRecordWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ClickedOutputsAreMarkedAndTheRecordOutlivesTheTest();
};

void IoRecordWindowTest::ClickedOutputsAreMarkedAndTheRecordOutlivesTheTest() {
    DemoOnline demo(kAddress);
    TMainForm form(demo.folder.Path(), demo.Seams());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);

    Action(form, "ToolTest")->trigger();
    QVERIFY(form.frmKonfig()->Model().Online);
    QVERIFY(form.IoRecorder()->Running());
    form.TimerReadWriteTimer();
    // DO 16 in slot 4: LED 1 on, then off again; LED 9 only on.
    QTest::mouseClick(Led(form, "a041"), Qt::LeftButton);
    QTest::mouseClick(Led(form, "a049"), Qt::LeftButton);
    form.TimerReadWriteTimer();
    QTest::mouseClick(Led(form, "a041"), Qt::LeftButton);
    form.TimerReadWriteTimer();
    Action(form, "ToolTest")->trigger();
    QVERIFY(!form.frmKonfig()->Model().Online);
    QVERIFY(!form.IoRecorder()->Running());

    Action(form, "MenuIoRecord")->trigger();
    korvo::TfrmIoRecord* window = form.frmIoRecord();
    QVERIFY(window->isVisible());
    auto* grid = window->findChild<QTableWidget*>(QStringLiteral("GridPoints"));
    const int both = RowOf(grid, QStringLiteral("PumpHouse_M4_DO_1"));
    const int onOnly = RowOf(grid, QStringLiteral("PumpHouse_M4_DO_9"));
    const int untouched = RowOf(grid, QStringLiteral("PumpHouse_M4_DO_2"));
    QVERIFY(both >= 0 && onOnly >= 0 && untouched >= 0);
    QCOMPARE(grid->item(both, 5)->text(), QStringLiteral("tested"));
    QCOMPARE(grid->item(both, 7)->text(), QStringLiteral("LED click"));
    QVERIFY(!grid->item(both, 8)->text().isEmpty());
    QCOMPARE(grid->item(onOnly, 5)->text(), QStringLiteral("not switched off"));
    QCOMPARE(grid->item(untouched, 5)->text(), QStringLiteral("not switched"));
    // Points not yet seen in both states stand out; tested ones do not.
    QVERIFY(grid->item(onOnly, 0)->background().style() != Qt::NoBrush);
    QVERIFY(grid->item(untouched, 2)->background().style() != Qt::NoBrush);
    QCOMPARE(grid->item(both, 0)->background().style(), Qt::NoBrush);
    const QString header = window->findChild<QLabel*>(QStringLiteral("LaHeader"))->text();
    QVERIFY2(header.contains(QStringLiteral("PumpHouse")), qPrintable(header));
    QVERIFY2(header.contains(QString::fromStdString(kAddress)), qPrintable(header));
    QVERIFY2(header.contains(QStringLiteral("station OK")), qPrintable(header));
    QVERIFY2(header.contains(QStringLiteral("ready, activ, run")), qPrintable(header));
    QVERIFY2(header.contains(QStringLiteral("stopped by the user")), qPrintable(header));

    QTemporaryDir out;
    QVERIFY(window->ExportPdf(out.filePath(QStringLiteral("record.pdf"))));
    QVERIFY(window->ExportCsv(out.filePath(QStringLiteral("record.csv"))));
    QVERIFY(window->ExportJson(out.filePath(QStringLiteral("record.json"))));
    QVERIFY(ReadAll(out.filePath(QStringLiteral("record.pdf"))).startsWith("%PDF"));
    QVERIFY(ReadAll(out.filePath(QStringLiteral("record.csv"))).contains("PumpHouse_M4_DO_1,output,BOOL,1,0,tested"));
    QVERIFY(ReadAll(out.filePath(QStringLiteral("record.json"))).contains("\"switchedBy\": \"LED click\""));
    QVERIFY(demo.boxes.boxes.isEmpty());

    // A page as it prints, and the window, for anyone to look at.
    QVERIFY(QDir().mkpath(QStringLiteral(KORVO_SCREENSHOT_DIR)));
    const double pixelsPerMm = 5;
    QImage page(static_cast<int>(210 * pixelsPerMm), static_cast<int>(297 * pixelsPerMm), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        korvo::PaintIoTestRecordPage(painter, form.IoRecorder()->Record(), 0, pixelsPerMm);
    }
    QVERIFY(page.save(QStringLiteral(KORVO_SCREENSHOT_DIR "/io-test-record-page.png"), "PNG"));
    grid->scrollToItem(grid->item(both - 3, 0), QAbstractItemView::PositionAtTop);
    QVERIFY(window->grab().save(QStringLiteral(KORVO_SCREENSHOT_DIR "/io-test-record-window.png"), "PNG"));
}

QTEST_MAIN(IoRecordWindowTest)
#include "io_record_window_test.moc"
