#include "system_config.h"

#include "ui/cp1252_text.h"
#include "ui/message_box.h"
#include "ui/window_pump.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo {

namespace {

// The boxes only display the coupler's state; clicks must not change them.
class DisplayCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint&) const override { return false; }
};

QCheckBox* DisplayBox(const char* name, const QString& caption, QWidget* parent, QLayout* layout) {
    auto* box = new DisplayCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(box);
    return box;
}

}  // namespace

Tfrmsystemconfig::Tfrmsystemconfig(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmsystemconfig"));
    setWindowTitle(QStringLiteral("system configuration"));
    resize(290, 360);
    auto* layout = new QVBoxLayout(this);

    auto* title = new QLabel(QStringLiteral("NC-ETH diagnosis"), this);
    title->setObjectName(QStringLiteral("LaTitle"));
    QFont large = title->font();
    large.setBold(true);
    large.setPixelSize(18);
    title->setFont(large);
    layout->addWidget(title);

    st_ = new QLabel(this);
    st_->setObjectName(QStringLiteral("St"));
    QFont bold = st_->font();
    bold.setBold(true);
    st_->setFont(bold);
    layout->addWidget(st_);

    auto* groups = new QHBoxLayout;
    auto* state = new QGroupBox(QStringLiteral("state"), this);
    state->setObjectName(QStringLiteral("GroupState"));
    auto* stateLayout = new QVBoxLayout(state);
    ready_ = DisplayBox("CheckReady", QStringLiteral("ready"), state, stateLayout);
    activ_ = DisplayBox("CheckActiv", QStringLiteral("activ"), state, stateLayout);
    run_ = DisplayBox("CheckRun", QStringLiteral("run"), state, stateLayout);
    stateLayout->addStretch();
    auto* errors = new QGroupBox(QStringLiteral("system error"), this);
    errors->setObjectName(QStringLiteral("GroupSystemError"));
    auto* errorLayout = new QVBoxLayout(errors);
    submodulFail_ = DisplayBox("CheckSubmodulFail", QStringLiteral("submodul fail"), errors, errorLayout);
    busFail_ = DisplayBox("CheckBusFail", QStringLiteral("bus fail"), errors, errorLayout);
    userFail_ = DisplayBox("CheckUserFail", QStringLiteral("user fail"), errors, errorLayout);
    controllerFail_ = DisplayBox("CheckControllerFail", QStringLiteral("controller fail"), errors, errorLayout);
    warning_ = DisplayBox("CheckWarning", QStringLiteral("warning"), errors, errorLayout);
    groups->addWidget(state);
    groups->addWidget(errors);
    layout->addLayout(groups);
    plugPlay_ = DisplayBox("CheckPlugPlay", QStringLiteral("Plug  Play aktiv"), this, layout);

    auto* buttons = new QGridLayout;
    buttons->addWidget(AddButton("ButtonReadBusState", QStringLiteral("read bus state"),
                                 &CouplerDiagnosis::ReadBusStateClick), 0, 0);
    buttons->addWidget(AddButton("ButtonErrorReset", QStringLiteral("error reset"),
                                 &CouplerDiagnosis::ErrorResetClick), 0, 1);
    buttons->addWidget(AddButton("ButtonBootpOff", QStringLiteral("BootP off"), &CouplerDiagnosis::BootpOffClick),
                       1, 0);
    buttons->addWidget(AddButton("ButtonBootpOn", QStringLiteral("BootP on"), &CouplerDiagnosis::BootpOnClick), 1, 1);
    buttons->addWidget(AddButton("ButtonPlugPlayOff", QStringLiteral("Plug Play off"),
                                 &CouplerDiagnosis::PlugPlayOffClick), 2, 0);
    buttons->addWidget(AddButton("ButtonPlugPlayOn", QStringLiteral("Plug Play on"),
                                 &CouplerDiagnosis::PlugPlayOnClick), 2, 1);
    layout->addLayout(buttons);

    auto* restartRow = new QHBoxLayout;
    restart_ = new QPushButton(QStringLiteral(" restart "), this);
    restart_->setObjectName(QStringLiteral("ButtonRestart"));
    restart_->setCheckable(true);
    connect(restart_, &QPushButton::clicked, this, [this](bool down) {
        if (diagnosis_) diagnosis_->RestartClick(down);
    });
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, CouplerDiagnosis::kProgressMax);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    auto* help = new QPushButton(QStringLiteral("?"), this);
    help->setObjectName(QStringLiteral("ButtonHelp"));
    help->setFixedWidth(28);
    connect(help, &QPushButton::clicked, this, &Tfrmsystemconfig::helpRequested);
    restartRow->addWidget(restart_);
    restartRow->addWidget(progress_, 1);
    restartRow->addWidget(help);
    layout->addLayout(restartRow);
    layout->addStretch();

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_->setMinimumHeight(20);
    layout->addWidget(status_);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, &Tfrmsystemconfig::TimerTimer);
}

QPushButton* Tfrmsystemconfig::AddButton(const char* name, const QString& caption,
                                         void (CouplerDiagnosis::*click)()) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QPushButton::clicked, this, [this, click] {
        if (diagnosis_) (diagnosis_->*click)();
    });
    return button;
}

void Tfrmsystemconfig::FormActivate() {
    if (diagnosis_) diagnosis_->Activated();
}

void Tfrmsystemconfig::TimerTimer() {
    // A tick while another command waits for the coupler is left out.
    if (WindowPump::Instance().Busy()) return;
    if (diagnosis_) diagnosis_->TimerTick();
}

void Tfrmsystemconfig::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void Tfrmsystemconfig::SetStatus(const std::string& text) { status_->setText(ToQString(text)); }

void Tfrmsystemconfig::ShowState(const CouplerState& state) {
    ready_->setChecked(state.ready);
    activ_->setChecked(state.activ);
    run_->setChecked(state.run);
    submodulFail_->setChecked(state.submodulFail);
    busFail_->setChecked(state.busFail);
    userFail_->setChecked(state.userFail);
    controllerFail_->setChecked(state.controllerFail);
    warning_->setChecked(state.warning);
    plugPlay_->setChecked(state.plugPlayActive);
}

void Tfrmsystemconfig::ShowMessage(const std::string& text, const std::string& caption) {
    ShowMessageBox(this, text, caption);
}

void Tfrmsystemconfig::ProcessMessages() { WindowPump::Instance().Pump(); }

void Tfrmsystemconfig::SetRestartButton(bool down, const std::string& caption) {
    restart_->setChecked(down);
    restart_->setText(ToQString(caption));
}

void Tfrmsystemconfig::SetProgress(int position) { progress_->setValue(position); }

void Tfrmsystemconfig::SetTimerEnabled(bool enabled) {
    if (enabled) timer_->start();
    else timer_->stop();
}

void Tfrmsystemconfig::SetStationText(const std::string& text) { st_->setText(ToQString(text)); }

}  // namespace korvo
