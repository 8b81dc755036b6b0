#pragma once
// A station built from the shipped catalogue in which a dialog test places the
// modules it needs, as a click on the type list does.

#include "station/profile_file.h"
#include "station/station_model.h"

#include <gtest/gtest.h>

#include <string>

namespace korvo::testing {

class DialogStation : public ::testing::Test {
protected:
    DialogStation()
        : catalogue_(ProfileFile::Load(KORVO_TEST_DATA_DIR "/korvo_config.ini")),
          model(&catalogue_, "/nonexistent/") {}

    // Appends a module with its default parameters and makes it the current module.
    int Place(const std::string& type) {
        EXPECT_TRUE(model.AppendModule(type));
        model.InitNewModule(type, model.ModuleCount);
        model.CurrentModule = model.ModuleCount;
        return model.ModuleCount;
    }
    TModul& At(int slot) { return *model.Module(slot); }

private:
    ProfileFile catalogue_;

protected:
    StationModel model;
};

}  // namespace korvo::testing
