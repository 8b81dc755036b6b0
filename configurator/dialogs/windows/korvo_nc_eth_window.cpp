#include "korvo_nc_eth_window.h"

#include "tools/pinger.h"
#include "ui/cp1252_text.h"
#include "ui/message_box.h"
#include "ui/window_pump.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvo {

namespace {

// Four groups of up to three digits; unfilled places are blanks.
const QString kAddressMask = QStringLiteral("000.000.000.000");

Pinger& SystemPinger() {
    static Pinger pinger;
    return pinger;
}

}  // namespace

TfrmKorvo_NC_ETH::TfrmKorvo_NC_ETH(ModelSource model, QWidget* owner, Pinger* pinger)
    : ModuleWindow(std::move(model), owner), logic_(pinger != nullptr ? *pinger : SystemPinger(), *this) {
    setObjectName(QStringLiteral("frmKorvo_NC_ETH"));
    setWindowTitle(QStringLiteral("properties NC ETH"));
    resize(300, 250);
    auto* layout = new QVBoxLayout(this);

    auto* name = new QFormLayout;
    edStationName_ = new QLineEdit(this);
    edStationName_->setObjectName(QStringLiteral("EdStationName"));
    name->addRow(QStringLiteral("station name "), edStationName_);
    connect(edStationName_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (Model() != nullptr) logic_.StationNameChange(*Model(), FromQString(text));
    });
    layout->addLayout(name);

    auto* box = new QGroupBox(QStringLiteral("IP address specify"), this);
    box->setObjectName(QStringLiteral("GroupBox1"));
    auto* addresses = new QFormLayout(box);
    maskEditIp_ = AddAddressField("MaskEdit_IP", AddressField::IPAddress);
    subnetMask_ = AddAddressField("SubnetMask", AddressField::SubnetMask);
    maskGateway_ = AddAddressField("MaskGateway", AddressField::Gateway);
    addresses->addRow(QStringLiteral("IP address"), maskEditIp_);
    addresses->addRow(QStringLiteral("Subnet mask"), subnetMask_);
    addresses->addRow(QStringLiteral("gateway"), maskGateway_);
    layout->addWidget(box);

    buPing_ = new QPushButton(QStringLiteral("connection test"), this);
    buPing_->setObjectName(QStringLiteral("BuPing"));
    connect(buPing_, &QPushButton::clicked, this, [this] {
        if (Model() != nullptr) logic_.BuPingClick(*Model(), FromQString(maskEditIp_->text()));
    });
    layout->addWidget(buPing_);
    layout->addStretch();

    paStatus_ = new QLabel(this);
    paStatus_->setObjectName(QStringLiteral("PaStatus"));
    paStatus_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    paStatus_->setMinimumHeight(22);
    paStatus_->setWordWrap(true);
    layout->addWidget(paStatus_);
}

QLineEdit* TfrmKorvo_NC_ETH::AddAddressField(const char* name, AddressField field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setInputMask(kAddressMask);
    connect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
        if (Model() != nullptr) logic_.AddressChange(*Model(), field, FromQString(text));
    });
    return edit;
}

void TfrmKorvo_NC_ETH::FormActivate() {
    StationModel& model = *Model();
    const std::optional<CouplerFields> fields = logic_.FormActivate(model);
    if (!fields) return;
    // Each change handler runs once, in this order, also when the text stays the same.
    const auto set = [](QLineEdit* edit, const std::string& text) {
        const QSignalBlocker quiet(edit);
        edit->setText(ToQString(text));
        return FromQString(edit->text());
    };
    logic_.AddressChange(model, AddressField::IPAddress, set(maskEditIp_, fields->ipAddress));
    logic_.AddressChange(model, AddressField::SubnetMask, set(subnetMask_, fields->subnetMask));
    logic_.AddressChange(model, AddressField::Gateway, set(maskGateway_, fields->gateway));
    logic_.StationNameChange(model, set(edStationName_, fields->stationName));
}

void TfrmKorvo_NC_ETH::SetStatus(const std::string& text, StatusKind kind) {
    QPalette palette = paStatus_->palette();
    palette.setColor(QPalette::WindowText, kind == StatusKind::Failure
                                               ? QColor(Qt::red)
                                               : this->palette().color(QPalette::WindowText));
    paStatus_->setPalette(palette);
    paStatus_->setText(ToQString(text));
}

void TfrmKorvo_NC_ETH::SetPingEnabled(bool enabled) {
    buPing_->setEnabled(enabled);
}

void TfrmKorvo_NC_ETH::ShowMessage(const std::string& text, const std::string& caption) {
    ShowMessageBox(this, text, caption);
}

void TfrmKorvo_NC_ETH::ProcessMessages() {
    WindowPump::Instance().Pump();
}

void TfrmKorvo_NC_ETH::FormClose() {
    logic_.FormClose(*Model());
    SaveAutomatically();
}

}  // namespace korvo
