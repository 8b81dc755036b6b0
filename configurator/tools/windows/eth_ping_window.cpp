#include "eth_ping_window.h"

#include "ui/cp1252_text.h"
#include "ui/message_box.h"
#include "ui/window_pump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvo {

TfrmPing::TfrmPing(QWidget* parent, Pinger& pinger) : QDialog(parent), logic_(pinger) {
    setObjectName(QStringLiteral("frmPing"));
    setWindowTitle(QStringLiteral("Ping"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    auto* host = new QGridLayout(frame);
    hostName_ = new QLabel(QStringLiteral("."), frame);
    hostName_->setObjectName(QStringLiteral("HostName"));
    hostAddress_ = new QLabel(QStringLiteral("."), frame);
    hostAddress_->setObjectName(QStringLiteral("HostAddress"));
    host->addWidget(new QLabel(QStringLiteral("Host name      :"), frame), 0, 0);
    host->addWidget(hostName_, 0, 1);
    host->addWidget(new QLabel(QStringLiteral("Host address :"), frame), 1, 0);
    host->addWidget(hostAddress_, 1, 1);
    host->setColumnStretch(1, 1);
    layout->addWidget(frame);

    auto* row = new QHBoxLayout;
    edtHost_ = new QLineEdit(QString::fromLatin1(EthPing::kInitialHost), this);
    edtHost_->setObjectName(QStringLiteral("edtHost"));
    btnPing_ = new QPushButton(QStringLiteral("&Ping"), this);
    btnPing_->setObjectName(QStringLiteral("btnPing"));
    btnPing_->setDefault(true);
    connect(btnPing_, &QPushButton::clicked, this, &TfrmPing::btnPingClick);
    auto* clear = new QPushButton(QStringLiteral("clear"), this);
    clear->setObjectName(QStringLiteral("Button1"));
    clear->setAutoDefault(false);
    row->addWidget(edtHost_, 1);
    row->addWidget(btnPing_);
    row->addWidget(clear);
    layout->addLayout(row);

    lstReplies_ = new QListWidget(this);
    lstReplies_->setObjectName(QStringLiteral("lstReplies"));
    connect(clear, &QPushButton::clicked, lstReplies_, &QListWidget::clear);
    layout->addWidget(lstReplies_, 1);

    setFixedSize(400, 300);
}

void TfrmPing::Open(const std::string& host) {
    if (!host.empty())
        edtHost_->setText(ToQString(host));
    else if (!isVisible())
        edtHost_->setText(QString::fromLatin1(EthPing::kInitialHost));
    show();
    raise();
    activateWindow();
}

void TfrmPing::FormActivate() {
    const LocalHost local = LocalHostInfo();
    hostName_->setText(QString::fromLocal8Bit(local.name));
    hostAddress_->setText(QString::fromLatin1(local.address));
}

void TfrmPing::btnPingClick() {
    btnPing_->setEnabled(false);
    const PingAttempt attempt = logic_.Ping(FromQString(edtHost_->text()));
    if (attempt.sent) {
        lstReplies_->addItem(ToQString(attempt.line));
        lstReplies_->scrollToBottom();
    } else {
        ShowMessageBox(this, attempt.notPermitted ? EthPing::kNotPermitted : EthPing::kCheckIpSettings,
                       EthPing::kCommunicationError);
    }
    WindowPump::Instance().Pump();
    btnPing_->setEnabled(true);
}

void TfrmPing::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

}  // namespace korvo
