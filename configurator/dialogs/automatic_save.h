#pragma once
// The automatic save after a dialog changed a module: the whole station goes to
// "korvo.ini" in the program folder.

namespace korvo {

class StationModel;

// Throws ProfileError when the file cannot be written; the previous file then stays.
void SaveStationAutomatically(const StationModel& model);

}  // namespace korvo
