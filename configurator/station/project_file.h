#pragma once
// Project files (".prj" and the automatic save "korvo.ini"): the type names and
// parameter texts of all modules and the network settings of every coupler.

#include "station_model.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

// Writes the station into the file; sections the project does not use stay. The file
// is replaced as a whole, so a failed save leaves the old one intact. Throws ProfileError.
void SaveProject(const StationModel& model, const std::filesystem::path& path);
// Writes the station into a file held in memory, as SaveProject does on disk.
void WriteProject(const StationModel& model, ProfileFile& file);
// The project file's text of the station alone; two stations with the same text save alike.
std::string ProjectText(const StationModel& model);
inline constexpr const char* kProjectSection = "Project";

// Longest texts a project keeps of what it reads; longer ones are cut with a warning.
// Real projects stay far below, and documents built from the texts stay bounded.
inline constexpr std::size_t kMaxStationNameLength = 64;  // also the network settings' texts
inline constexpr std::size_t kMaxModuleTextLength = 1024;  // parameters and comments

struct ProjectLoadReport {
    bool DebugAllowed = false;
    // Things the user should know: modules cut at the list's capacity, broken catalogue
    // values of a type, texts cut at their limits, short parameter lists, unknown types.
    std::vector<std::string> warnings;
    // Slots whose type the catalogue does not know; such a module has no process data,
    // so every later address of its station would differ from the coupler's.
    std::vector<int> unknownTypes;
};

// Why a module's stored parameter list holds fewer items than the module has words
// (the dialogs would repeat its last item for the rest), or nothing.
std::optional<std::string> ShortParameterList(const TModul& module, int slot);

// Reads a project into the station (emptied first). A missing file is an empty project.
// Throws ProfileError when the file exists but cannot be read.
ProjectLoadReport LoadProject(StationModel& model, const std::filesystem::path& path);
ProjectLoadReport LoadProject(StationModel& model, const ProfileFile& file);

}  // namespace korvo
