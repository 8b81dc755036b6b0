#include "automatic_save.h"

#include "station/app_state.h"
#include "station/project_file.h"

namespace korvo {

void SaveStationAutomatically(const StationModel& model) {
    SaveProject(model, std::filesystem::path(model.ProgramFolder()) / kSettingsFileName);
}

}  // namespace korvo
