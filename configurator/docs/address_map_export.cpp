#include "address_map_export.h"

#include "docs/connection_plan.h"
#include "docs/export_text.h"
#include "docs/plc_names.h"
#include "station/station_model.h"
#include "station/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace korvo {

namespace {

constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

std::string PlcAddress(const AddressEntry& e, int byte) {
    std::string address = e.direction == PointDirection::Input ? "%I" : "%Q";
    if (e.width == PointWidth::Bool) return address + "X" + std::to_string(byte) + "." + std::to_string(e.bit);
    return address + "W" + std::to_string(byte);
}

// A comment must not end early or open a nested one.
std::string CommentText(const std::string& utf8) {
    std::string text;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\r' || c == '\n') {
            text += ' ';
        } else if ((c == '*' && i + 1 < utf8.size() && utf8[i + 1] == ')') ||
                   (c == '(' && i + 1 < utf8.size() && utf8[i + 1] == '*')) {
            text += c;
            text += ' ';
        } else {
            text += c;
        }
    }
    return text;
}

std::string Csv(const std::vector<ExportRow>& rows) {
    std::string text = kUtf8Bom;
    text += "station,station_name,slot,module_type,tag,plc_name,direction,data_type,image_byte,byte,bit,address,"
            "description\r\n";
    for (const ExportRow& r : rows) {
        const AddressEntry& e = r.entry;
        text += std::to_string(e.station) + "," + CsvField(Cp1252ToUtf8(e.stationName)) + "," +
                std::to_string(e.slot) + "," + CsvField(Cp1252ToUtf8(e.moduleType)) + "," +
                CsvField(Cp1252ToUtf8(e.tag)) + "," + r.plcName + "," + DirectionName(e.direction) + "," +
                WidthName(e.width) + "," + std::to_string(e.byte) + "," + std::to_string(r.byte) + "," + (e.bit >= 0 ? std::to_string(e.bit) : "") +
                "," + r.address + "," + CsvField(Cp1252ToUtf8(e.description)) + "\r\n";
    }
    return text;
}

std::string Json(const std::vector<ExportRow>& rows) {
    std::string text = "[";
    bool first = true;
    for (const ExportRow& r : rows) {
        const AddressEntry& e = r.entry;
        text += first ? "\n" : ",\n";
        first = false;
        text += "  {\"station\": " + std::to_string(e.station) +
                ", \"stationName\": " + JsonQuoted(Cp1252ToUtf8(e.stationName)) +
                ", \"slot\": " + std::to_string(e.slot) + ", \"moduleType\": " + JsonQuoted(Cp1252ToUtf8(e.moduleType)) +
                ", \"tag\": " + JsonQuoted(Cp1252ToUtf8(e.tag)) + ", \"plcName\": " + JsonQuoted(r.plcName) +
                ", \"direction\": \"" + DirectionName(e.direction) + "\", \"dataType\": \"" + WidthName(e.width) +
                "\", \"imageByte\": " + std::to_string(e.byte) + ", \"byte\": " + std::to_string(r.byte) +
                ", \"bit\": " + (e.bit >= 0 ? std::to_string(e.bit) : "null") + ", \"address\": \"" + r.address +
                "\", \"description\": " + JsonQuoted(Cp1252ToUtf8(e.description)) + "}";
    }
    return text + (first ? "]\n" : "\n]\n");
}

std::string Gvl(const std::vector<ExportRow>& rows, const ExportOptions& options) {
    std::string text = "(* Address map of " + CommentText(options.project.empty() ? "the station list" : options.project) +
                       ", written by Korvo Configurator *)\n(* input base " + std::to_string(options.inputBase) +
                       ", output base " + std::to_string(options.outputBase) + " *)\nVAR_GLOBAL\n";
    int station = -1;
    int slot = -1;
    for (const ExportRow& r : rows) {
        const AddressEntry& e = r.entry;
        if (e.station != station) {
            station = e.station;
            text += "    (* Station " + std::to_string(station) + " " + CommentText(Cp1252ToUtf8(e.stationName)) +
                    " *)\n";
        }
        if (e.slot != slot) {
            slot = e.slot;
            text += "    (* Slot " + std::to_string(slot) + " " + CommentText(Cp1252ToUtf8(e.moduleType)) + " *)\n";
        }
        text += "    " + r.plcName + " AT " + r.address + " : " + WidthName(e.width) + ";";
        if (!e.description.empty()) text += " (* " + CommentText(Cp1252ToUtf8(e.description)) + " *)";
        text += "\n";
    }
    return text + "END_VAR\n";
}

}  // namespace

std::optional<ExportFormat> ParseExportFormat(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    if (lower == "csv") return ExportFormat::Csv;
    if (lower == "gvl") return ExportFormat::Gvl;
    if (lower == "json") return ExportFormat::Json;
    return std::nullopt;
}

std::optional<ExportFormat> FormatOfFile(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    if (extension.size() < 2) return std::nullopt;
    return ParseExportFormat(extension.substr(1));
}

AddressMapExport RenderAddressMap(const StationModel& model, const ExportOptions& options) {
    int first = 0;
    int last = 0;
    if (options.station > 0 && !StationSlots(model, options.station, first, last)) {
        throw ExportError("the project has no station " + std::to_string(options.station));
    }
    AddressMapExport result;
    const std::vector<AddressEntry> entries = BuildAddressMap(model, options.station, &result.descriptionProblems);
    if (entries.empty()) {
        throw ExportError(options.station > 0
                              ? "station " + std::to_string(options.station) + " has no input or output points"
                              : std::string("the project has no input or output points"));
    }
    // Several stations share the PLC's areas one after another, so no two of their
    // points get the same address.
    std::map<int, std::pair<int, int>> bases;
    int inputBase = options.inputBase;
    int outputBase = options.outputBase;
    for (const AddressEntry& e : entries) {
        if (bases.count(e.station) > 0) continue;
        bases[e.station] = {inputBase, outputBase};
        if (StationSlots(model, e.station, first, last)) {
            inputBase += model.Module(last)->ByteOffsetInput;
            outputBase += model.Module(last)->ByteOffsetOutput;
        }
    }
    std::vector<std::string> tags;
    for (const AddressEntry& e : entries) tags.push_back(e.tag);
    const std::vector<std::string> names = AssignIecIdentifiers(tags, result.notes);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ExportRow row;
        row.entry = entries[i];
        row.plcName = names[i];
        const auto [in, out] = bases[entries[i].station];
        row.byte = entries[i].byte + (entries[i].direction == PointDirection::Input ? in : out);
        row.address = PlcAddress(entries[i], row.byte);
        result.rows.push_back(std::move(row));
    }
    switch (options.format) {
        case ExportFormat::Csv: result.text = Csv(result.rows); break;
        case ExportFormat::Gvl: result.text = Gvl(result.rows, options); break;
        case ExportFormat::Json: result.text = Json(result.rows); break;
    }
    return result;
}

AddressMapExport ExportAddressMap(const StationModel& model, const ExportOptions& options,
                                  const std::filesystem::path& file) {
    AddressMapExport result = RenderAddressMap(model, options);
    ReplaceFile(file, result.text);
    return result;
}

}  // namespace korvo
