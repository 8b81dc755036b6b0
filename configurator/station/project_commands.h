#pragma once
// The main window's project commands: new, open, save, save as, and the question
// about unsaved changes before the open project is left. The file dialogs belong to
// the window; it passes the chosen path (or none when the user cancelled) and shows
// the dialogs with the settings given here.

#include "project_file.h"
#include "station_model.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvo {

// The folder beside the program where the project dialogs start.
inline constexpr const char* kProjectFolder = "project";
inline constexpr const char* kProjectExtension = ".prj";
inline constexpr const char* kProgramTitle = "Korvo Configurator";

struct FileDialogSettings {
    std::string startFolder;
    std::string defaultExtension;  // empty: none
    std::string initialFileName;
    std::string filter;  // "caption|pattern"
};

// A name typed without extension gets ".prj", so the open dialog's filter shows it.
std::filesystem::path WithProjectExtension(const std::filesystem::path& chosen);

class ProjectCommands {
public:
    explicit ProjectCommands(StationModel& model);

    // The open project's file; empty when none is open (at start, after "new").
    std::string ProjectFileName;
    // Runs once the user has agreed to replace the station, before it is emptied: a
    // running I/O test must end while its station still exists.
    std::function<void()> BeforeStationReplaced;
    // Shows the save dialog; "save" falls back to it when no project is open.
    std::function<std::optional<std::filesystem::path>()> ChooseSavePath;

    FileDialogSettings OpenDialogSettings() const;
    FileDialogSettings SaveDialogSettings() const;

    // The open project differs from its file.
    bool Modified() const;
    // "demo.prj* - Korvo Configurator", or the program's name when no project is open.
    std::string WindowTitle() const;
    // The station as it is now counts as saved (after the first load of "korvo.ini").
    void MarkSaved();

    // Asks about unsaved changes first; returns true when the station was emptied.
    bool NewProject();
    // Call before showing the open dialog: the view back to normal size, byte sums at 0.
    void PrepareOpen();
    // After the open dialog: asks, then replaces the station with the chosen project.
    // Returns the load report when a project was loaded.
    std::optional<ProjectLoadReport> OpenProject(const std::optional<std::filesystem::path>& chosen);
    // Writes the open project; without one, asks for a path as "save as" does.
    bool Save();
    // After the save dialog: adds the extension, asks before replacing another file;
    // false when nothing was saved (cancel, no, or an error, which is shown).
    bool SaveProjectAs(const std::optional<std::filesystem::path>& chosen);
    // Before the program closes: false when the user cancelled.
    bool MayClose() { return SettleChanges(); }

private:
    // "save changes to NAME?" when the open project has changes; false on cancel or
    // when the save failed.
    bool SettleChanges();
    bool Write(const std::filesystem::path& path);

    StationModel& model_;
    std::string savedText_;
    // Where the save dialog starts when no project is open.
    std::string lastFolder_;
};

}  // namespace korvo
