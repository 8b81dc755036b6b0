#pragma once
// The main window's project commands: new project, open project, save project as.
// The file dialogs belong to the window; it passes the chosen path (or none when the
// user cancelled) and shows the dialogs with the settings given here.

#include "project_file.h"
#include "station_model.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvo {

// The folder beside the program where the project dialogs start.
inline constexpr const char* kProjectFolder = "project";

struct FileDialogSettings {
    std::string startFolder;
    std::string defaultExtension;  // empty: none
    std::string initialFileName;
    std::string filter;  // "caption|pattern"
};

class ProjectCommands {
public:
    explicit ProjectCommands(StationModel& model) : model_(model) {}

    // The path of the project opened last; the save dialog starts there.
    std::string ProjectFileName;
    // Runs once the user has agreed to replace the station, before it is emptied: a
    // running I/O test must end while its station still exists.
    std::function<void()> BeforeStationReplaced;

    FileDialogSettings OpenDialogSettings() const;
    FileDialogSettings SaveDialogSettings() const;

    // Asks first; returns true when the station was emptied.
    bool NewProject();
    // Call before showing the open dialog: the view back to normal size, byte sums at 0.
    void PrepareOpen();
    // After the open dialog: asks, then replaces the station with the chosen project.
    // Returns the load report when a project was loaded.
    std::optional<ProjectLoadReport> OpenProject(const std::optional<std::filesystem::path>& chosen);
    // After the save dialog; false when nothing was saved (cancel or error, which is shown).
    bool SaveProjectAs(const std::optional<std::filesystem::path>& chosen);

private:
    StationModel& model_;
};

}  // namespace korvo
