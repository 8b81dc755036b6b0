#pragma once
// The station's address map as a PLC program needs it: one entry per input/output
// point that has an address of its own (a digital point as a bit, an analog channel
// as a word) and, for modules whose points share a record (counter, multiplexed and
// command-driven modules), one entry per process-data word. Addresses are byte offsets
// in the station's process image, as "korvo station" prints them.

#include <string>
#include <vector>

namespace korvo {

class StationModel;

enum class PointDirection { Input, Output };
enum class PointWidth { Bool, Word };

struct AddressEntry {
    int station = 0;          // the coupler's station number
    std::string stationName;  // Windows-1252
    int slot = 0;             // the module's slot in the station list
    std::string moduleType;
    std::string tag;          // the system's tag name, Windows-1252
    PointDirection direction = PointDirection::Input;
    PointWidth width = PointWidth::Bool;
    int byte = 0;             // offset in the station's input or output image
    int bit = -1;             // 0..7 for a BOOL, -1 for a WORD
    std::string description;  // from the connection description or the parameter comment
    bool channel = false;     // a word that is one analog channel of its own
};

// The entries of one station (station > 0) or of all stations (0), in slot order,
// inputs before outputs within a module. Modules that belong to no station have no
// process image and give no entries. A connection description that is missing or bad
// (unreadable, no marker, too short, a wrong connector number) leaves the
// descriptions of its points empty; what is wrong with it, naming the file and where
// there is one the line, goes once per file into descriptionProblems when given.
std::vector<AddressEntry> BuildAddressMap(const StationModel& model, int station,
                                          std::vector<std::string>* descriptionProblems = nullptr);

// The channels of the module in slot when it is read one channel per cycle (its
// second input word carries the channel that the last request asked for): one WORD
// entry per channel, all at that word's byte, named and described as the module's
// input points. Empty for any other module.
std::vector<AddressEntry> MultiplexedChannels(const StationModel& model, int slot);

const char* DirectionName(PointDirection direction);  // "input" / "output"
const char* WidthName(PointWidth width);              // "BOOL" / "WORD"

}  // namespace korvo
