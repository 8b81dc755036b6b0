#include "station/app_state.h"

namespace korvo {

std::string ProgramFolderOf(const std::filesystem::path& executable) {
    std::string folder = executable.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::optional<ProjectLoadReport> RunFirstActivation(AppState& state, StationModel& model) {
    if (!state.FirstActivation) return std::nullopt;
    ProjectLoadReport report;
    try {
        report = LoadProject(model, state.StartProject.empty() ? state.SettingsFile() : state.StartProject);
    } catch (const ProfileError& e) {
        report.warnings.push_back(e.what());
    }
    state.DebugAllowed = report.DebugAllowed;
    state.FirstActivation = false;
    model.CurrentModule = 1;
    model.SelectedCoupler = 1;
    return report;
}

void ToggleArrangement(AppState& state) {
    state.Vertical = !state.Vertical;
    state.ModulesPerRow = state.Vertical ? 1 : 100;
}

void SaveSettings(const AppState& state, const StationModel& model) { SaveProject(model, state.SettingsFile()); }

}  // namespace korvo
