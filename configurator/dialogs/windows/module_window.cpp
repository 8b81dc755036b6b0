#include "module_window.h"

#include "dialogs/automatic_save.h"
#include "shell/windows/message_box.h"
#include "station/profile_file.h"
#include "station/station_model.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QEvent>
#include <QShowEvent>

#include <utility>

namespace korvo {

namespace {

constexpr const char* kErrorCaption = "Korvo Configurator";

}  // namespace

ModuleWindow::ModuleWindow(ModelSource model, QWidget* owner)
    : QWidget(owner, Qt::Window), model_(std::move(model)) {}

QHBoxLayout* ModuleWindow::SaveExitButtons(std::function<void()> save, std::function<void()> exit, bool centred) {
    auto* buttons = new QHBoxLayout;
    auto* saveButton = new QPushButton(QStringLiteral("Save Configuration"), this);
    saveButton->setObjectName(QStringLiteral("Button1"));
    connect(saveButton, &QPushButton::clicked, this, std::move(save));
    auto* exitButton = new QPushButton(QStringLiteral("Exit"), this);
    exitButton->setObjectName(QStringLiteral("Button2"));
    connect(exitButton, &QPushButton::clicked, this, std::move(exit));
    if (centred) buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(exitButton);
    if (centred) buttons->addStretch();
    return buttons;
}

QTimer* ModuleWindow::CreateTimer1(int intervalMs, std::function<void()> tick) {
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setInterval(intervalMs);
    connect(timer, &QTimer::timeout, this, std::move(tick));
    return timer;
}

void ModuleWindow::ReportError(const std::exception& error) {
    const bool wasActive = isActiveWindow();
    ShowMessageBox(this, error.what(), kErrorCaption);
    // The box took the activation; getting it back is no new activation. Reloading
    // then would report a malformed Parameter again, box after box.
    returningFromReport_ = wasActive && !isActiveWindow();
}

void ModuleWindow::SaveAutomatically() {
    StationModel* model = Model();
    if (model == nullptr) return;
    try {
        SaveStationAutomatically(*model);
    } catch (const ProfileError& e) {
        ReportError(e);
    }
    model->Ui().StationChanged();
}

void ModuleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || Model() == nullptr) return;
    FormShow();
    // A window manager may not activate the window (or the platform may not report
    // it): the showing counts as the activation, and the activation that may follow
    // does not load a second time.
    FormActivate();
    activatedByShow_ = !isActiveWindow();
}

void ModuleWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isVisible() || Model() == nullptr) return;
    if (isActiveWindow()) {
        if (std::exchange(returningFromReport_, false)) return;
        if (!std::exchange(activatedByShow_, false)) FormActivate();
    } else {
        activatedByShow_ = false;
        FormDeactivate();
    }
}

void ModuleWindow::closeEvent(QCloseEvent* event) {
    activatedByShow_ = false;
    returningFromReport_ = false;
    if (Model() != nullptr) FormClose();
    event->accept();
}

}  // namespace korvo
