#pragma once
// The texts the I/O cycle makes for every module in every cycle: an input
// module's decimal and hex lists of its bytes, and the log line of a module.

#include "station/module.h"
#include "station/station_model.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvo {

// The bytes as the decimal list ("0,255,") and the hex list ("00,FF,"), each
// stored only where it changed.
void SetByteLists(const std::uint8_t* bytes, int count, std::string& decimal, std::string& hex);

// A module's log line, "<type>  Date <data>", built in place in `line`.
void AssignDataLine(std::string& line, std::string_view type, std::string_view data);

// An input module's lists and log line as the last cycle made them. Most
// inputs stay as they were from one cycle to the next: then the module's
// lists and type are only checked against what was made of the same bytes,
// and anything changed elsewhere is made again.
class InputTexts {
public:
    // Brings the module's InputData and InputHex up to its `bytes` and
    // returns its log line.
    const std::string& Update(int slot, TModul& module, const std::uint8_t* bytes);

private:
    struct Seen {
        std::string bytes;
        std::string decimal;
        std::string hex;
        std::string type;
        std::string line;
    };
    std::array<Seen, StationModel::kMaxModules + 1> seen_{};
};

}  // namespace korvo
