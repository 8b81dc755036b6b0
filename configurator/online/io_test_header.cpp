#include "online/io_test_header.h"

#include "access/coupler_diagnosis.h"
#include "online/online_operation.h"
#include "station/station_model.h"

namespace korvo {

std::string CouplerStateText(const CouplerState& s) {
    std::string text;
    const auto add = [&text](bool on, const char* word) {
        if (on) text += text.empty() ? word : std::string(", ") + word;
    };
    add(s.ready, "ready");
    add(s.activ, "activ");
    add(s.run, "run");
    add(s.submodulFail, "submodul fail");
    add(s.busFail, "bus fail");
    add(s.userFail, "user fail");
    add(s.controllerFail, "controller fail");
    add(s.warning, "warning");
    add(s.plugPlayActive, "Plug  Play aktiv");
    return text.empty() ? "no state bit set" : text;
}

std::string CheckResultText(const OnlineOperation& online, const StationModel& model, bool passed) {
    if (passed) return "station OK";
    // Without the coupler's list there was nothing to compare.
    if (!online.BusConfigRead) return "not done: no module list from the coupler";
    const int project = online.CountStationModules(model.CurrentStation);
    if (online.BusConfigCount != project) {
        return "station is different number of moduls (coupler " + std::to_string(online.BusConfigCount) +
               ", project " + std::to_string(project) + ")";
    }
    return "station is different";
}

RecordHeader MakeRecordHeader(const StationModel& model, const std::string& project, const std::string& check,
                              const std::string& state) {
    RecordHeader header;
    header.project = project;
    header.station = model.CurrentStation;
    if (const TModul* coupler = model.Module(model.CurrentCouplerModule)) header.stationName = coupler->StationName;
    header.couplerAddress = model.CurrentIP;
    header.configurationCheck = check;
    header.stateRegister = state;
    return header;
}

}  // namespace korvo
