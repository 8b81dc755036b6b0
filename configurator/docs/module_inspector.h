#pragma once
// What the station view tells about one module when it is hovered or selected: its
// type, slot and station, the byte ranges it takes in its station's images, and the
// IEC addresses of its first and last point as "korvo export" writes them.

#include <string>

namespace korvo {

class StationModel;

// Several lines, Windows-1252; empty for an empty slot.
std::string ModuleInspectorText(const StationModel& model, int slot);

// The same on one line, for the status bar.
std::string ModuleInspectorLine(const StationModel& model, int slot);

}  // namespace korvo
