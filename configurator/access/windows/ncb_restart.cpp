#include "ncb_restart.h"

#include "ui/cp1252_text.h"
#include "ui/window_placement.h"
#include "ui/window_pump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo {

TfrmNCBRestart::TfrmNCBRestart(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmNCBRestart"));
    setWindowTitle(QStringLiteral("NC-B Restart"));
    resize(240, 90);
    auto* layout = new QVBoxLayout(this);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, NcRestart::kProgressMax);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    layout->addWidget(progress_);

    paStatus_ = new QLabel(this);
    paStatus_->setObjectName(QStringLiteral("PaStatus"));
    paStatus_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    paStatus_->setAlignment(Qt::AlignCenter);
    paStatus_->setMinimumHeight(20);
    layout->addWidget(paStatus_);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, &TfrmNCBRestart::TimerTimer);
}

void TfrmNCBRestart::ShowCentredOver(const QWidget* window) { ShowOverOwner(this, window); }

void TfrmNCBRestart::FormActivate() {
    if (restart_) restart_->Activated();
}

void TfrmNCBRestart::TimerTimer() {
    // A tick while another command waits for the coupler is left out.
    if (WindowPump::Instance().Busy()) return;
    if (restart_) restart_->TimerTick();
}

void TfrmNCBRestart::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmNCBRestart::SetStatus(const std::string& text) { paStatus_->setText(ToQString(text)); }

void TfrmNCBRestart::ProcessMessages() { WindowPump::Instance().Pump(); }

void TfrmNCBRestart::SetProgress(int position) { progress_->setValue(position); }

void TfrmNCBRestart::SetTimerEnabled(bool enabled) {
    if (enabled) timer_->start();
    else timer_->stop();
}

void TfrmNCBRestart::CloseWindow() { close(); }

}  // namespace korvo
