#include "module_window.h"

#include "dialogs/automatic_save.h"
#include "ui/message_box.h"
#include "ui/cp1252_text.h"
#include "station/profile_file.h"
#include "station/station_model.h"

#include <QAbstractButton>
#include <QLineEdit>

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
    connect(saveButton, &QPushButton::clicked, this, [this, save] {
        save();
        unsaved_ = false;
    });
    auto* exitButton = new QPushButton(QStringLiteral("Exit"), this);
    exitButton->setObjectName(QStringLiteral("Button2"));
    connect(exitButton, &QPushButton::clicked, this, [this, save, exit] {
        if (unsaved_) {
            switch (AskSaveChanges()) {
                case QMessageBox::Save:
                    save();
                    break;
                case QMessageBox::Discard: break;
                default: return;
            }
        }
        unsaved_ = false;
        exit();
    });
    hasSaveButton_ = true;
    if (centred) buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(exitButton);
    if (centred) buttons->addStretch();
    return buttons;
}

void ModuleWindow::SetTrendFeed(IoTestFeed* feed) {
    trendFeed_ = feed;
    if (trendPane_ != nullptr) trendPane_->SetFeed(feed);
}

TrendPane* ModuleWindow::CreateTrendPane() {
    trendPane_ = new TrendPane(false, this);
    trendPane_->SetFeed(trendFeed_);
    return trendPane_;
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

QMessageBox::StandardButton ModuleWindow::AskSaveChanges() {
    std::string name = "the module";
    if (const StationModel* model = Model()) {
        if (const TModul* module = model->Module(model->CurrentModule)) {
            name = module->ModulType + " (slot " + std::to_string(model->CurrentModule) + ")";
        }
    }
    const auto box = MakeMessageBox(this, QMessageBox::Question, windowTitle(),
                                    ToQString("save changes to " + name + "?"),
                                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box->setObjectName(QStringLiteral("SaveChangesBox"));
    box->setDefaultButton(QMessageBox::Save);
    const bool wasActive = isActiveWindow();
    const auto answer = static_cast<QMessageBox::StandardButton>(box->exec());
    // As after an error report: getting the activation back reloads nothing, so
    // "Cancel" keeps the options as they were set.
    returningFromReport_ = wasActive && !isActiveWindow();
    return answer;
}

void ModuleWindow::WatchChanges() {
    // Every option, check box and field of the window but its own two buttons.
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (qobject_cast<QPushButton*>(button) != nullptr) continue;
        connect(button, &QAbstractButton::clicked, this, [this] { unsaved_ = true; });
    }
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        connect(edit, &QLineEdit::textEdited, this, [this] { unsaved_ = true; });
    }
}

void ModuleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || Model() == nullptr) return;
    if (hasSaveButton_ && !watching_) {
        WatchChanges();
        watching_ = true;
    }
    // Every showing starts from the module's saved state.
    unsaved_ = false;
    if (trendPane_ != nullptr) trendPane_->ShowSlot(Model()->CurrentModule);
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
        if (!std::exchange(activatedByShow_, false)) {
            FormActivate();
            // The activation took the module's saved state again.
            unsaved_ = false;
        }
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
