#pragma once
// The commissioning record as files: a CSV table (RFC 4180, UTF-8) and a JSON object
// with the header, the end of the test and one entry per point.

#include "online/io_test_record.h"

#include <filesystem>
#include <string>

namespace korvo {

// What a point's row shows in the "result" column: "tested", "not seen at 1", ...
std::string PointResult(const PointRecord& point);
// The values a point's row shows, UTF-8: "0 and 1 seen", "1200..16350 (0.400 V .. 5.450 V)",
// "on and off".
std::string PointValues(const PointRecord& point);

// The point's address in the station's image: "%IX0.3", "%QW2"; a multiplexed
// channel adds its number to the word that carries it: "%IW6 ch 3".
std::string PointAddress(const PointRecord& point);

std::string IoTestRecordCsv(const IoTestRecord& record);
std::string IoTestRecordJson(const IoTestRecord& record);

// The record written whole or not at all; throws ExportError.
void WriteIoTestRecord(const IoTestRecord& record, const std::filesystem::path& file, bool json);

}  // namespace korvo
