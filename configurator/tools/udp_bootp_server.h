#pragma once
// Logic of the BOOTP server window: logs every request while the window serves,
// answers the armed coupler (matched by its MAC address) once with the address, mask
// and gateway of the fields, logs and ignores whatever is no Ethernet BOOTREQUEST,
// mirrors the fields of the two tabs into each other and into the current module,
// and restarts a coupler so that it asks for a new address. The window and
// "korvo bootp" both drive it.

#include "bootp_message.h"
#include "bootp_socket.h"
#include "station/module.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace korvo {

class ConnectionOpener;
class ControllerAccess;
class Pinger;
class StationModel;

// The window's text fields; the names are those of its controls.
enum class BootpField {
    MaskEdit_IP,
    MaskEdit_IP_NEW,
    MaskEdit_IP1,
    SubnetMask,
    SubnetMask1,
    MaskGateway,
    MaskGateway1,
    MaskEdit_MAC,
    MaskEdit_MAC1,
    EdName,
};
inline constexpr std::size_t kBootpFieldCount = static_cast<std::size_t>(BootpField::EdName) + 1;

class BootpUi {
public:
    virtual ~BootpUi() = default;
    // The logic changed a field's text.
    virtual void ShowField(BootpField /*field*/, const std::string& /*text*/) {}
    virtual void ShowArmed(bool /*checkIP*/, bool /*checkIP1*/) {}
    virtual void AddLogLine(const std::string& /*line*/) {}
    virtual void ClearLog() {}
    virtual void SetPingButtonEnabled(bool /*enabled*/) {}
    virtual void ShowMessage(const std::string& /*text*/, const std::string& /*caption*/) {}
    virtual void ProcessMessages() {}
    // Panel 0 of the main window's status line.
    virtual void SetStationStatus(const std::string& /*text*/) {}
    virtual void ShowHelpPage(int /*page*/) {}
};

class BootpServer {
public:
    static constexpr int kHelpPage = 9;

    // settingsFile is the automatic save written at close; empty means no save.
    BootpServer(StationModel& model, ControllerAccess& access, ConnectionOpener& opener, Pinger& pinger,
                BootpSender& sender, BootpUi& ui, std::filesystem::path settingsFile = {});

    void SetUi(BootpUi& ui) { ui_ = &ui; }

    // Window events. Every activation loads the fields from the coupler the window
    // edits from then on: the current module when it is a coupler, else the coupler
    // of the current station (the one last left-clicked).
    void FormActivate();
    void FormClose();
    void UDPServer67UDPRead(std::span<const std::uint8_t> datagram);
    // A field's text changed, typed or set; the mirroring and storing follow.
    void FieldChanged(BootpField field, const std::string& text);
    void CheckIPClick(bool checked);
    void CheckIP1Click(bool checked);
    void Button1Click();  // "clear box"
    void BuPingClick();   // "connection check" of the current address
    void Button2Click();  // "Ping" of the present address
    // "restart": restarts the coupler at its present address and answers its next
    // request with the new address; the log says whether the command went out, and
    // why not. Returns whether the coupler took the command.
    bool Button3Click();
    void BitBtn1Click();  // "?"

    const std::string& Field(BootpField field) const { return fields_[Index(field)]; }
    bool CheckIP() const { return checkIP_; }
    bool CheckIP1() const { return checkIP1_; }
    bool Armed() const { return checkIP_ || checkIP1_; }
    bool RestartMode() const { return restartMode_; }
    std::int32_t RequestCounter() const { return requestCounter_; }
    // The slot of the coupler whose settings the fields show; 0 for none.
    int EditedCoupler() const { return edited_; }
    int RepliesSent() const { return repliesSent_; }

private:
    static std::size_t Index(BootpField field) { return static_cast<std::size_t>(field); }
    void SetField(BootpField field, const std::string& text);
    void Store(std::string TModul::*member, const std::string& value);
    void MirrorShared(std::string& shared, BootpField mirror, const std::string& text,
                      std::string TModul::*member);
    void LoadFields();
    void SendReply();
    void AfterReply(const std::string& sentAddress);
    void SetArmed(bool checkIP, bool checkIP1);
    void ConnectionCheck(const std::string& host);
    void Log(const std::string& line) { ui_->AddLogLine(line); }

    StationModel& model_;
    ControllerAccess& access_;
    ConnectionOpener& opener_;
    Pinger& pinger_;
    BootpSender& sender_;
    BootpUi* ui_;
    std::filesystem::path settingsFile_;

    std::array<std::string, kBootpFieldCount> fields_{};
    bool checkIP_ = false;
    bool checkIP1_ = false;
    int edited_ = 0;
    bool serving_ = false;
    bool restartMode_ = false;
    std::int32_t requestCounter_ = 0;
    int repliesSent_ = 0;
    BootpBuffer buffer_{};
};

}  // namespace korvo
