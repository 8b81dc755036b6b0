#include "frm_bootp_server.h"

#include "ui/cp1252_text.h"
#include "ui/message_box.h"
#include "ui/window_pump.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvo {

namespace {

// Groups of up to three digits; the blank is the placeholder, as the texts keep it.
const QString kIpMask = QStringLiteral("000.000.000.000; ");
const QString kMacMask = QStringLiteral("HH.HH.HH.HH.HH.HH; ");

}  // namespace

TfrmBootpServer::TfrmBootpServer(QWidget* parent, const BootpEndpoints& endpoints, const std::string& program)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmBootpServer"));
    setWindowTitle(QStringLiteral("UDP Bootp Server"));
    resize(470, 480);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    QLineEdit* name = AddField(BootpField::EdName, "EdName", QString());
    name->setReadOnly(true);
    top->addWidget(name, 1);
    auto* help = new QPushButton(QStringLiteral("?"), this);
    help->setObjectName(QStringLiteral("BitBtn1"));
    help->setFixedWidth(30);
    OnClick(help, &BootpServer::BitBtn1Click);
    top->addWidget(help);
    layout->addLayout(top);

    auto* group = new QGroupBox(QStringLiteral("Bootp Server"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(group);
    auto* tabs = new QTabWidget(group);
    tabs->setObjectName(QStringLiteral("PageControl1"));
    tabs->addTab(CreateFirstTab(), QStringLiteral("first IP setting"));
    tabs->addTab(CreateSecondTab(), QStringLiteral("change IP setting"));
    groupLayout->addWidget(tabs);
    layout->addWidget(group);

    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton(QStringLiteral("clear box"), this);
    clear->setObjectName(QStringLiteral("Button1"));
    OnClick(clear, &BootpServer::Button1Click);
    buPing_ = new QPushButton(QStringLiteral("connection check"), this);
    buPing_->setObjectName(QStringLiteral("BuPing"));
    OnClick(buPing_, &BootpServer::BuPingClick);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(buPing_);
    layout->addLayout(buttons);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(memo_, 1);

    if (socket_.Open(endpoints)) {
        notifier_ = new QSocketNotifier(socket_.Descriptor(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &TfrmBootpServer::UDPServer67UDPRead);
    } else {
        AddLogLine(PortUnavailableText(endpoints.listenPort, socket_.OpenErrno(), program));
    }
}

QLineEdit* TfrmBootpServer::AddField(BootpField field, const char* name, const QString& mask) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    if (!mask.isEmpty()) edit->setInputMask(mask);
    fields_[static_cast<std::size_t>(field)] = edit;
    connect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
        if (server_) server_->FieldChanged(field, FromQString(text));
    });
    return edit;
}

QWidget* TfrmBootpServer::CreateFirstTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* grid = new QGridLayout(page);
    const auto row = [&](int r, const QString& caption, QLineEdit* edit) {
        grid->addWidget(new QLabel(caption, page), r, 0);
        grid->addWidget(edit, r, 1);
    };
    row(0, QStringLiteral("IP address"), AddField(BootpField::MaskEdit_IP, "MaskEdit_IP", kIpMask));
    row(1, QStringLiteral("Subnet mask"), AddField(BootpField::SubnetMask, "SubnetMask", kIpMask));
    row(2, QStringLiteral("gateway"), AddField(BootpField::MaskGateway, "MaskGateway", kIpMask));
    row(3, QStringLiteral(" MAC Address"), AddField(BootpField::MaskEdit_MAC, "MaskEdit_MAC", kMacMask));
    checkIP_ = new QCheckBox(QStringLiteral("transmitt IP address "), page);
    checkIP_->setObjectName(QStringLiteral("CheckIP"));
    connect(checkIP_, &QCheckBox::clicked, this, [this](bool checked) {
        if (server_) server_->CheckIPClick(checked);
    });
    grid->addWidget(checkIP_, 4, 1);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TfrmBootpServer::CreateSecondTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* grid = new QGridLayout(page);
    const auto row = [&](int r, const QString& caption, QLineEdit* edit) {
        if (!caption.isEmpty()) grid->addWidget(new QLabel(caption, page), r, 0);
        grid->addWidget(edit, r, 1);
    };
    row(0, QStringLiteral("IP address"), AddField(BootpField::MaskEdit_IP_NEW, "MaskEdit_IP_NEW", kIpMask));
    row(1, QStringLiteral("Subnet mask"), AddField(BootpField::SubnetMask1, "SubnetMask1", kIpMask));
    row(2, QStringLiteral("gateway"), AddField(BootpField::MaskGateway1, "MaskGateway1", kIpMask));
    row(3, QStringLiteral("MAC Address"), AddField(BootpField::MaskEdit_MAC1, "MaskEdit_MAC1", kMacMask));
    // The present address of the coupler, under the MAC field and without a label.
    row(4, QString(), AddField(BootpField::MaskEdit_IP1, "MaskEdit_IP1", kIpMask));
    auto* ping = new QPushButton(QStringLiteral("Ping"), page);
    ping->setObjectName(QStringLiteral("Button2"));
    OnClick(ping, &BootpServer::Button2Click);
    grid->addWidget(ping, 4, 2);
    checkIP1_ = new QCheckBox(QStringLiteral("transmitt IP address "), page);
    checkIP1_->setObjectName(QStringLiteral("CheckIP1"));
    connect(checkIP1_, &QCheckBox::clicked, this, [this](bool checked) {
        if (server_) server_->CheckIP1Click(checked);
    });
    grid->addWidget(checkIP1_, 5, 1);
    auto* restart = new QPushButton(QStringLiteral("restart"), page);
    restart->setObjectName(QStringLiteral("Button3"));
    // The logic logs the result.
    connect(restart, &QPushButton::clicked, this, [this] {
        if (server_) server_->Button3Click();
    });
    grid->addWidget(restart, 5, 2);
    grid->setRowStretch(6, 1);
    return page;
}

void TfrmBootpServer::OnClick(QPushButton* button, BootpClick click) {
    connect(button, &QPushButton::clicked, this, [this, click] {
        if (server_) (server_->*click)();
    });
}

void TfrmBootpServer::Bind(BootpServer& server) {
    server_ = &server;
    server.SetUi(*this);
}

void TfrmBootpServer::Open() {
    // A window already shown gets no show event; it loads as an activation would.
    if (isVisible()) FormActivate();
    show();
    raise();
    activateWindow();
}

void TfrmBootpServer::FormActivate() {
    if (server_) server_->FormActivate();
}

void TfrmBootpServer::UDPServer67UDPRead() {
    while (socket_.Receive(datagram_)) {
        if (server_) server_->UDPServer67UDPRead(datagram_);
    }
}

void TfrmBootpServer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TfrmBootpServer::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmBootpServer::closeEvent(QCloseEvent* event) {
    if (server_) server_->FormClose();
    event->accept();
}

void TfrmBootpServer::ShowField(BootpField field, const std::string& text) {
    QLineEdit* edit = Edit(field);
    const QString shown = ToQString(text);
    // The field being typed in holds the text already; setting it would move the cursor.
    if (edit->text() == shown) return;
    // The logic already knows the text; the edit's own change signal would only echo it.
    const QSignalBlocker blocker(edit);
    edit->setText(shown);
}

void TfrmBootpServer::ShowArmed(bool checkIP, bool checkIP1) {
    checkIP_->setChecked(checkIP);
    checkIP1_->setChecked(checkIP1);
}

void TfrmBootpServer::AddLogLine(const std::string& line) {
    memo_->appendPlainText(ToQString(line));
}

void TfrmBootpServer::ClearLog() {
    memo_->clear();
}

void TfrmBootpServer::SetPingButtonEnabled(bool enabled) {
    buPing_->setEnabled(enabled);
}

void TfrmBootpServer::ShowMessage(const std::string& text, const std::string& caption) {
    ShowMessageBox(this, text, caption);
}

void TfrmBootpServer::ProcessMessages() {
    WindowPump::Instance().Pump();
}

void TfrmBootpServer::SetStationStatus(const std::string& text) {
    Q_EMIT stationStatusChanged(ToQString(text));
}

void TfrmBootpServer::ShowHelpPage(int page) {
    Q_EMIT helpRequested(page);
}

}  // namespace korvo
