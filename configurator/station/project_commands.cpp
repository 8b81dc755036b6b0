#include "project_commands.h"

#include <system_error>

namespace korvo {

std::filesystem::path WithProjectExtension(const std::filesystem::path& chosen) {
    if (chosen.has_extension()) return chosen;
    std::filesystem::path withExtension = chosen;
    withExtension += kProjectExtension;
    return withExtension;
}

ProjectCommands::ProjectCommands(StationModel& model) : model_(model), savedText_(ProjectText(model)) {}

FileDialogSettings ProjectCommands::OpenDialogSettings() const {
    return FileDialogSettings{model_.ProgramFolder() + kProjectFolder, "prj", "Project", "Project (*.prj)|*.*"};
}

FileDialogSettings ProjectCommands::SaveDialogSettings() const {
    if (!ProjectFileName.empty()) {
        const std::filesystem::path open(ProjectFileName);
        return FileDialogSettings{open.parent_path().string(), "prj", open.filename().string(), "Project (*.prj)|*.*"};
    }
    // Before any project was opened, the project folder is the place to save one.
    const std::string start = lastFolder_.empty() ? model_.ProgramFolder() + kProjectFolder : lastFolder_;
    return FileDialogSettings{start, "prj", "project1.prj", "Project (*.prj)|*.*"};
}

bool ProjectCommands::Modified() const { return ProjectText(model_) != savedText_; }

std::string ProjectCommands::WindowTitle() const {
    if (ProjectFileName.empty()) return kProgramTitle;
    return std::filesystem::path(ProjectFileName).filename().string() + (Modified() ? "*" : "") + " - " +
           kProgramTitle;
}

void ProjectCommands::MarkSaved() { savedText_ = ProjectText(model_); }

bool ProjectCommands::SettleChanges() {
    // Without an open project the station lives in "korvo.ini", which the program
    // writes by itself.
    if (ProjectFileName.empty() || !Modified()) return true;
    const std::string name = std::filesystem::path(ProjectFileName).filename().string();
    switch (model_.Ui().AskSaveChanges("save changes to " + name + "?", " save project")) {
        case StationUi::SaveAnswer::Save: return Save();
        case StationUi::SaveAnswer::Discard: return true;
        case StationUi::SaveAnswer::Cancel: return false;
    }
    return false;
}

bool ProjectCommands::NewProject() {
    StationUi& ui = model_.Ui();
    const bool changes = !ProjectFileName.empty() && Modified();
    // The question about the changes is the question about the project.
    if (changes ? !SettleChanges() : !ui.AskYesNo("delete actual project ? ", " new project")) return false;
    if (BeforeStationReplaced) BeforeStationReplaced();
    ui.ResetZoom();
    model_.ClearStation();
    model_.Properties = {};
    model_.CurrentModule = 0;
    model_.SelectedCoupler = 0;
    ui.SetPlacementMode("");
    // "save" must not write the new station over the project left.
    if (!ProjectFileName.empty()) lastFolder_ = std::filesystem::path(ProjectFileName).parent_path().string();
    ProjectFileName.clear();
    MarkSaved();
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
    const bool changes = !ProjectFileName.empty() && Modified();
    if (changes ? !SettleChanges() : !ui.AskYesNo("overwrite actual project ? ", " open project")) return std::nullopt;
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
    MarkSaved();
    for (const std::string& warning : report.warnings) ui.ShowMessage(warning, " open project");
    return report;
}

bool ProjectCommands::Save() {
    if (!ProjectFileName.empty()) return Write(ProjectFileName);
    return ChooseSavePath && SaveProjectAs(ChooseSavePath());
}

bool ProjectCommands::SaveProjectAs(const std::optional<std::filesystem::path>& chosen) {
    if (!chosen) return false;
    const std::filesystem::path target = WithProjectExtension(*chosen);
    std::error_code error;
    const bool replacesOpen = !ProjectFileName.empty() &&
                              std::filesystem::equivalent(target, ProjectFileName, error);
    if (!replacesOpen && std::filesystem::exists(target, error) &&
        !model_.Ui().AskYesNo(target.filename().string() + " already exists.\nDo you want to replace it?",
                              " save project")) {
        return false;
    }
    if (!Write(target)) return false;
    ProjectFileName = target.string();
    return true;
}

bool ProjectCommands::Write(const std::filesystem::path& path) {
    try {
        SaveProject(model_, path);
        MarkSaved();
        return true;
    } catch (const ProfileError& e) {
        model_.Ui().ShowMessage(e.what(), " save project");
        return false;
    }
}

}  // namespace korvo
