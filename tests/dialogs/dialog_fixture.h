#pragma once
// A station of the shipped catalogue in a throw-away program folder, so the dialogs'
// automatic save of "korvo.ini" lands there and can be read back.

#include "../station/station_fixture.h"
#include "../station/temp_folder.h"

#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <memory>
#include <string>

namespace korvo::testing {

class DialogTest : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        catalogue_ = std::make_unique<ProfileFile>(ProfileFile::Load(KORVO_TEST_DATA_DIR "/korvo_config.ini"));
        model_ = std::make_unique<StationModel>(catalogue_.get(), dir_.string() + "/", &ui_);
    }

    // Places a new module of the type with its defaults and makes it the current one.
    TModul& Place(const std::string& type) {
        model_->AppendModule(type);
        model_->InitNewModule(type, model_->ModuleCount);
        model_->CurrentModule = model_->ModuleCount;
        return *model_->Module(model_->ModuleCount);
    }

    void Load(const std::string& project) { LoadProject(*model_, ProfileFile::FromText(project)); }
    std::filesystem::path SettingsFile() const { return File("korvo.ini"); }
    std::string SavedSettings() const { return Read(SettingsFile()); }
    TModul& Module(int slot) { return *model_->Module(slot); }

    RecordingUi ui_;
    std::unique_ptr<ProfileFile> catalogue_;
    std::unique_ptr<StationModel> model_;
};

}  // namespace korvo::testing
