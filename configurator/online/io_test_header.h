#pragma once
// The head of a commissioning record: what the configuration check found and the
// coupler's state bits, read just before the I/O test starts.

#include "online/io_test_record.h"

#include <string>

namespace korvo {

struct CouplerState;
class OnlineOperation;

// "ready, activ, run", or "no state bit set".
std::string CouplerStateText(const CouplerState& state);

// The check's result in words: "station OK", what differed, or that it could not be
// done (no module list from the coupler).
std::string CheckResultText(const OnlineOperation& online, const StationModel& model, bool passed);

// The header of a record of the model's current station.
RecordHeader MakeRecordHeader(const StationModel& model, const std::string& project, const std::string& check,
                              const std::string& state);

}  // namespace korvo
