// The station view: panel positions per row and station, the vertical arrangement,
// LED clicks on output and input modules, selection pictures and texts.

#include "program_folder.h"

#include <QLabel>
#include <QPixmap>
#include <QScrollBar>

using korvo::LedShape;
using korvo::TMainForm;

namespace {

LedShape* Led(TMainForm& form, const char* name) { return form.findChild<LedShape*>(QString::fromLatin1(name)); }

QRect PanelRect(TMainForm& form, int slot) { return form.frmKonfig()->Panel(slot)->geometry(); }

QImage Shown(TMainForm& form, int slot) {
    return Picture(form, slot)->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage FromFile(const std::string& file) {
    return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class StationViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void PanelsStandSideBySideAndEveryStationStartsARow();
    void VerticalArrangementGivesEveryModuleItsOwnRow();
    void LedClicksOnDigitalOutputSwitchBitValueAndOutputData();
    void LedClicksOnInputModuleChangeOnlyClickedLed();
    void LedsFollowLayoutAndStayHiddenWithoutWeight();
    void ClickedModuleShowsHighlightedPictureAndOthersNormal();
    void LeftClickOnCouplerWhileOnlineKeepsAddressedStation();
    void ClickOnEmptyViewSelectsNothing();
    void PlacingScrollsToTheEndAndSwitchingBackToTheOrigin();

private:
    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<TMainForm> form_;
    korvo::StationModel* model_ = nullptr;

    void Start(const QByteArray& settings);
};

void StationViewTest::cleanup() {
    form_.reset();
    folder_.reset();
    model_ = nullptr;
}

void StationViewTest::Start(const QByteArray& settings) {
    folder_ = std::make_unique<ProgramFolder>(settings);
    form_ = std::make_unique<TMainForm>(folder_->Path());
    form_->show();
    QTRY_VERIFY(form_->frmKonfig() != nullptr);
    model_ = &form_->frmKonfig()->Model();
}

void StationViewTest::PanelsStandSideBySideAndEveryStationStartsARow() {
    Start("[Module]\r\nAnzahl=8\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 16\r\nName3=KORVO DI 2\r\n"
          "Name4=KORVO DO 16\r\nName5=KORVO NC ETH\r\nName6=KORVO DO 2\r\nName7=KORVO PB\r\nName8=KORVO AI 2\r\n");
    TMainForm& form = *form_;
    QCOMPARE(PanelRect(form, 1), QRect(10, 10, 90, 90));
    QCOMPARE(PanelRect(form, 2), QRect(103, 10, 60, 90));
    QCOMPARE(PanelRect(form, 3), QRect(166, 10, 30, 90));
    QCOMPARE(PanelRect(form, 4), QRect(199, 10, 60, 90));
    QCOMPARE(PanelRect(form, 5), QRect(10, 100, 90, 90));
    QCOMPARE(PanelRect(form, 6), QRect(103, 100, 30, 90));
    QCOMPARE(PanelRect(form, 7), QRect(10, 190, 30, 90));
    QCOMPARE(PanelRect(form, 8), QRect(43, 190, 30, 90));
}

void StationViewTest::VerticalArrangementGivesEveryModuleItsOwnRow() {
    Start("[Module]\r\nAnzahl=4\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 2\r\nName3=KORVO NC ETH\r\nName4=KORVO DO 2\r\n");
    TMainForm& form = *form_;
    Action(form, "Toolvertikal")->trigger();
    QVERIFY(form.State().Vertical);
    QCOMPARE(form.State().ModulesPerRow, 1);
    QCOMPARE(PanelRect(form, 1).topLeft(), QPoint(10, 10));
    QCOMPARE(PanelRect(form, 2).topLeft(), QPoint(10, 100));
    // The second coupler starts a new row on top of its own row step.
    QCOMPARE(PanelRect(form, 3).topLeft(), QPoint(10, 280));
    QCOMPARE(PanelRect(form, 4).topLeft(), QPoint(10, 370));

    Action(form, "MenuVertical")->trigger();
    QVERIFY(!form.State().Vertical);
    QCOMPARE(PanelRect(form, 2).topLeft(), QPoint(103, 10));
    QCOMPARE(PanelRect(form, 3).topLeft(), QPoint(10, 100));
}

void StationViewTest::LedClicksOnDigitalOutputSwitchBitValueAndOutputData() {
    Start("[Module]\r\nAnzahl=2\r\nName1=KORVO NC ETH\r\nName2=KORVO DO 16\r\n");
    TMainForm& form = *form_;
    korvo::TModul* module = model_->Module(2);
    LedShape* led1 = Led(form, "a021");
    LedShape* led9 = Led(form, "a029");
    QVERIFY(led1 && led9);
    QVERIFY(led1->isVisible() && led9->isVisible());

    QTest::mouseClick(led1, Qt::LeftButton);
    QTest::mouseClick(led9, Qt::LeftButton);
    QCOMPARE(module->BitValue, 257u);
    QCOMPARE(module->OutputData, std::string("0,0,1,1"));
    QCOMPARE(led1->Colour(), LedShape::kOn);
    QCOMPARE(led9->Colour(), LedShape::kOn);
    QCOMPARE(form.frmKonfig()->ClickedLed(), 9);

    QTest::mouseClick(led1, Qt::LeftButton);
    QCOMPARE(module->BitValue, 256u);
    QCOMPARE(module->OutputData, std::string("0,0,1,0"));
    QCOMPARE(led1->Colour(), LedShape::kOff);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("LaStatus"))->text(), QString());
}

void StationViewTest::LedClicksOnInputModuleChangeOnlyClickedLed() {
    Start("[Module]\r\nAnzahl=2\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 16\r\n");
    TMainForm& form = *form_;
    LedShape* led = Led(form, "a025");
    QTest::mouseClick(led, Qt::LeftButton);
    QCOMPARE(form.frmKonfig()->ClickedLed(), 5);
    QCOMPARE(model_->Module(2)->BitValue, 0u);
    QCOMPARE(model_->Module(2)->OutputData, std::string());
    QCOMPARE(led->Colour(), LedShape::kOff);
}

void StationViewTest::LedsFollowLayoutAndStayHiddenWithoutWeight() {
    Start("[Module]\r\nAnzahl=2\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 4\r\n");
    TMainForm& form = *form_;
    // Coupler: LEDs 1..4 in column 0, 17 and 18 in column 2.
    QCOMPARE(Led(form, "a011")->geometry(), QRect(7, 14, 8, 8));
    QCOMPARE(Led(form, "a014")->geometry(), QRect(16, 23, 8, 8));
    QCOMPARE(Led(form, "a0117")->geometry(), QRect(67, 14, 8, 8));
    QVERIFY(Led(form, "a0117")->isVisible());
    QVERIFY(!Led(form, "a015")->isVisible());
    QVERIFY(Led(form, "a024")->isVisible());
    QVERIFY(!Led(form, "a025")->isVisible());
}

void StationViewTest::ClickedModuleShowsHighlightedPictureAndOthersNormal() {
    Start("[Module]\r\nAnzahl=3\r\nName1=KORVO NC ETH\r\nName2=KORVO DI 2\r\nName3=KORVO DO 2\r\n");
    TMainForm& form = *form_;
    const QImage diNormal = FromFile(model_->Module(2)->imageFile);
    const QImage diClick = FromFile(model_->Module(2)->ClickImageFile);
    QVERIFY(!diNormal.isNull() && !diClick.isNull() && diNormal != diClick);

    QTest::mouseClick(Picture(form, 2), Qt::LeftButton);
    QCOMPARE(Shown(form, 2), diClick);
    QCOMPARE(Shown(form, 1), FromFile(model_->Module(1)->imageFile));
    QTest::mouseClick(Picture(form, 3), Qt::LeftButton);
    QCOMPARE(Shown(form, 2), diNormal);
    QCOMPARE(Shown(form, 3), FromFile(model_->Module(3)->ClickImageFile));
}

void StationViewTest::LeftClickOnCouplerWhileOnlineKeepsAddressedStation() {
    Start(ProgramFolder::DemoProject());
    TMainForm& form = *form_;
    auto* laStatus = form.findChild<QLabel*>(QStringLiteral("LaStatus"));
    auto* panel0 = form.findChild<QLabel*>(QStringLiteral("StatusPanel0"));

    QTest::mouseClick(Picture(form, 1), Qt::LeftButton);
    QCOMPARE(laStatus->text(), QStringLiteral("Append/Delete"));
    QCOMPARE(model_->CurrentStation, 1);

    model_->Online = true;
    QTest::mouseClick(Picture(form, 11), Qt::LeftButton);
    QCOMPARE(model_->SelectedCoupler, 11);
    QCOMPARE(laStatus->text(), QStringLiteral("Append/Delete"));
    QCOMPARE(model_->CurrentStation, 1);
    QCOMPARE(model_->CurrentIP, std::string("127.0.0.10"));
    QCOMPARE(panel0->text(), QStringLiteral("PumpHouse  IP:127.0.0.10"));

    model_->Online = false;
    QTest::mouseClick(Picture(form, 11), Qt::LeftButton);
    QCOMPARE(model_->CurrentStation, 2);
    QCOMPARE(model_->CurrentCouplerModule, 11);
    QCOMPARE(panel0->text(), QStringLiteral("BoilerRoom  IP:127.0.0.11"));
}

void StationViewTest::ClickOnEmptyViewSelectsNothing() {
    Start(ProgramFolder::DemoProject());
    TMainForm& form = *form_;
    QTest::mouseClick(Picture(form, 11), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("PaForm")), Qt::LeftButton, {}, QPoint(590, 5));
    QCOMPARE(model_->CurrentModule, 0);
    QCOMPARE(model_->SelectedCoupler, 0);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("LaStatus"))->text(), QString());
    QCOMPARE(Shown(form, 11), FromFile(model_->Module(11)->imageFile));
}

void StationViewTest::PlacingScrollsToTheEndAndSwitchingBackToTheOrigin() {
    Start(ProgramFolder::DemoProject());
    TMainForm& form = *form_;
    QScrollBar* vertical = form.frmKonfig()->verticalScrollBar();
    Action(form, "Toolvertikal")->trigger();
    QVERIFY(vertical->maximum() > 0);
    QCOMPARE(vertical->value(), 0);

    QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("PaForm")), Qt::LeftButton, {}, QPoint(300, 5));
    ClickTypeLine(form, QStringLiteral("KORVO DI 2"));
    QCOMPARE(model_->ModuleCount, 22);
    QCOMPARE(vertical->value(), vertical->maximum());
    // The appended module is the last panel, at the bottom of the view.
    QCOMPARE(PanelRect(form, 22).topLeft(), QPoint(10, 10 + 90 * 21 + 90 * 2));

    Action(form, "Toolvertikal")->trigger();
    QCOMPARE(vertical->value(), 0);
}

QTEST_MAIN(StationViewTest)
#include "station_view_test.moc"
