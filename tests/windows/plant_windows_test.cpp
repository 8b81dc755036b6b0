// The windows for many couplers, opened from the main window's menus against a
// simulated coupler: "read station from coupler…" adds the station it reads, "plant
// overview" checks every station without blocking the window, "find couplers…"
// lists the coupler and hands its address to the other windows; renders each window.

#include "child_control.h"
#include "program_folder.h"
#include "random_loopback.h"
#include "simulated_coupler.h"
#include "window_screenshot.h"

#include "online/windows/coupler_search_window.h"
#include "online/windows/plant_overview_window.h"
#include "online/windows/station_scan_window.h"
#include "station/station_model.h"
#include "tools/windows/eth_ping_window.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using korvo::TMainForm;

namespace {

const std::string kAddress = RandomLoopbackAddress();

// The demo with a catalogue that has a second type of the DI 16's codes.
ProgramFolder& WithSharedCodes(ProgramFolder& folder) {
    QFile catalogue(folder.FilePath(QStringLiteral("korvo_config.ini")));
    if (catalogue.open(QIODevice::Append)) catalogue.write("\n[KORVO DI 16 S]\nid_code=$10\nlenght_code=$10\nin=2\n");
    return folder;
}

struct PlantSetup {
    explicit PlantSetup(bool sharedCodes = false)
        : folder(DemoProjectAt(kAddress)),
          coupler(kAddress, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                  folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString()),
          form((sharedCodes ? WithSharedCodes(folder) : folder).Path(), korvo::OnlineSeams{&pinger, &clock}) {
        pinger.reachable.insert(kAddress);
        form.show();
        form.FormActivate();
    }
    korvo::StationModel& Model() { return form.frmKonfig()->Model(); }

    ProgramFolder folder;
    FakePinger pinger;
    FakeClock clock;
    MessageBoxRecorder recorder;
    SimulatedCoupler coupler;
    TMainForm form;
};

QString Cell(QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text() : QString();
}

}  // namespace

class PlantWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readStationAddsTheReportedModulesAsANewStation() {
        PlantSetup setup;
        QVERIFY(setup.form.frmKonfig() != nullptr);
        const int before = setup.Model().ModuleCount;
        Action(setup.form, "MenuReadStation")->trigger();
        korvo::TfrmStationScan* scan = setup.form.frmStationScan();
        QVERIFY(scan != nullptr && scan->isVisible());
        QCOMPARE(Child<QLineEdit>(scan, "EditAddress")->text(), QString::fromStdString(kAddress));
        auto* read = Child<QPushButton>(scan, "ButtonRead");
        auto* add = Child<QPushButton>(scan, "ButtonAdd");
        read->click();
        // The read runs on its own thread: the click returns at once with the buttons off.
        QVERIFY(!read->isEnabled());
        QVERIFY(!add->isEnabled());
        auto* table = Child<QTableWidget>(scan, "TableModules");
        QTRY_VERIFY(read->isEnabled());
        QCOMPARE(table->rowCount(), 8);
        QCOMPARE(Cell(table, 0, 3), QStringLiteral("KORVO DI 16"));
        QCOMPARE(Cell(table, 7, 1), QStringLiteral("81h"));
        QVERIFY(Child<QLabel>(scan, "LabelStatus")->text().contains(QStringLiteral("8 module(s), state: ready")));
        SaveScreenshot(*scan, "read-station-window.png");

        Child<QLineEdit>(scan, "EditStationName")->setText(QStringLiteral("Copy of PumpHouse"));
        QVERIFY(add->isEnabled());
        add->click();
        QCOMPARE(setup.Model().ModuleCount, before + 9);
        QCOMPARE(setup.Model().StationCount, 3);
        const korvo::TModul& coupler = *setup.Model().Module(before + 1);
        QCOMPARE(coupler.IPAddress, kAddress);
        QCOMPARE(coupler.StationName, std::string("Copy of PumpHouse"));
        // Saved as every change of the station is.
        QVERIFY(setup.folder.ReadSettings().contains("Station Name=Copy of PumpHouse"));
    }

    void anAmbiguousSlotNeedsItsChoiceBeforeTheStationIsAdded() {
        PlantSetup setup(true);
        Action(setup.form, "MenuReadStation")->trigger();
        korvo::TfrmStationScan* scan = setup.form.frmStationScan();
        scan->ReadClick();
        QTRY_VERIFY(scan->Scan().listRead);
        auto* choice = Child<QComboBox>(scan, "ChoiceSlot1");
        QVERIFY(choice != nullptr);
        QCOMPARE(choice->count(), 3);
        const int before = setup.Model().ModuleCount;
        Child<QPushButton>(scan, "ButtonAdd")->click();
        QCOMPARE(setup.Model().ModuleCount, before);
        QVERIFY(Child<QLabel>(scan, "LabelStatus")->text().contains(QStringLiteral("(--choose 1=TYPE)")));
        choice->setCurrentIndex(2);
        Child<QPushButton>(scan, "ButtonAdd")->click();
        QCOMPARE(setup.Model().ModuleCount, before + 9);
        QCOMPARE(setup.Model().Module(before + 2)->ModulType, std::string("KORVO DI 16 S"));
    }

    void replacingAsksFirstAndKeepsTheStationsWhenTheAnswerIsNo() {
        PlantSetup setup;
        Action(setup.form, "MenuReadStation")->trigger();
        korvo::TfrmStationScan* scan = setup.form.frmStationScan();
        QStringList questions;
        bool answer = false;
        scan->confirm = [&](const QString& question) {
            questions << question;
            return answer;
        };
        Child<QLineEdit>(scan, "EditAddress")->setText(QString::fromStdString(kAddress));
        scan->ReadClick();
        QTRY_VERIFY(scan->Scan().listRead);
        setup.Model().SelectedCoupler = 11;  // the demo's second coupler
        const int before = setup.Model().ModuleCount;
        scan->ReplaceClick();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].startsWith(QStringLiteral("replace the modules of station 2 by the 8 module(s)")));
        QCOMPARE(setup.Model().ModuleCount, before);
        answer = true;
        scan->ReplaceClick();
        QCOMPARE(setup.Model().Module(12)->ModulType, std::string("KORVO DI 16"));
        QCOMPARE(setup.Model().Module(1)->StationsNummmer, 1);
        QCOMPARE(setup.Model().ModuleCount, 10 + 1 + 8);
    }

    void plantOverviewChecksWithoutBlockingAndMakesAStationCurrent() {
        PlantSetup setup;
        Action(setup.form, "MenuPlantOverview")->trigger();
        korvo::TfrmPlantOverview* overview = setup.form.frmPlantOverview();
        QVERIFY(overview != nullptr && overview->isVisible());
        auto* table = Child<QTableWidget>(overview, "TableStations");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(Cell(table, 1, 1), QStringLiteral("BoilerRoom"));
        QCOMPARE(Cell(table, 0, 5), QStringLiteral("not checked"));
        auto* checkAll = Child<QPushButton>(overview, "ButtonCheckAll");
        checkAll->click();
        QVERIFY(!checkAll->isEnabled());
        QVERIFY(Child<QPushButton>(overview, "ButtonCancel")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(checkAll->isEnabled(), 20000);
        QCOMPARE(Cell(table, 0, 5), QStringLiteral("match"));
        QCOMPARE(Cell(table, 0, 3), QStringLiteral("ready, activ, run"));
        QVERIFY(!Cell(table, 0, 4).isEmpty());
        QCOMPARE(Cell(table, 1, 5), QStringLiteral("no answer to ping from 127.0.0.169 within 1000 ms"));
        QCOMPARE(Child<QLabel>(overview, "LabelStatus")->text(), QStringLiteral("2 station(s), 2 checked, 1 match"));
        SaveScreenshot(*overview, "plant-overview-window.png");

        overview->StationDoubleClicked(1);
        QCOMPARE(setup.Model().CurrentStation, 2);
        QCOMPARE(setup.Model().CurrentIP, std::string("127.0.0.169"));
    }

    void findCouplersListsTheCouplerAndHandsItsAddressOn() {
        PlantSetup setup;
        Action(setup.form, "MenuFindCouplers")->trigger();
        korvo::TfrmCouplerSearch* search = setup.form.frmCouplerSearch();
        QVERIFY(search != nullptr && search->isVisible());
        auto* range = Child<QLineEdit>(search, "EditRange");
        // The demo's addresses lie too far apart for one range: the first one's /24.
        const std::string network = kAddress.substr(0, kAddress.rfind('.') + 1);
        QCOMPARE(range->text(), QString::fromStdString(network + "0/24"));
        range->setText(QStringLiteral("10.0.0.0/21"));
        Child<QPushButton>(search, "ButtonFind")->click();
        QVERIFY(Child<QLabel>(search, "LabelStatus")->text().contains(QStringLiteral("more than 1024 addresses")));

        range->setText(QString::fromStdString(network + "0/24"));
        auto* find = Child<QPushButton>(search, "ButtonFind");
        find->click();
        QVERIFY(!find->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(find->isEnabled(), 20000);
        auto* table = Child<QTableWidget>(search, "TableCouplers");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(Cell(table, 0, 0), QString::fromStdString(kAddress));
        QCOMPARE(Cell(table, 0, 1), QStringLiteral("8"));
        QCOMPARE(Cell(table, 0, 3), QStringLiteral("1 \"PumpHouse\": match"));
        QCOMPARE(Cell(table, 1, 2), QStringLiteral("outside the range"));
        SaveScreenshot(*search, "find-couplers-window.png");

        search->PingOf(0);
        QVERIFY(setup.form.frmPing()->isVisible());
        QCOMPARE(Child<QLineEdit>(setup.form.frmPing(), "edtHost")->text(), QString::fromStdString(kAddress));
        search->ReadStationOf(0);
        QVERIFY(setup.form.frmStationScan()->isVisible());
        QCOMPARE(Child<QLineEdit>(setup.form.frmStationScan(), "EditAddress")->text(), QString::fromStdString(kAddress));
    }
};

QTEST_MAIN(PlantWindowsTest)
#include "plant_windows_test.moc"
