#pragma once
// A station of the shipped catalogue, loaded from project text, with its automatic
// save in a folder of the test's own.

#include "../station/station_fixture.h"
#include "../station/temp_folder.h"

#include "station/profile_file.h"
#include "station/project_file.h"

#include <memory>

namespace korvo::testing {

class DialogTest : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        catalogue_ =
            std::make_unique<ProfileFile>(ProfileFile::Load(KORVO_TEST_DATA_DIR "/korvo_config.ini"));
        model_ = std::make_unique<StationModel>(catalogue_.get(), dir_.string() + "/", &ui_);
    }
    void Load(const std::string& project) { LoadProject(*model_, ProfileFile::FromText(project)); }
    std::filesystem::path SettingsFile() const { return File("korvo.ini"); }
    TModul& Module(int slot) { return *model_->Module(slot); }

    RecordingUi ui_;
    std::unique_ptr<ProfileFile> catalogue_;
    std::unique_ptr<StationModel> model_;
};

}  // namespace korvo::testing
