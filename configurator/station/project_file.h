#pragma once
// Project files (".prj" and the automatic save "korvo.ini"): the type names and
// parameter texts of all modules and the network settings of every coupler.

#include "station_model.h"

#include <filesystem>
#include <string>
#include <vector>

namespace korvo {

// Writes the station into the file; sections the project does not use stay. The file
// is replaced as a whole, so a failed save leaves the old one intact. Throws ProfileError.
void SaveProject(const StationModel& model, const std::filesystem::path& path);

struct ProjectLoadReport {
    bool DebugAllowed = false;
    // Things the user should know: modules cut at the list's capacity, broken catalogue
    // values of a type.
    std::vector<std::string> warnings;
};

// Reads a project into the station (emptied first). A missing file is an empty project.
// Throws ProfileError when the file exists but cannot be read.
ProjectLoadReport LoadProject(StationModel& model, const std::filesystem::path& path);
ProjectLoadReport LoadProject(StationModel& model, const ProfileFile& file);

}  // namespace korvo
