#pragma once
// A station read from its coupler: the modules it reports on its bus, named from the
// catalogue, and the station that list makes in a project. Used by `korvo scan`,
// `korvo discover`, the plant check and their windows; one node pair per coupler, so
// scans of different couplers may run on threads of their own.

#include "access/coupler_diagnosis.h"
#include "tools/pinger.h"
#include "station/catalogue.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

class ControllerAccess;
class StationModel;

struct ScannedModule {
    int slot = 0;  // bus position, 1-based
    std::uint8_t idCode = 0;
    std::uint8_t lengthCode = 0;
    std::vector<std::string> types;  // catalogue types with both codes, in catalogue order

    bool Named() const { return types.size() == 1; }
    bool Ambiguous() const { return types.size() > 1; }
    // The type, the candidates joined by " or ", or "unknown module, ID xxh length yyh".
    std::string Text() const;
};

struct StationScan {
    std::string address;
    bool connected = false;  // the node pair opened
    bool listRead = false;   // the coupler confirmed the bus list request
    std::string failure;     // why the scan stopped short; empty when it did not
    std::vector<ScannedModule> modules;
    bool stateRead = false;
    CouplerState state;

    bool AllNamed() const;
    // The reported list as the configuration check compares it: names each followed by
    // two blanks, as the check's read-back line shows them.
    std::vector<TAlleModule> BusList() const;
    // "2 × KORVO DI 16, KORVO AI 2": the types in bus order, repeats counted.
    std::string TypeSummary() const;
};

// The bus configuration list (030Bh) on an open node pair, named from the catalogue.
// Returns the call's failure, "the coupler sent no list" for a wait without it, or nothing.
std::optional<std::string> ReadBusList(ControllerAccess& access, const CatalogueList& catalogue,
                                       std::vector<ScannedModule>& modules);

// Echo (when a pinger is given), node pair, bus list and state register of the coupler
// at `address`; the pair is closed again in every case.
StationScan ScanStation(const std::string& address, const CatalogueList& catalogue, Pinger* pinger);

// Slot → type chosen for an ambiguous slot.
using SlotChoices = std::map<int, std::string>;

// The module types the scan makes, one per bus slot, or why it cannot make them: an
// unknown module, an ambiguous slot without a choice, a choice that is not one of the
// slot's candidates, a choice for a slot the scan does not have.
struct ScannedTypes {
    std::vector<std::string> types;
    std::vector<std::string> problems;
};
ScannedTypes TypesOfScan(const StationScan& scan, const SlotChoices& choices);

// Appends a coupler with the scan's address and the station name, followed by the
// types, each module with the defaults a newly placed module gets. Returns the new
// station's number, or nothing when the project has no room for it.
std::optional<int> AppendScannedStation(StationModel& model, const std::string& address,
                                        const std::string& stationName, const std::vector<std::string>& types);

// Replaces the bus modules of station `station` (its passive modules and power feeds
// too) by the types; the coupler and every other station stay as they were. False when
// the station does not exist or the project has no room.
bool ReplaceStationModules(StationModel& model, int station, const std::vector<std::string>& types);

// A copy of the project's modules (types, parameters, comments, coupler settings) in a
// model of its own, for work on another thread while the window's model may change.
std::unique_ptr<StationModel> CopyStations(const StationModel& model);

}  // namespace korvo
