#pragma once
// Program-wide state of the configurator outside the station model: where the program
// lives, the debug switch, the view's scale and arrangement, and the once-only first
// activation that loads the automatic save "korvo.ini".

#include "station/project_file.h"
#include "station/station_model.h"
#include "station/zoom_state.h"

#include <filesystem>
#include <optional>
#include <string>

namespace korvo {

inline constexpr const char* kSettingsFileName = "korvo.ini";
inline constexpr const char* kCatalogueFileName = "korvo_config.ini";

struct AppState {
    // Folder of the running program's file, with a trailing separator; every file
    // the configurator reads or writes by a fixed name lies there.
    std::string ProgramFolder;
    bool DebugShown = false;
    bool DebugAllowed = false;
    bool FirstActivation = true;
    bool Vertical = false;
    int ModulesPerRow = 100;
    ZoomState Zoom;
    // The project the first activation loads; empty: the settings file.
    std::filesystem::path StartProject;

    std::filesystem::path SettingsFile() const { return std::filesystem::path(ProgramFolder) / kSettingsFileName; }
    std::filesystem::path CatalogueFile() const { return std::filesystem::path(ProgramFolder) / kCatalogueFileName; }
};

// "/opt/korvo/bin/KorvoConfigurator" gives "/opt/korvo/bin/".
std::string ProgramFolderOf(const std::filesystem::path& executable);

// The first activation of the main window: loads "korvo.ini" into the (empty) station,
// takes the debug switch from it and makes slot 1 current and selected. Later
// activations do nothing and return nullopt. A file that exists but cannot be read
// gives an empty station and a warning in the report.
std::optional<ProjectLoadReport> RunFirstActivation(AppState& state, StationModel& model);

// The arrangement switch: vertical (one module per row) or horizontal (100 per row).
void ToggleArrangement(AppState& state);

// The automatic save at close. Throws ProfileError when the file cannot be written.
void SaveSettings(const AppState& state, const StationModel& model);

}  // namespace korvo
