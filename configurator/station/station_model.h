#pragma once
// The station list: all placed modules of all stations in one list of 161 slots,
// their numbering, station links and process-image offsets, and the operations that
// place, move and delete modules.

#include "module.h"
#include "profile_file.h"
#include "station_ui.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

// What the documents' title blocks say about the project; stored in the project file's
// [Project] section, which readers that do not know it ignore.
struct ProjectProperties {
    std::string Name;
    std::string Description;
    std::string Customer;
    std::string Tester;

    bool operator==(const ProjectProperties&) const = default;
};

class StationModel {
public:
    static constexpr int kMaxModules = 161;
    // Largest catalogue values a module type may give: bytes per image, tags
    // or parameters per direction, slots of its picture.
    static constexpr int kMaxModuleBytes = 512;
    static constexpr int kMaxModuleCount = 32;
    static constexpr int kMaxModuleSlots = 16;
    static constexpr int kPowerFeedLink = 999;

    // catalogueIni may be null (no catalogue: every module gets the defaults);
    // programFolder ends with a path separator; ui may be null.
    StationModel(const ProfileFile* catalogueIni, std::string programFolder, StationUi* ui = nullptr);
    ~StationModel();
    StationModel(const StationModel&) = delete;
    StationModel& operator=(const StationModel&) = delete;

    // Station state; module indices are 1-based slots, 0 means none.
    int ModuleCount = 0;
    int StationCount = 0;
    int CurrentModule = 0;
    int SelectedCoupler = 0;
    int CurrentStation = 0;
    int CurrentCouplerModule = 0;
    int ExchangeModule = 0;
    std::string CurrentIP;
    std::string CurrentMask;
    std::string CurrentMAC;
    std::string CurrentGateway;
    std::string CurrentStationName;
    // Running byte sums of the station being built; they continue the last station.
    int InputTotal = 0;
    int OutputTotal = 0;
    // The I/O test runs: deleting is refused.
    bool Online = false;
    // Windows-1252 texts like every other text of the project.
    ProjectProperties Properties;

    // Inline: the I/O cycle walks the whole list several times per cycle.
    TModul* Module(int slot) {
        return slot < 1 || slot > kMaxModules ? nullptr : slots_[static_cast<std::size_t>(slot)].get();
    }
    const TModul* Module(int slot) const {
        return slot < 1 || slot > kMaxModules ? nullptr : slots_[static_cast<std::size_t>(slot)].get();
    }
    const std::string& ProgramFolder() const { return programFolder_; }
    // The catalogue the modules take their type data from; null when there is none.
    const ProfileFile* Catalogue() const { return catalogue_; }
    void SetUi(StationUi* ui);
    StationUi& Ui() { return *ui_; }

    // Creates a module of the type in an empty slot. Returns the conversion error of
    // a broken catalogue value, if any; the module then keeps its defaults from there on.
    std::optional<std::string> CreateModule(int slot, const std::string& typeName, bool visible);
    // Appends one module at the end of the list; false when the list is full.
    bool AppendModule(const std::string& typeName, std::optional<std::string>* error = nullptr);
    // Fills a module's type data from the catalogue; throws ConversionError on a broken
    // "LedMuster" after the fields in front of it are set. Returns the counts that
    // were out of range (and taken as 0), naming type and key.
    std::optional<std::string> LoadCatalogueData(const std::string& typeName, int slot);
    void BindExchangeMethods(int slot);
    void Renumber();
    // The click on a type-list line. Returns false when nothing was placed.
    bool PlaceModule(const std::string& typeName);
    void FindStationEnd(int slot);
    void MoveNewModule(int position, bool after);
    // Moves a module (not a coupler) to another place in its own station, the modules
    // between shifting by one; the moved module becomes the current one. False when
    // the place is outside the station, the module is a coupler, or the test runs.
    bool MoveModule(int from, int to);
    void CopyModule(int destination, int source);
    void RefreshModules();
    void DeleteCurrent();
    void DeleteModule(int slot);
    void DeleteStation();
    void ClearStation();
    void InitNewModule(const std::string& typeName, int slot);
    std::vector<std::string> DumpModule(int slot) const;

    // "StationName  IP:address" of status-bar panel 0.
    static std::string StationStatusText(const TModul& coupler);

    // While one is alive, appended modules are arranged once, when the last
    // hold ends, instead of each re-arranging the whole view: loading n
    // modules then costs n, not n squared.
    class ArrangeHold {
    public:
        explicit ArrangeHold(StationModel& model) : model_(model) {
            if (model_.arrangeHolds_++ == 0) model_.ui_->BulkCreation(true);
        }
        ~ArrangeHold();
        ArrangeHold(const ArrangeHold&) = delete;
        ArrangeHold& operator=(const ArrangeHold&) = delete;

    private:
        StationModel& model_;
    };

private:
    void ShowNormalPicture(int slot);
    void ShowClickPicture(int slot);
    int CouplerCount() const;

    const ProfileFile* catalogue_;
    std::string programFolder_;
    StationUi defaultUi_;
    StationUi* ui_;
    std::array<std::unique_ptr<TModul>, kMaxModules + 1> slots_{};
    int arrangeHolds_ = 0;
    bool arrangePending_ = false;
};

// The message shown when a placement would need a slot beyond the last one.
std::string StationFullMessage();

}  // namespace korvo
