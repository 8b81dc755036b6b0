#include "project_commands.h"

namespace korvo {

FileDialogSettings ProjectCommands::OpenDialogSettings() const {
    return FileDialogSettings{model_.ProgramFolder() + kProjectFolder, "prj", "Project", "Project (*.prj)|*.*"};
}

FileDialogSettings ProjectCommands::SaveDialogSettings() const {
    // Before any project was opened, the project folder is the place to save one.
    const std::string start = ProjectFileName.empty() ? model_.ProgramFolder() + kProjectFolder : ProjectFileName;
    return FileDialogSettings{start, "", "project1.prj", "Project (*.prj)|*.*"};
}

bool ProjectCommands::NewProject() {
    StationUi& ui = model_.Ui();
    if (!ui.AskYesNo("delete actual project ? ", " new project")) return false;
    if (BeforeStationReplaced) BeforeStationReplaced();
    ui.ResetZoom();
    model_.ClearStation();
    model_.CurrentModule = 0;
    model_.SelectedCoupler = 0;
    ui.SetPlacementMode("");
    return true;
}

void ProjectCommands::PrepareOpen() {
    model_.Ui().ResetZoom();
    model_.InputTotal = 0;
    model_.OutputTotal = 0;
}

std::optional<ProjectLoadReport> ProjectCommands::OpenProject(
    const std::optional<std::filesystem::path>& chosen) {
    if (!chosen) return std::nullopt;
    StationUi& ui = model_.Ui();
    if (!ui.AskYesNo("overwrite actual project ? ", " open project")) return std::nullopt;
    // Read the file before clearing, so an unreadable file leaves the station as it was.
    ProfileFile file;
    try {
        file = ProfileFile::Load(*chosen);
    } catch (const ProfileError& e) {
        ui.ShowMessage(e.what(), " open project");
        return std::nullopt;
    }
    if (BeforeStationReplaced) BeforeStationReplaced();
    model_.ClearStation();
    ProjectFileName = chosen->string();
    ProjectLoadReport report = LoadProject(model_, file);
    for (const std::string& warning : report.warnings) ui.ShowMessage(warning, " open project");
    return report;
}

bool ProjectCommands::SaveProjectAs(const std::optional<std::filesystem::path>& chosen) {
    if (!chosen) return false;
    try {
        SaveProject(model_, *chosen);
        return true;
    } catch (const ProfileError& e) {
        model_.Ui().ShowMessage(e.what(), " save project");
        return false;
    }
}

}  // namespace korvo
