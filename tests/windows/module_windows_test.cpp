// The properties command for every module type: a double click on each module of
// the demo station shows that type's own window (and "KORVO PS" none), and every
// caption-only window carries its exact caption.

#include "program_folder.h"

#include "dialogs/windows/simple_module_windows.h"

#include <QApplication>

using korvo::TMainForm;

namespace {

struct Expected {
    int slot;  // in the demo project
    const char* type;
    const char* window;  // object name; null: the type has no properties window
    const char* caption;
};

// One row per module type with a window in this build; a new window is one more row.
constexpr Expected kDemoWindows[] = {
    {1, "KORVO NC ETH", "frmKorvo_NC_ETH", "properties NC ETH"},
    {2, "KORVO DI 16", "frmKorvo_DI_16", "properties DI 16"},
    {3, "KORVO DI 8", "frmKorvo_DI_8", "properties DI 8"},
    {4, "KORVO DO 16", "frmKorvo_DO_16", "properties DO 16"},
    {5, "KORVO PS", nullptr, nullptr},
    {6, "KORVO DO 4R", "frmKorvo_DO_4R", "properties DO 4R"},
    {7, "KORVO DO 1R", "frmKorvo_DO_1R", "properties DO 1R"},
    {8, "KORVO AI 2", "frmKorvo_AI_2", "properties AI 2"},
    {9, "KORVO AO 1", "frmKorvo_AO_1", "properties AO 1"},
    {10, "KORVO CT 1", "frmKorvo_CT_1", "frmKorvo_CT_1"},
    {11, "KORVO NC ETH", "frmKorvo_NC_ETH", "properties NC ETH"},
    {12, "KORVO DI 4", "frmKorvo_DI_4", "properties DI 4"},
    {13, "KORVO DO 4", "frmKorvo_DO_4", "properties  DO 4"},
    {14, "KORVO AI 8", "frmKorvo_AI_8", "properties AI 8"},
    {15, "KORVO RT 2", "frmKorvo_RT_2", "properties RT 2"},
    {16, "KORVO TC 2", "frmKorvo_TC_2", "properties TC 2"},
    {17, "KORVO PB", "frmKorvo_PB", "properties KORVO PB"},
    {18, "KORVO TC 8", "frmKorvo_TC_8", "property  KORVO TC 8"},
    {19, "KORVO RT 6", "frmKorvo_RT_6", "property KORVO RT 6"},
    {20, "KORVO AO 2V", "frmKorvo_AO_2V", "properties AO 2V"},
    {21, "KORVO PA", "frmKorvo_PA", "properties Korvo PA"},
};

// The windows besides the main window that are shown now.
QStringList ShownWindows(const TMainForm& form) {
    QStringList shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &form && window->isVisible()) shown << window->objectName();
    }
    return shown;
}

void HideAll(const TMainForm& form) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &form) window->hide();
    }
}

}  // namespace

class ModuleWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void DoubleClickShowsEachTypesOwnWindow();
    void CaptionOnlyWindowsCarryTheirCaptions();
};

void ModuleWindowsTest::DoubleClickShowsEachTypesOwnWindow() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    for (const Expected& row : kDemoWindows) {
        const QByteArray what = QByteArray(row.type) + " in slot " + QByteArray::number(row.slot);
        QCOMPARE(QString::fromStdString(form.frmKonfig()->Model().Module(row.slot)->ModulType),
                 QString::fromLatin1(row.type));
        HideAll(form);
        QTest::mouseDClick(Picture(form, row.slot), Qt::LeftButton);
        const QStringList shown = ShownWindows(form);
        if (row.window == nullptr) {
            QVERIFY2(shown.isEmpty(),
                     qPrintable(what + " opened " + shown.join(QLatin1Char(',')).toLatin1()));
            continue;
        }
        QVERIFY2(shown == QStringList{QString::fromLatin1(row.window)},
                 qPrintable(what + " opened " + shown.join(QLatin1Char(',')).toLatin1()));
        auto* window = form.findChild<QWidget*>(QString::fromLatin1(row.window));
        QCOMPARE(window->windowTitle(), QString::fromLatin1(row.caption));
    }
}

void ModuleWindowsTest::CaptionOnlyWindowsCarryTheirCaptions() {
    ProgramFolder folder(ProgramFolder::DemoProject());
    TMainForm form(folder.Path());
    form.show();
    QTRY_VERIFY(form.frmKonfig() != nullptr);
    QCOMPARE(static_cast<int>(korvo::SimpleModuleWindows().size()), 12);
    for (const korvo::SimpleModuleWindow& entry : korvo::SimpleModuleWindows()) {
        HideAll(form);
        const std::string className = korvo::DialogClassName(entry.dialog);
        const QString name = QString::fromStdString(className.substr(1));
        // The type name is the class name's tail with blanks: TfrmKorvo_DO_4 is "KORVO DO 4".
        std::string type = "KORVO " + className.substr(std::string("TfrmKorvo_").size());
        for (char& c : type) c = c == '_' ? ' ' : c;
        form.ShowProperties(type);
        QCOMPARE(ShownWindows(form), QStringList{name});
        auto* window = form.findChild<QWidget*>(name);
        QCOMPARE(window->windowTitle(), QString::fromLatin1(entry.caption));
        QVERIFY(window->width() <= 300 && window->height() <= 100);
    }
}

QTEST_MAIN(ModuleWindowsTest)
#include "module_windows_test.moc"
