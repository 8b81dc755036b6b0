#include "simple_module_windows.h"

#include <QFrame>
#include <QVBoxLayout>

namespace korvo {

namespace {

constexpr SimpleModuleWindow kWindows[] = {
    {PropertiesDialog::Korvo_DI_2, "properties DI 2", true},
    {PropertiesDialog::Korvo_DI_4, "properties DI 4", true},
    {PropertiesDialog::Korvo_DI_8, "properties DI 8", true},
    {PropertiesDialog::Korvo_DI_16, "properties DI 16", true},
    {PropertiesDialog::Korvo_DO_2, "properties DO 2", true},
    {PropertiesDialog::Korvo_DO_4, "properties  DO 4", true},
    {PropertiesDialog::Korvo_DO_8, "properties DO 8", true},
    {PropertiesDialog::Korvo_DO_16, "properties DO 16", true},
    {PropertiesDialog::Korvo_DO_1R, "properties DO 1R", true},
    {PropertiesDialog::Korvo_DO_4R, "properties DO 4R", true},
    {PropertiesDialog::Korvo_PB, "properties KORVO PB", false},
    {PropertiesDialog::Korvo_PA, "properties Korvo PA", false},
};

}  // namespace

std::span<const SimpleModuleWindow> SimpleModuleWindows() {
    return kWindows;
}

QWidget* CreateSimpleModuleWindow(QWidget* parent, const SimpleModuleWindow& entry) {
    auto* window = new QWidget(parent, Qt::Window);
    window->setObjectName(QString::fromStdString(DialogClassName(entry.dialog).substr(1)));
    window->setWindowTitle(QString::fromLatin1(entry.caption));
    window->resize(250, 60);
    if (entry.panel) {
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* panel = new QFrame(window);
        panel->setObjectName(QStringLiteral("Panel1"));
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        layout->addWidget(panel);
    }
    window->hide();
    return window;
}

}  // namespace korvo
