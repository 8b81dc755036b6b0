#include "udp_bootp_server.h"

#include "access/ddi_funktionen.h"
#include "access/call_failure.h"
#include "access/connection_opener.h"
#include "tools/pinger.h"
#include "station/dotted_address.h"
#include "station/project_file.h"
#include "station/station_model.h"
#include "station/versch.h"

#include <algorithm>
#include <cstdio>

namespace korvo {

namespace {

constexpr const char* kCommunicationError = "communication error";
constexpr const char* kCheckIpSettings = "ERROR !! check IP settings";

std::string WithoutBlanks(std::string text) {
    RemoveBlanks(text);
    return text;
}

std::string DottedText(const IpBytes& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) text += (text.empty() ? "" : ".") + std::to_string(byte);
    return text;
}

std::string ErrorCodeText(std::uint32_t code) {
    char text[24];
    std::snprintf(text, sizeof text, "error code %08Xh", code);
    return text;
}

// Parses one field for the reply; logs why it cannot be used.
template <typename Bytes>
bool ReplyValue(const std::string& caption, const std::string& text, bool mac, Bytes& bytes, BootpUi& ui) {
    const ParsedAddress parsed = mac ? ParseMacText(text) : ParseIpText(text);
    if (!parsed.ok) {
        ui.AddLogLine("--- no reply: " + caption + " \"" + text + "\" " + parsed.why);
        return false;
    }
    std::copy_n(parsed.bytes.begin(), bytes.size(), bytes.begin());
    return true;
}

}  // namespace

BootpServer::BootpServer(StationModel& model, ControllerAccess& access, ConnectionOpener& opener,
                         Pinger& pinger, BootpSender& sender, BootpUi& ui, std::filesystem::path settingsFile)
    : model_(model),
      access_(access),
      opener_(opener),
      pinger_(pinger),
      sender_(sender),
      ui_(&ui),
      settingsFile_(std::move(settingsFile)) {}

void BootpServer::FormActivate() {
    serving_ = true;
    LoadFields();
}

void BootpServer::LoadFields() {
    const TModul* current = model_.Module(model_.CurrentModule);
    const TModul* station = model_.Module(model_.CurrentCouplerModule);
    edited_ = current != nullptr && current->IsCoupler()   ? model_.CurrentModule
              : station != nullptr && station->IsCoupler() ? model_.CurrentCouplerModule
                                                           : 0;
    // Without a coupler (an empty station) the connection state stays as it is.
    if (const TModul* module = model_.Module(edited_)) {
        model_.CurrentIP = module->IPAddress;
        model_.CurrentMask = module->Subnet_Maske;
        model_.CurrentGateway = module->Gate_way;
        model_.CurrentStationName = module->StationName;
        model_.CurrentMAC = module->MACAddress;
    }
    // Copies: the change handlers below rewrite the shared texts.
    const std::string ip = model_.CurrentIP;
    const std::string mac = model_.CurrentMAC;
    const std::string mask = model_.CurrentMask;
    const std::string gateway = model_.CurrentGateway;
    const std::string name = model_.CurrentStationName;
    SetField(BootpField::MaskEdit_IP, ip);
    SetField(BootpField::MaskEdit_IP1, ip);
    SetField(BootpField::MaskEdit_IP_NEW, ip);
    SetField(BootpField::MaskEdit_MAC, mac);
    SetField(BootpField::MaskEdit_MAC1, mac);
    SetField(BootpField::SubnetMask, mask);
    SetField(BootpField::SubnetMask1, mask);
    SetField(BootpField::MaskGateway, gateway);
    SetField(BootpField::MaskGateway1, gateway);
    SetField(BootpField::EdName, name);
}

void BootpServer::FormClose() {
    serving_ = false;
    ui_->SetStationStatus(model_.CurrentStationName + "  IP:" + model_.CurrentIP);
    if (settingsFile_.empty()) return;
    try {
        SaveProject(model_, settingsFile_);
    } catch (const ProfileError& e) {
        ui_->ShowMessage(e.what(), "Korvo Configurator");
    }
}

void BootpServer::UDPServer67UDPRead(std::span<const std::uint8_t> datagram) {
    if (!serving_) return;
    const BootpRequestHeader header = ParseBootpRequest(datagram);
    // A reply on port 67 (another server's, or this one's own looped back) or a request
    // of other hardware carries no coupler's MAC: answering it would send a reply for
    // a request nobody made.
    if (header.kind == BootpDatagramKind::NotRequest) {
        Log("--- ignored , not a Bootp Request: op " + std::to_string(header.op) +
            (header.op == kBootReply ? " (a reply)" : ""));
        return;
    }
    if (header.kind == BootpDatagramKind::NotEthernet) {
        Log("--- ignored , not an Ethernet Bootp Request: htype " + std::to_string(header.htype) + ", hlen " +
            std::to_string(header.hlen));
        return;
    }
    LoadRequest(buffer_, datagram);
    ++requestCounter_;
    const std::string number = "--> Bootp Request no.: " + std::to_string(requestCounter_);
    // Zeros in place of a missing MAC could match a configured 00.00.00.00.00.00.
    if (header.kind == BootpDatagramKind::TooShort) {
        Log(number + "   only " + std::to_string(datagram.size()) +
            " bytes, too short to hold a MAC address: not answered");
        return;
    }
    Log(number + "   MAC Adresse: " + MacText(buffer_));
    if (datagram.size() > kBootpMessageSize) {
        Log("--- request of " + std::to_string(datagram.size()) + " bytes cut to its first " +
            std::to_string(kBootpMessageSize));
    }
    if (Armed()) SendReply();
}

void BootpServer::SendReply() {
    IpBytes ip{};
    IpBytes mask{};
    IpBytes gateway{};
    MacBytes mac{};
    const bool fromNew = restartMode_;
    if (!ReplyValue(fromNew ? "new IP address" : "IP address",
                    Field(fromNew ? BootpField::MaskEdit_IP_NEW : BootpField::MaskEdit_IP), false, ip,
                    *ui_) ||
        !ReplyValue("Subnet mask", Field(BootpField::SubnetMask), false, mask, *ui_) ||
        !ReplyValue("gateway", Field(BootpField::MaskGateway), false, gateway, *ui_) ||
        !ReplyValue("MAC Address", Field(BootpField::MaskEdit_MAC), true, mac, *ui_)) {
        return;
    }
    if (!MacMatches(buffer_, mac)) {
        Log("--- ignored , wrong MAC address ");
        return;
    }
    BuildBootpReply(buffer_, ip, mask, gateway);
    std::string error;
    // A reply that never left must not disarm the server or move the station's address.
    if (!sender_.SendReply(buffer_, error)) {
        Log("--- reply could not be sent: " + error);
        return;
    }
    ++repliesSent_;
    AfterReply(DottedText(ip));
}

void BootpServer::AfterReply(const std::string& sentAddress) {
    SetArmed(false, false);
    Log("<-- sent IP address " + sentAddress + " to KORVO NC-ETH ");
    SetField(BootpField::MaskEdit_IP1, Field(BootpField::MaskEdit_IP_NEW));
    if (restartMode_) {
        model_.CurrentIP = WithoutBlanks(Field(BootpField::MaskEdit_IP_NEW));
        const std::string ip = model_.CurrentIP;
        SetField(BootpField::MaskEdit_IP, ip);
        SetField(BootpField::MaskEdit_IP1, ip);
        restartMode_ = false;
    }
}

void BootpServer::FieldChanged(BootpField field, const std::string& text) {
    SetField(field, text);
}

void BootpServer::SetField(BootpField field, const std::string& text) {
    std::string& current = fields_[Index(field)];
    if (current == text) return;
    current = text;
    ui_->ShowField(field, text);
    switch (field) {
        case BootpField::MaskEdit_IP: SetField(BootpField::MaskEdit_IP_NEW, text); break;
        case BootpField::MaskEdit_IP_NEW: SetField(BootpField::MaskEdit_IP, text); break;
        case BootpField::MaskEdit_IP1:
            model_.CurrentIP = text;
            Store(&TModul::IPAddress, model_.CurrentIP);
            break;
        case BootpField::SubnetMask:
            MirrorShared(model_.CurrentMask, BootpField::SubnetMask1, text, &TModul::Subnet_Maske);
            break;
        case BootpField::SubnetMask1:
            MirrorShared(model_.CurrentMask, BootpField::SubnetMask, text, &TModul::Subnet_Maske);
            break;
        case BootpField::MaskGateway:
            MirrorShared(model_.CurrentGateway, BootpField::MaskGateway1, text, &TModul::Gate_way);
            break;
        case BootpField::MaskGateway1:
            MirrorShared(model_.CurrentGateway, BootpField::MaskGateway, text, &TModul::Gate_way);
            break;
        case BootpField::MaskEdit_MAC:
            MirrorShared(model_.CurrentMAC, BootpField::MaskEdit_MAC1, text, &TModul::MACAddress);
            break;
        case BootpField::MaskEdit_MAC1:
            MirrorShared(model_.CurrentMAC, BootpField::MaskEdit_MAC, text, &TModul::MACAddress);
            break;
        case BootpField::EdName: break;
    }
}

void BootpServer::MirrorShared(std::string& shared, BootpField mirror, const std::string& text,
                               std::string TModul::*member) {
    shared = text;
    SetField(mirror, text);
    RemoveBlanks(shared);
    Store(member, shared);
}

void BootpServer::Store(std::string TModul::*member, const std::string& value) {
    // Only into the coupler the fields were loaded from, whatever was clicked since.
    if (TModul* module = model_.Module(edited_); module != nullptr && module->IsCoupler())
        module->*member = value;
}

void BootpServer::SetArmed(bool checkIP, bool checkIP1) {
    checkIP_ = checkIP;
    checkIP1_ = checkIP1;
    ui_->ShowArmed(checkIP_, checkIP1_);
}

void BootpServer::CheckIPClick(bool checked) {
    SetArmed(checked, checkIP1_);
}

void BootpServer::CheckIP1Click(bool checked) {
    SetArmed(checkIP_, checked);
}

void BootpServer::Button1Click() {
    ui_->ClearLog();
    requestCounter_ = 0;
}

void BootpServer::BuPingClick() {
    ConnectionCheck(model_.CurrentIP);
}

void BootpServer::Button2Click() {
    ConnectionCheck(Field(BootpField::MaskEdit_IP1));
}

void BootpServer::ConnectionCheck(const std::string& host) {
    ui_->SetPingButtonEnabled(false);
    const EchoResult result = pinger_.Ping(WithoutBlanks(host));
    if (result.sent && result.reply.bytes > 0) {
        Log("--> Response from    : " + host);
    } else {
        Log("--- NO Response from : " + host);
    }
    if (!result.sent) ui_->ShowMessage(kCheckIpSettings, kCommunicationError);
    ui_->ProcessMessages();
    ui_->SetPingButtonEnabled(true);
}

bool BootpServer::Button3Click() {
    restartMode_ = true;
    const std::string address = WithoutBlanks(model_.CurrentIP);
    const std::string failed = "--- restart of " + address + " failed: ";
    if (access_.NodesClosed()) {
        if (!opener_.PingCoupler()) {
            Log(failed + "no echo reply within " + std::to_string(kEchoTimeoutMs) + " ms");
            return false;
        }
        if (const std::uint32_t opened = access_.OpenNodePair(); opened != 0) {
            Log(failed + "its nodes could not be opened, " + ErrorCodeText(opened));
            access_.CloseNodePair();
            return false;
        }
    }
    const std::uint32_t sent = access_.SendCommand(CmdRestart, access_.MailboxNode);
    if (sent != 0) {
        Log(failed + "the restart command could not be sent, " + ErrorCodeText(sent));
    } else if (const std::uint32_t confirmed =
                   access_.ConfirmCommand(ConfirmationCode(CmdRestart), access_.MailboxNode);
               confirmed != 0) {
        // The coupler may have restarted before it confirmed; its request is answered all the same.
        Log("<-- restart command sent to " + address + ", not confirmed: " + ErrorCodeText(confirmed));
    } else {
        Log("<-- restart command sent to " + address);
    }
    access_.CloseNodePair();
    return sent == 0;
}

void BootpServer::BitBtn1Click() {
    ui_->ShowHelpPage(kHelpPage);
}

}  // namespace korvo
