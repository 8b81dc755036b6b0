#pragma once
// Logic of the bus coupler's properties window: station name and network settings of
// the coupler, kept in the module record and in the station's connection state as
// they are typed, the connection test by ICMP echo, and the save when it closes.

#include "station/status_kind.h"

#include <array>
#include <optional>
#include <string>

namespace korvo {

class Pinger;
class StationModel;
struct TModul;

// The three masked address fields, in the order the window fills them.
enum class AddressField { IPAddress, SubnetMask, Gateway };

// A masked address field's text with its blanks removed, or why it is not an address.
struct AddressCheck {
    std::string address;  // empty for a field with no digits at all
    std::string problem;  // empty when the text is a dotted address or empty
};

// fieldText as the masked field holds it, e.g. "192.168.  0.  1"; label names the
// field in the problem text.
AddressCheck CheckAddressField(const std::string& fieldText, const std::string& label);

// What the logic asks of the window.
class CouplerUi {
public:
    virtual ~CouplerUi() = default;
    // The status line: red for a failure, the window's text colour for a response.
    virtual void SetStatus(const std::string& text, StatusKind kind) = 0;
    virtual void SetPingEnabled(bool enabled) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    virtual void ProcessMessages() = 0;
};

// The texts the window puts into its fields when it is activated.
struct CouplerFields {
    std::string ipAddress;
    std::string subnetMask;
    std::string gateway;
    std::string stationName;
};

class Korvo_NC_ETH {
public:
    static constexpr const char* kResponse = "  Response from: ";
    static constexpr const char* kNoResponse = " NO Response from: ";

    Korvo_NC_ETH(Pinger& pinger, CouplerUi& ui) : pinger_(pinger), ui_(ui) {}

    // Every activation: takes the current coupler's settings into the connection
    // state and returns what the fields show. Nothing when no coupler is to be edited.
    std::optional<CouplerFields> FormActivate(StationModel& model);
    void StationNameChange(StationModel& model, const std::string& text);
    void AddressChange(StationModel& model, AddressField field, const std::string& fieldText);
    // "connection test" with the text of the IP address field; the status of an
    // earlier test or field goes when it starts.
    void BuPingClick(const StationModel& model, const std::string& ipFieldText);
    // Shows the station in the main window's status bar; the window then saves
    // "korvo.ini".
    void FormClose(StationModel& model);

    int EditedCoupler() const { return edited_; }

private:
    TModul* Coupler(StationModel& model) const;
    void ShowProblems();

    Pinger& pinger_;
    CouplerUi& ui_;
    int edited_ = 0;
    std::array<std::string, 3> problems_{};
    // Settings that are taken but doubtful (a broken mask, a gateway elsewhere, a
    // station name that breaks tag names).
    std::string warning_;
    std::string nameWarning_;
    bool statusShowsProblem_ = false;
};

}  // namespace korvo
