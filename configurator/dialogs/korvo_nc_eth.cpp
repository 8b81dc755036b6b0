#include "korvo_nc_eth.h"

#include "tools/pinger.h"
#include "../docs/plc_names.h"
#include "../station/dotted_address.h"
#include "../station/station_model.h"
#include "../station/versch.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace korvo {

namespace {

constexpr int kGroups = 4;
constexpr const char* kFieldLabels[] = {"IP address", "Subnet mask", "gateway"};

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The dotted groups of a text; "1..3" gives "1", "", "3".
std::vector<std::string> Groups(const std::string& text) {
    std::vector<std::string> groups(1);
    for (char c : text) {
        if (c == '.')
            groups.emplace_back();
        else
            groups.back() += c;
    }
    return groups;
}

}  // namespace

AddressCheck CheckAddressField(const std::string& fieldText, const std::string& label) {
    AddressCheck check;
    std::string text = fieldText;
    RemoveBlanks(text);
    if (text.find_first_not_of('.') == std::string::npos) return check;
    check.address = text;
    const std::vector<std::string> groups = Groups(text);
    for (const std::string& group : groups) {
        if (group.empty()) continue;
        if (!AllDigits(group)) {
            check.problem = label + " " + text + ": \"" + group + "\" is not a number";
            return check;
        }
        if (group.size() > 3 || std::stoi(group) > 255) {
            check.problem = label + " " + text + ": " + group + " is above 255";
            return check;
        }
    }
    if (groups.size() != kGroups ||
        std::any_of(groups.begin(), groups.end(), [](const auto& g) { return g.empty(); })) {
        check.problem = label + " " + text + ": four groups of 0..255 are needed";
    }
    return check;
}

TModul* Korvo_NC_ETH::Coupler(StationModel& model) const {
    TModul* module = model.Module(edited_);
    return module != nullptr && module->IsCoupler() ? module : nullptr;
}

std::optional<CouplerFields> Korvo_NC_ETH::FormActivate(StationModel& model) {
    // Coming back from a click on another module keeps the coupler: its settings must
    // not land in that module or blank the connection state.
    if (const TModul* current = model.Module(model.CurrentModule);
        current != nullptr && current->IsCoupler() && model.CurrentModule != edited_) {
        edited_ = model.CurrentModule;
        // A test of the coupler shown before says nothing about this one.
        ui_.SetStatus("", StatusKind::Failure);
        statusShowsProblem_ = false;
    }
    const TModul* coupler = Coupler(model);
    if (coupler == nullptr) return std::nullopt;
    model.CurrentIP = coupler->IPAddress;
    model.CurrentMask = coupler->Subnet_Maske;
    model.CurrentGateway = coupler->Gate_way;
    model.CurrentStationName = coupler->StationName;
    model.CurrentMAC = coupler->MACAddress;
    return CouplerFields{model.CurrentIP, model.CurrentMask, model.CurrentGateway, model.CurrentStationName};
}

void Korvo_NC_ETH::StationNameChange(StationModel& model, const std::string& text) {
    TModul* coupler = Coupler(model);
    if (coupler == nullptr) return;
    coupler->StationName = text;
    model.CurrentStationName = text;
    nameWarning_ = StationNameWarning(text).value_or("");
    ShowProblems();
}

void Korvo_NC_ETH::AddressChange(StationModel& model, AddressField field, const std::string& fieldText) {
    TModul* coupler = Coupler(model);
    if (coupler == nullptr) return;
    const auto index = static_cast<std::size_t>(field);
    const AddressCheck check = CheckAddressField(fieldText, kFieldLabels[index]);
    problems_[index] = check.problem;
    ShowProblems();
    if (!check.problem.empty()) return;
    switch (field) {
        case AddressField::IPAddress:
            model.CurrentIP = check.address;
            coupler->IPAddress = check.address;
            break;
        case AddressField::SubnetMask:
            model.CurrentMask = check.address;
            coupler->Subnet_Maske = check.address;
            break;
        case AddressField::Gateway:
            model.CurrentGateway = check.address;
            coupler->Gate_way = check.address;
            break;
    }
    warning_ = NetworkSettingsWarning(coupler->IPAddress, coupler->Subnet_Maske, coupler->Gate_way).value_or("");
    ShowProblems();
}

void Korvo_NC_ETH::ShowProblems() {
    for (const std::string& problem : problems_) {
        if (problem.empty()) continue;
        ui_.SetStatus(problem + " - not taken", StatusKind::Failure);
        statusShowsProblem_ = true;
        return;
    }
    for (const std::string* warning : {&warning_, &nameWarning_}) {
        if (warning->empty()) continue;
        ui_.SetStatus(*warning + " - stored as typed", StatusKind::Failure);
        statusShowsProblem_ = true;
        return;
    }
    if (statusShowsProblem_) ui_.SetStatus("", StatusKind::Failure);
    statusShowsProblem_ = false;
}

void Korvo_NC_ETH::BuPingClick(const StationModel& model, const std::string& ipFieldText) {
    ui_.SetPingEnabled(false);
    ui_.SetStatus("", StatusKind::Failure);
    statusShowsProblem_ = false;
    ui_.ProcessMessages();
    // An empty field (only its dots) is no host to look up.
    const std::string host = CheckAddressField(ipFieldText, kFieldLabels[0]).address;
    const EchoResult result = pinger_.Ping(DecimalAddress(host));
    if (result.sent) {
        const bool answered = result.reply.bytes != 0;
        ui_.SetStatus((answered ? kResponse : kNoResponse) + model.CurrentIP,
                      answered ? StatusKind::Success : StatusKind::Failure);
    } else {
        ui_.ShowMessage("ERROR !! check IP settings", "communication error");
    }
    ui_.ProcessMessages();
    ui_.SetPingEnabled(true);
}

void Korvo_NC_ETH::FormClose(StationModel& model) {
    model.Ui().SetStationStatus(model.CurrentStationName + "  IP:" + model.CurrentIP);
}

}  // namespace korvo
