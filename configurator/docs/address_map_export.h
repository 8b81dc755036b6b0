#pragma once
// The address map written for a PLC program: a CSV table (RFC 4180, UTF-8), an
// IEC 61131-3 global variable list, or a JSON array. The window's "export address
// map..." and "korvo export" both call ExportAddressMap.

#include "docs/address_map.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

class StationModel;

enum class ExportFormat { Csv, Gvl, Json };

// "csv", "gvl" or "json" (any case); nullopt for anything else.
std::optional<ExportFormat> ParseExportFormat(const std::string& text);
// The format a file name's extension stands for, if any.
std::optional<ExportFormat> FormatOfFile(const std::filesystem::path& file);

struct ExportOptions {
    ExportFormat format = ExportFormat::Csv;
    int station = 0;     // 0: all stations
    // First byte of the PLC's input and output areas; with several stations, each
    // station's image follows the one before.
    int inputBase = 0;
    int outputBase = 0;
    std::string project; // shown in the GVL's heading comment (UTF-8)
};

// One entry with its PLC address applied.
struct ExportRow {
    AddressEntry entry;
    std::string plcName;  // IEC identifier of the tag
    int byte = 0;         // entry.byte + the base of its station and direction
    std::string address;  // "%IX3.0", "%QW4"
};

struct AddressMapExport {
    std::vector<ExportRow> rows;
    std::vector<std::string> notes;  // names that had to change for the GVL (UTF-8)
    // Connection descriptions missing or bad, one line per file; their points are
    // exported without a description.
    std::vector<std::string> descriptionProblems;
    std::string text;                // the file's bytes
};

// Builds the export; throws ExportError when there is nothing to export (no such
// station, or a station without input/output points).
AddressMapExport RenderAddressMap(const StationModel& model, const ExportOptions& options);

// RenderAddressMap written to the file, replaced whole or left untouched.
AddressMapExport ExportAddressMap(const StationModel& model, const ExportOptions& options,
                                  const std::filesystem::path& file);

}  // namespace korvo
