#include "view_clicks.h"

#include "catalogue.h"
#include "station_model.h"

namespace korvo {

namespace {

void ShowNormal(StationModel& model, int slot) {
    if (slot < 1 || slot > model.ModuleCount) return;
    if (const TModul* m = model.Module(slot)) model.Ui().ShowPicture(slot, m->imageFile);
}

}  // namespace

bool RestartItemVisible(const TModul& module) { return module.ModulType == kCouplerType; }

bool SelectForPopup(StationModel& model, int slot) {
    TModul* module = model.Module(slot);
    if (module == nullptr) return false;
    ShowNormal(model, model.CurrentModule);
    model.CurrentModule = slot;
    model.SelectedCoupler = 0;
    if (module->IsCoupler()) {
        model.SelectedCoupler = slot;
        model.CurrentIP = module->IPAddress;
        model.CurrentStationName = module->StationName;
        model.Ui().SetStationStatus(module->StationName + "  IP:" + model.CurrentIP);
    }
    model.Ui().ShowPicture(slot, module->ClickImageFile);
    return RestartItemVisible(*module);
}

std::vector<std::string> SelectModule(StationModel& model, int slot, bool leftButton, bool debugShown) {
    StationUi& ui = model.Ui();
    ui.SetPlacementMode("");
    TModul* module = model.Module(slot);
    if (module == nullptr) return {};
    ShowNormal(model, model.CurrentModule);
    model.CurrentModule = slot;
    ui.ShowPicture(slot, module->ClickImageFile);
    if (!leftButton) return {};

    std::vector<std::string> dump;
    if (debugShown) dump = model.DumpModule(slot);
    model.SelectedCoupler = 0;
    ui.SetPlacementMode(kInsertMode);
    if (module->IsCoupler()) {
        model.SelectedCoupler = slot;
        ui.SetPlacementMode(kAppendMode);
        // The station that is online stays the addressed one until the test stops.
        if (!model.Online) {
            model.CurrentIP = module->IPAddress;
            model.CurrentMask = module->Subnet_Maske;
            model.CurrentMAC = module->MACAddress;
            model.CurrentGateway = module->Gate_way;
            model.CurrentStationName = module->StationName;
            model.CurrentStation = module->StationsNummmer;
            model.CurrentCouplerModule = slot;
            ui.SetStationStatus(StationModel::StationStatusText(*module));
        }
    }
    return dump;
}

void ClickEmptyView(StationModel& model) {
    if (model.SelectedCoupler > 0) model.CurrentModule = model.SelectedCoupler;
    ShowNormal(model, model.CurrentModule);
    model.CurrentModule = 0;
    model.SelectedCoupler = 0;
    model.Ui().SetPlacementMode("");
}

std::optional<bool> ClickLed(TModul& module, int led, bool lit) {
    if (led < 1 || led > TModul::kLedCount) return std::nullopt;
    if (module.ModulType.find(kDigitalOutputFamily) == std::string::npos) return std::nullopt;
    const std::uint16_t weight = module.LedWeight[static_cast<std::size_t>(led)];
    if (lit) module.BitValue -= weight;
    else module.BitValue += weight;
    module.OutputData = OutputBytesText(module.BitValue);
    return !lit;
}

std::string OutputBytesText(std::uint32_t value) {
    return std::to_string((value >> 24) & 0xFF) + "," + std::to_string((value >> 16) & 0xFF) + "," +
           std::to_string((value >> 8) & 0xFF) + "," + std::to_string(value & 0xFF);
}

}  // namespace korvo
