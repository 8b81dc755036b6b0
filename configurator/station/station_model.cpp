#include "station_model.h"

#include "catalogue.h"
#include "property_call.h"
#include "versch.h"

#include <algorithm>

namespace korvo {

namespace {

bool IsCouplerType(const std::string& type) {
    return type == kCouplerType;
}

std::uint8_t Byte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

std::string StationFullMessage() {
    return "The station list is full: it holds at most " + std::to_string(StationModel::kMaxModules) +
           " modules, and inserting a module needs two free places. Delete modules first.";
}

StationModel::StationModel(const ProfileFile* catalogueIni, std::string programFolder, StationUi* ui)
    : catalogue_(catalogueIni), programFolder_(std::move(programFolder)), ui_(ui ? ui : &defaultUi_) {}

StationModel::~StationModel() = default;

void StationModel::SetUi(StationUi* ui) {
    ui_ = ui ? ui : &defaultUi_;
}

std::string StationModel::StationStatusText(const TModul& coupler) {
    return coupler.StationName + "  IP:" + coupler.IPAddress;
}

void StationModel::ShowNormalPicture(int slot) {
    if (const TModul* m = Module(slot)) ui_->ShowPicture(slot, m->imageFile);
}

void StationModel::ShowClickPicture(int slot) {
    if (const TModul* m = Module(slot)) ui_->ShowPicture(slot, m->ClickImageFile);
}

int StationModel::CouplerCount() const {
    int count = 0;
    for (int i = 1; i <= ModuleCount; ++i) {
        if (const TModul* m = Module(i); m && IsCouplerType(m->ModulType)) ++count;
    }
    return count;
}

std::optional<std::string> StationModel::CreateModule(int slot, const std::string& typeName, bool visible) {
    if (slot < 1 || slot > kMaxModules || slots_[static_cast<std::size_t>(slot)]) return std::nullopt;
    slots_[static_cast<std::size_t>(slot)] = std::make_unique<TModul>();
    TModul& module = *slots_[static_cast<std::size_t>(slot)];
    module.BitValue = 0;
    module.Nummer = slot;
    ui_->ModuleCreated(slot, module, visible);

    std::optional<std::string> error;
    try {
        error = LoadCatalogueData(typeName, slot);
    } catch (const ConversionError& e) {
        error = e.what();
    }
    BindExchangeMethods(slot);
    ui_->LayoutLeds(slot);

    if (SelectedCoupler > 0 && SelectedCoupler == slot) {
        ShowClickPicture(slot);
        CurrentModule = SelectedCoupler;
    } else {
        ShowNormalPicture(slot);
    }
    return error;
}

bool StationModel::AppendModule(const std::string& typeName, std::optional<std::string>* error) {
    if (ModuleCount >= kMaxModules) return false;
    ++ModuleCount;
    auto result = CreateModule(ModuleCount, typeName, true);
    if (error && result) *error = std::move(result);
    if (arrangeHolds_ > 0) {
        arrangePending_ = true;
    } else {
        ui_->ArrangeModules(ModuleCount);
    }
    return true;
}

StationModel::ArrangeHold::~ArrangeHold() {
    if (--model_.arrangeHolds_ > 0) return;
    if (model_.arrangePending_) {
        model_.arrangePending_ = false;
        model_.ui_->ArrangeModules(model_.ModuleCount);
    }
    model_.ui_->BulkCreation(false);
}

std::optional<std::string> StationModel::LoadCatalogueData(const std::string& typeName, int slot) {
    TModul* m = Module(slot);
    if (m == nullptr) return std::nullopt;
    const auto readInt = [&](const char* key) {
        return catalogue_ ? catalogue_->ReadInteger(typeName, key, 0) : 0;
    };
    // Counts outside what a module can have would break the station's byte
    // totals and addresses: they are reported and taken as 0.
    std::string outOfRange;
    const auto readCount = [&](const char* key, int max) {
        const int value = readInt(key);
        if (value >= 0 && value <= max) return value;
        outOfRange += std::string(outOfRange.empty() ? "" : "; ") + "the catalogue gives \"" + key + "\" = " +
                      std::to_string(value) + " for type \"" + typeName + "\", outside 0.." + std::to_string(max) +
                      "; 0 is used";
        return 0;
    };
    const auto readText = [&](const char* key, const char* def) {
        return catalogue_ ? catalogue_->ReadString(typeName, key, def) : std::string(def);
    };

    m->ModulType = typeName;
    m->id_code = Byte(readInt("id_code"));
    m->lenght_code = Byte(readInt("lenght_code"));
    m->Input = readCount("in", kMaxModuleBytes);
    if (!IsCouplerType(typeName)) {
        m->ModulZuStations = StationCount;
    } else {
        InputTotal = 0;
        OutputTotal = 0;
        ++StationCount;
        m->StationsNummmer = StationCount;
        if (m->StationName.empty()) m->StationName = "Station" + std::to_string(StationCount);
    }
    if (typeName == kPowerFeedType) m->ModulZuStations = kPowerFeedLink;
    InputTotal += m->Input;
    m->ByteOffsetInput = InputTotal;
    m->output = readCount("out", kMaxModuleBytes);
    OutputTotal += m->output;
    m->tag_anzahl_input = readCount("Tag Anzahl Input", kMaxModuleCount);
    m->tag_anzahl_output = readCount("Tag Anzahl Output", kMaxModuleCount);
    m->Parameter_input = readCount("Parameter Input", kMaxModuleCount);
    m->Parameter_output = readCount("Parameter Output", kMaxModuleCount);
    m->ByteOffsetOutput = OutputTotal;
    m->ReadMethode = readInt("ReadMethode");
    m->WriteMethode = readInt("WriteMethode");
    m->slots = Byte(readCount("slots", kMaxModuleSlots));
    const std::string image = readText("image", "");
    m->imageFile = programFolder_ + image + ".bmp";
    m->ClickImageFile = programFolder_ + image + "Click.bmp";

    std::string pattern = readText("LedMuster", "0,0,0,0,0,0,0,0,");
    std::string item;
    for (int led = 1; led <= TModul::kLedCount; ++led) {
        NextItemTrimmed(pattern, ',', item);
        m->LedWeight[static_cast<std::size_t>(led)] = static_cast<std::uint16_t>(StrToInt(item));
    }
    m->breite = m->slots * 30;
    if (outOfRange.empty()) return std::nullopt;
    return outOfRange;
}

void StationModel::BindExchangeMethods(int slot) {
    TModul* m = Module(slot);
    if (m == nullptr) return;
    switch (m->ReadMethode) {
        case 1: m->ReadProc = ReadProcKind::Method1; break;
        case 3: m->ReadProc = ReadProcKind::Method3; break;
        default: m->ReadProc = ReadProcKind::None; break;
    }
    switch (m->WriteMethode) {
        case 1: m->WriteProc = WriteProcKind::Method1; break;
        case 2: m->WriteProc = WriteProcKind::Method2; break;
        case 3: m->WriteProc = WriteProcKind::Method3; break;
        case 4: m->WriteProc = WriteProcKind::Method4; break;
        case 5: m->WriteProc = WriteProcKind::Method5; break;
        default: m->WriteProc = WriteProcKind::None; break;
    }
}

void StationModel::Renumber() {
    InputTotal = 0;
    OutputTotal = 0;
    int station = 0;
    for (int j = 1; j <= ModuleCount; ++j) {
        TModul* m = Module(j);
        if (m == nullptr) continue;
        if (!IsCouplerType(m->ModulType)) {
            m->ModulZuStations = station;
        } else {
            ++station;
            m->StationsNummmer = station;
            m->ModulZuStations = 0;
            InputTotal = 0;
            OutputTotal = 0;
        }
        if (m->ModulType == kPowerFeedType) m->ModulZuStations = kPowerFeedLink;
        InputTotal += m->Input;
        m->ByteOffsetInput = InputTotal;
        OutputTotal += m->output;
        m->ByteOffsetOutput = OutputTotal;
        m->Nummer = j;
    }
    // Keep the coupler count exact, so a coupler placed next gets its real number
    // and default name even after insertions and deletions.
    StationCount = station;
}

bool StationModel::PlaceModule(const std::string& typeName) {
    ui_->ResetZoom();
    ui_->ScrollToOrigin();
    if (typeName == kSeparatorLine) return false;

    std::optional<std::string> error;
    const auto reportError = [&] {
        if (error) ui_->ShowMessage(*error, "Korvo Configurator");
    };
    const auto refuseFull = [&] {
        ui_->ShowMessage(StationFullMessage(), " place module");
        return false;
    };

    if (CurrentModule > 0) {
        bool after = false;
        if (Module(CurrentModule) == nullptr) {
            if (ModuleCount >= kMaxModules) return refuseFull();
            AppendModule(typeName, &error);
            InitNewModule(typeName, ModuleCount);
        } else {
            const bool currentIsCoupler = Module(CurrentModule)->IsCoupler();
            if (!IsCouplerType(typeName) && currentIsCoupler) {
                FindStationEnd(SelectedCoupler);
                after = true;
            }
            if (IsCouplerType(typeName)) {
                if (currentIsCoupler) CurrentModule = SelectedCoupler;
                after = false;
            }
            if (typeName == kPassiveRowBreakType) after = false;
            if (CurrentModule < 1 && SelectedCoupler < 1) return false;
            if (Module(CurrentModule) == nullptr) return false;
            if (ModuleCount + 2 > kMaxModules) return refuseFull();
            AppendModule(typeName, &error);
            std::optional<std::string> secondError;
            AppendModule(typeName, &secondError);
            InitNewModule(typeName, ModuleCount);
            MoveNewModule(CurrentModule, after);
            ui_->ArrangeModules(ModuleCount);
        }
        if (const TModul* m = Module(CurrentModule); m == nullptr || !m->IsCoupler()) CurrentModule = 0;
        if (SelectedCoupler > 0) {
            ShowClickPicture(SelectedCoupler);
            CurrentModule = SelectedCoupler;
        }
    } else {
        if (ModuleCount >= kMaxModules) return refuseFull();
        AppendModule(typeName, &error);
        CurrentModule = 0;
        InitNewModule(typeName, ModuleCount);
    }
    ui_->ScrollToEnd();
    reportError();
    ui_->StationChanged();
    return true;
}

void StationModel::FindStationEnd(int slot) {
    CurrentModule = slot;
    const TModul* coupler = Module(SelectedCoupler);
    if (coupler == nullptr) return;
    const int station = coupler->StationsNummmer;
    for (int i = 1; i <= ModuleCount; ++i) {
        if (const TModul* m = Module(i); m && m->ModulZuStations == station) CurrentModule = i;
    }
}

void StationModel::MoveNewModule(int position, bool after) {
    const int n = ModuleCount;
    if (position < 1 || n < 2 || position > n - 1) return;
    for (int i = 1; i <= n - position - 1; ++i) CopyModule(n - i, n - i - 1);
    CopyModule(after ? position + 1 : position, n);
    if (TModul* last = Module(n)) ui_->ModuleRemoved(*last);
    slots_[static_cast<std::size_t>(n)].reset();
    --ModuleCount;
    Renumber();
    RefreshModules();
}

void StationModel::CopyModule(int destination, int source) {
    TModul* d = Module(destination);
    const TModul* s = Module(source);
    if (d == nullptr || s == nullptr || d == s) return;
    d->LedWeight = s->LedWeight;
    d->ModulType = s->ModulType;
    d->BitValue = s->BitValue;
    d->breite = s->breite;
    d->slots = s->slots;
    d->id_code = s->id_code;
    d->lenght_code = s->lenght_code;
    d->Input = s->Input;
    d->output = s->output;
    d->InputData = s->InputData;
    d->OutputData = s->OutputData;
    d->tag_anzahl_input = s->tag_anzahl_input;
    d->tag_anzahl_output = s->tag_anzahl_output;
    d->Parameter_input = s->Parameter_input;
    d->Parameter_output = s->Parameter_output;
    d->StationsNummmer = s->StationsNummmer;
    d->ModulZuStations = s->ModulZuStations;
    d->Parameter = s->Parameter;
    d->ParameterComment = s->ParameterComment;
    d->IPAddress = s->IPAddress;
    d->Subnet_Maske = s->Subnet_Maske;
    d->Gate_way = s->Gate_way;
    d->MACAddress = s->MACAddress;
    d->StationName = s->StationName;
    d->ReadMethode = s->ReadMethode;
    d->WriteMethode = s->WriteMethode;
    d->imageFile = s->imageFile;
    d->ClickImageFile = s->ClickImageFile;
    d->DialogState = s->DialogState;
}

void StationModel::RefreshModules() {
    for (int i = 1; i <= ModuleCount; ++i) {
        if (Module(i) == nullptr) continue;
        BindExchangeMethods(i);
        ui_->LayoutLeds(i);
        ShowNormalPicture(i);
    }
}

void StationModel::DeleteCurrent() {
    if (Online || CurrentModule < 1 || CurrentModule > ModuleCount) return;
    TModul* current = Module(CurrentModule);
    if (current == nullptr) return;
    ui_->ResetZoom();
    ui_->ScrollToOrigin();
    if (!current->IsCoupler()) {
        DeleteModule(CurrentModule);
        ui_->ArrangeModules(ModuleCount);
    } else {
        if (!ui_->AskYesNo("delete the complete station ? ", " delete station")) return;
        // The question was about the coupler the user sees current; delete that station
        // even when the selection was not set by a click (e.g. right after loading).
        SelectedCoupler = CurrentModule;
        DeleteStation();
    }
    CurrentModule = 0;
    ui_->StationChanged();
}

bool StationModel::MoveModule(int from, int to) {
    const TModul* moved = Module(from);
    const TModul* target = Module(to);
    if (Online || moved == nullptr || target == nullptr || from == to || from > ModuleCount || to > ModuleCount ||
        moved->IsCoupler() || target->IsCoupler()) {
        return false;
    }
    // Every module from one to the other must lie behind the same coupler; power feeds
    // carry no station link, so the coupler in front decides.
    const auto couplerOf = [this](int slot) {
        while (slot > 0 && !Module(slot)->IsCoupler()) --slot;
        return slot;
    };
    if (couplerOf(from) != couplerOf(to)) return false;
    ShowNormalPicture(CurrentModule);
    const int step = to > from ? 1 : -1;
    for (int i = from; i != to; i += step) {
        std::swap(slots_[static_cast<std::size_t>(i)], slots_[static_cast<std::size_t>(i + step)]);
    }
    for (int i = std::min(from, to); i <= std::max(from, to); ++i) {
        if (TModul* m = Module(i)) {
            m->Nummer = i;
            ui_->ModuleMoved(i, *m);
        }
    }
    Renumber();
    ui_->RenameLeds(std::min(from, to), std::max(from, to));
    CurrentModule = to;
    SelectedCoupler = 0;
    ShowClickPicture(to);
    ui_->SetPlacementMode("Insert/Delete");
    ui_->ArrangeModules(ModuleCount);
    ui_->StationChanged();
    return true;
}

void StationModel::DeleteModule(int k) {
    if (k < 1 || k > ModuleCount || Module(k) == nullptr) return;
    ui_->ModuleRemoved(*Module(k));
    slots_[static_cast<std::size_t>(k)].reset();
    for (int i = k; i < ModuleCount; ++i) {
        slots_[static_cast<std::size_t>(i)] = std::move(slots_[static_cast<std::size_t>(i + 1)]);
        if (TModul* moved = Module(i)) {
            moved->Nummer = i;
            ui_->ModuleMoved(i, *moved);
        }
    }
    slots_[static_cast<std::size_t>(ModuleCount)].reset();
    --ModuleCount;
    Renumber();
    ui_->RenameLeds(k, ModuleCount);
    ui_->ArrangeModules(ModuleCount);
}

void StationModel::DeleteStation() {
    const TModul* coupler = Module(SelectedCoupler);
    if (coupler == nullptr || !coupler->IsCoupler()) return;
    const int station = coupler->StationsNummmer;
    int slot = 1;
    while (slot <= ModuleCount) {
        const TModul* m = Module(slot);
        if (m != nullptr && m->ModulZuStations == station && !m->IsCoupler()) {
            if (slot < SelectedCoupler) --SelectedCoupler;
            DeleteModule(slot);
            ui_->ArrangeModules(ModuleCount);
        } else {
            ++slot;
        }
    }
    DeleteModule(SelectedCoupler);
    SelectedCoupler = 0;
    if (ModuleCount == 0) StationCount = 0;
}

void StationModel::ClearStation() {
    InputTotal = 0;
    OutputTotal = 0;
    for (int i = 1; i <= ModuleCount; ++i) {
        if (TModul* m = Module(i)) ui_->ModuleRemoved(*m);
        slots_[static_cast<std::size_t>(i)].reset();
    }
    ModuleCount = 0;
    StationCount = 0;
}

void StationModel::InitNewModule(const std::string& typeName, int slot) {
    if (TModul* m = Module(slot)) SetDefaultParameters(typeName, *m);
}

std::vector<std::string> StationModel::DumpModule(int slot) const {
    const TModul* m = Module(slot);
    if (m == nullptr) return {};
    const auto n = [](long value) { return std::to_string(value); };
    return {
        "ModulType        : " + m->ModulType,
        "BitValue         : " + n(m->BitValue),
        "breite           : " + n(m->breite),
        "slots            : " + n(m->slots),
        "id_code          : " + n(m->id_code),
        "lenght_code      : " + n(m->lenght_code),
        "Input            : " + n(m->Input),
        "output           : " + n(m->output),
        "ByteOffsetInput  : " + n(m->ByteOffsetInput),
        "ByteOffsetOutput : " + n(m->ByteOffsetOutput),
        "Nummer           : " + n(m->Nummer),
        "StationsNummmer  : " + n(m->StationsNummmer),
        "ModulZuStations  : " + n(m->ModulZuStations),
        "IPAddress        : " + m->IPAddress,
        "Subnet_Maske     : " + m->Subnet_Maske,
        "Gate_way         : " + m->Gate_way,
        "MACAddress       : " + m->MACAddress,
        "StationName      : " + m->StationName,
        "InputData        : " + m->InputData,
        "OutputData       : " + m->OutputData,
        "tag_anzahl_input : " + n(m->tag_anzahl_input),
        "tag_anzahl_output: " + n(m->tag_anzahl_output),
        "Parameter_input  : " + n(m->Parameter_input),
        "Parameter_output : " + n(m->Parameter_output),
        "Parameter        : " + m->Parameter,
        "ParameterComment : " + m->ParameterComment[1],
        "ReadMethode      : " + n(m->ReadMethode),
        "WriteMethode     : " + n(m->WriteMethode),
        "imageFile        : " + m->imageFile,
    };
}

}  // namespace korvo
