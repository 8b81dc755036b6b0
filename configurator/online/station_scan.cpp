#include "station_scan.h"

#include "access/call_failure.h"
#include "access/ddi_funktionen.h"
#include "online/configuration_rows.h"
#include "station/station_model.h"

#include <quorrin.h>

#include <algorithm>

namespace korvo {

namespace {

constexpr std::uint16_t kListConfirmation = 0x830B;
constexpr std::size_t kCountWord = 7;
constexpr std::size_t kFirstEntryWord = 9;
constexpr int kMaxBusModules = 100;

std::string Joined(const std::vector<std::string>& items, const std::string& separator) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
    return text;
}

}  // namespace

std::string ScannedModule::Text() const {
    return types.empty() ? UnknownModuleText(idCode, lengthCode) : Joined(types, " or ");
}

bool StationScan::AllNamed() const {
    return std::all_of(modules.begin(), modules.end(), [](const ScannedModule& m) { return m.Named(); });
}

std::vector<TAlleModule> StationScan::BusList() const {
    std::vector<TAlleModule> list;
    for (const ScannedModule& m : modules) {
        TAlleModule entry{"", m.idCode, m.lengthCode};
        for (const std::string& type : m.types) entry.name += type + "  ";
        list.push_back(std::move(entry));
    }
    return list;
}

std::string StationScan::TypeSummary() const {
    std::vector<std::pair<std::string, int>> counts;
    for (const ScannedModule& m : modules) {
        const std::string text = m.Text();
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == text; });
        if (it == counts.end()) {
            counts.emplace_back(text, 1);
        } else {
            ++it->second;
        }
    }
    std::vector<std::string> parts;
    for (const auto& [text, count] : counts) parts.push_back(count > 1 ? std::to_string(count) + " \xD7 " + text : text);
    return Joined(parts, ", ");
}

std::optional<std::string> ReadBusList(ControllerAccess& access, const CatalogueList& catalogue,
                                       std::vector<ScannedModule>& modules) {
    modules.clear();
    access.MailboxBuffer.fill(0);
    std::uint32_t result = access.SendCommand(CmdReadConfiguration, access.MailboxNode);
    if (result == DDI_OK) result = access.ConfirmCommand(kListConfirmation, access.MailboxNode);
    if (result != DDI_OK) return CallFailureReason(result);
    if (access.MailboxBuffer[0] != kListConfirmation) return std::string("the coupler sent no list");
    const int n = std::min<int>(access.MailboxBuffer[kCountWord], kMaxBusModules);
    for (int e = 0; e < n; ++e) {
        const std::uint16_t w = access.MailboxBuffer[kFirstEntryWord + 2 * static_cast<std::size_t>(e)];
        ScannedModule m;
        m.slot = e + 1;
        m.idCode = static_cast<std::uint8_t>(w & 0xFF);
        m.lengthCode = static_cast<std::uint8_t>(w >> 8);
        for (int t = 1; t < catalogue.CatalogueTypeCount; ++t) {
            const TAlleModule& type = catalogue.CatalogueTypes[static_cast<std::size_t>(t)];
            if (type.idCode == m.idCode && type.lengthCode == m.lengthCode) m.types.push_back(type.name);
        }
        modules.push_back(std::move(m));
    }
    return std::nullopt;
}

StationScan ScanStation(const std::string& address, const CatalogueList& catalogue, Pinger* pinger) {
    StationScan scan;
    scan.address = address;
    if (pinger != nullptr) {
        const EchoResult echo = pinger->Ping(address);
        if (!echo.sent || echo.reply.bytes == 0) {
            scan.failure = echo.sent ? "no answer to ping from " + address + " within " +
                                           std::to_string(kEchoTimeoutMs) + " ms"
                                     : echo.error;
            return scan;
        }
    }
    std::string ip = address;
    ControllerAccess access(ip);
    const std::uint32_t opened = access.OpenNodePair();
    if (opened != DDI_OK) {
        scan.failure = "the nodes could not be opened: " + CallFailureReason(opened);
        access.CloseNodePair();
        return scan;
    }
    scan.connected = true;
    if (const auto why = ReadBusList(access, catalogue, scan.modules)) {
        scan.failure = "no bus configuration list: " + *why;
    } else {
        scan.listRead = true;
        std::uint16_t reg = 0;
        const std::uint32_t read = access.ReadStatusRegister(reg);
        scan.stateRead = read == DDI_OK;
        if (scan.stateRead) {
            scan.state = CouplerState::FromRegister(reg);
        } else {
            scan.failure = "reading the diagnosis register failed: " + CallFailureReason(read);
        }
    }
    access.CloseNodePair();
    return scan;
}

ScannedTypes TypesOfScan(const StationScan& scan, const SlotChoices& choices) {
    ScannedTypes result;
    for (const auto& [slot, type] : choices) {
        if (slot < 1 || slot > static_cast<int>(scan.modules.size())) {
            result.problems.push_back("--choose " + std::to_string(slot) + "=" + type + ": the coupler reports " +
                                      std::to_string(scan.modules.size()) + " module(s)");
        }
    }
    for (const ScannedModule& m : scan.modules) {
        const std::string where = "slot " + std::to_string(m.slot) + ": ";
        const auto chosen = choices.find(m.slot);
        if (m.types.empty()) {
            result.problems.push_back(where + m.Text() + ", which no catalogue type names");
        } else if (chosen != choices.end()) {
            if (std::find(m.types.begin(), m.types.end(), chosen->second) == m.types.end()) {
                result.problems.push_back(where + "\"" + chosen->second + "\" is not one of " + m.Text());
            } else {
                result.types.push_back(chosen->second);
            }
        } else if (m.Ambiguous()) {
            result.problems.push_back(where + m.Text() + " share the codes; choose one (--choose " +
                                      std::to_string(m.slot) + "=TYPE)");
        } else {
            result.types.push_back(m.types.front());
        }
    }
    return result;
}

namespace {

// Appends a module as placing it does: catalogue data, then the defaults of its dialog.
void AppendNew(StationModel& model, const std::string& type) {
    model.AppendModule(type);
    model.InitNewModule(type, model.ModuleCount);
}

}  // namespace

std::optional<int> AppendScannedStation(StationModel& model, const std::string& address,
                                        const std::string& stationName, const std::vector<std::string>& types) {
    if (model.ModuleCount + 1 + static_cast<int>(types.size()) > StationModel::kMaxModules) return std::nullopt;
    const int couplerSlot = model.ModuleCount + 1;
    AppendNew(model, kCouplerType);
    for (const std::string& type : types) AppendNew(model, type);
    model.Renumber();
    TModul& coupler = *model.Module(couplerSlot);
    coupler.IPAddress = address;
    coupler.Subnet_Maske = "255.255.255.0";
    coupler.Gate_way = "0.0.0.0";
    coupler.MACAddress = "0.0.0.0";
    coupler.StationName = stationName.empty() ? "Station" + std::to_string(coupler.StationsNummmer) : stationName;
    return coupler.StationsNummmer;
}

bool ReplaceStationModules(StationModel& model, int station, const std::vector<std::string>& types) {
    int couplerSlot = 0;
    for (int i = 1; i <= model.ModuleCount && couplerSlot == 0; ++i) {
        const TModul* m = model.Module(i);
        if (m != nullptr && m->IsCoupler() && m->StationsNummmer == station) couplerSlot = i;
    }
    if (couplerSlot == 0) return false;
    int end = couplerSlot + 1;
    while (end <= model.ModuleCount && !model.Module(end)->IsCoupler()) ++end;
    const bool last = end > model.ModuleCount;
    const int kept = model.ModuleCount - (end - couplerSlot - 1);
    // Placing inside the list takes one slot more for a moment, as placing by hand does.
    if (kept + static_cast<int>(types.size()) + (last ? 0 : 1) > StationModel::kMaxModules) return false;
    for (int slot = end - 1; slot > couplerSlot; --slot) model.DeleteModule(slot);
    int position = couplerSlot;
    for (const std::string& type : types) {
        if (last) {
            AppendNew(model, type);
        } else {
            model.AppendModule(type);
            AppendNew(model, type);
            model.MoveNewModule(position, true);
        }
        ++position;
    }
    model.Renumber();
    return true;
}

std::unique_ptr<StationModel> CopyStations(const StationModel& model) {
    auto copy = std::make_unique<StationModel>(model.Catalogue(), model.ProgramFolder());
    for (int i = 1; i <= model.ModuleCount; ++i) {
        const TModul* m = model.Module(i);
        if (m == nullptr) continue;
        copy->AppendModule(m->ModulType);
        TModul& c = *copy->Module(copy->ModuleCount);
        c.Parameter = m->Parameter;
        c.ParameterComment = m->ParameterComment;
        c.IPAddress = m->IPAddress;
        c.Subnet_Maske = m->Subnet_Maske;
        c.Gate_way = m->Gate_way;
        c.MACAddress = m->MACAddress;
        c.StationName = m->StationName;
    }
    copy->Renumber();
    return copy;
}

}  // namespace korvo
