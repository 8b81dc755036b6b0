#include "plant_commands.h"

#include "command_deadline.h"
#include "json_text.h"

#include "online/coupler_discovery.h"
#include "online/plant_check.h"
#include "online/station_scan.h"
#include "online/io_test_header.h"
#include "online/io_test_record.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/safe_file_write.h"
#include "station/station_model.h"
#include "station/text_encoding.h"
#include "station/versch.h"

#include <quorrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

namespace korvo {

namespace {

// Options of one command: flags, options with a value (repeatable ones collect), and
// positional arguments.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> flags;

    bool Flag(const std::string& name) const {
        return std::find(flags.begin(), flags.end(), name) != flags.end();
    }
    std::optional<std::string> Value(const std::string& name) const {
        const auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second.back();
    }
};

std::optional<Arguments> Parse(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                               const std::vector<std::string>& valued, std::size_t positionals,
                               const std::string& usage, std::ostream& err) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
            parsed.flags.push_back(arg);
        } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
            if (i + 1 >= args.size()) {
                err << "korvo: " << arg << " needs a value\n" << usage << "\n";
                return std::nullopt;
            }
            parsed.values[arg].push_back(args[++i]);
        } else if (!arg.empty() && arg[0] == '-') {
            err << "korvo: unknown option " << arg << "\n" << usage << "\n";
            return std::nullopt;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    if (parsed.positional.size() != positionals) {
        err << usage << "\n";
        return std::nullopt;
    }
    return parsed;
}

std::optional<int> NumberOption(const Arguments& args, const std::string& name, int fallback, int min, int max,
                                const std::string& usage, std::ostream& err) {
    const auto text = args.Value(name);
    if (!text) return fallback;
    std::int32_t value = 0;
    if (!TryStrToInt(*text, value) || value < min || value > max) {
        err << "korvo: " << name << " " << *text << " is not a valid value (" << min << ".." << max << ")\n"
            << usage << "\n";
        return std::nullopt;
    }
    return value;
}

struct Catalogue {
    ProfileFile ini;
    CatalogueList list;
};

std::unique_ptr<Catalogue> LoadCatalogue(const std::string& path, std::ostream& err) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        err << "korvo: cannot open the module catalogue \"" << path << "\": no such file\n";
        return nullptr;
    }
    auto catalogue = std::make_unique<Catalogue>();
    try {
        catalogue->ini = ProfileFile::Load(path);
    } catch (const ProfileError& e) {
        err << "korvo: " << e.what() << "\n";
        return nullptr;
    }
    catalogue->list = ReadCatalogueList(catalogue->ini);
    return catalogue;
}

// A project read with the catalogue; warnings of the load go to stderr.
std::unique_ptr<StationModel> LoadModel(const Catalogue& catalogue, const std::string& project, bool mayBeMissing,
                                        std::ostream& err) {
    std::error_code ec;
    if (!mayBeMissing && !std::filesystem::is_regular_file(project, ec)) {
        err << "korvo: cannot open the project \"" << project << "\": no such file\n";
        return nullptr;
    }
    auto model = std::make_unique<StationModel>(&catalogue.ini, "/");
    try {
        const ProjectLoadReport report = LoadProject(*model, std::filesystem::path(project));
        for (const std::string& warning : report.warnings) err << "korvo: " << Cp1252ToUtf8(warning) << "\n";
    } catch (const ProfileError& e) {
        err << "korvo: " << e.what() << "\n";
        return nullptr;
    }
    return model;
}

std::string Padded(std::string text, std::size_t width) {
    // Widths count characters, and the texts are printed in UTF-8.
    std::size_t shown = 0;
    for (unsigned char c : text) shown += (c & 0xC0) != 0x80;
    if (shown < width) text.append(width - shown, ' ');
    return text;
}

std::string Hex2(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", value);
    return text;
}

std::string JsonStrings(const std::vector<std::string>& items) {
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) text += (i > 0 ? ", " : "") + JsonString(items[i]);
    return text + "]";
}

std::string ModulesJson(const std::vector<ScannedModule>& modules) {
    std::string text = "[";
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const ScannedModule& m = modules[i];
        text += std::string(i > 0 ? ",\n  " : "\n  ") + "{\"slot\": " + std::to_string(m.slot) +
                ", \"idCode\": " + std::to_string(m.idCode) + ", \"lengthCode\": " + std::to_string(m.lengthCode) +
                ", \"types\": " + JsonStrings(m.types) + ", \"text\": " + JsonString(m.Text()) + "}";
    }
    return text + (modules.empty() ? "]" : "\n ]");
}

std::string StateText(bool read, const CouplerState& state) { return read ? CouplerStateText(state) : "not read"; }

void PrintScan(const StationScan& scan, std::ostream& out) {
    out << "coupler " << scan.address << ": " << scan.modules.size() << " module(s), state: "
        << StateText(scan.stateRead, scan.state) << "\n";
    out << " slot  ID   length  type\n";
    for (const ScannedModule& m : scan.modules) {
        out << " " << Padded(std::to_string(m.slot), 5) << " " << Hex2(m.idCode) << "  " << Padded(Hex2(m.lengthCode), 7)
            << " " << Cp1252ToUtf8(m.Text()) << "\n";
    }
}

constexpr const char* kScanUsage =
    "usage: korvo scan ADDRESS [--catalogue FILE] [--json]\n"
    "       korvo scan ADDRESS --add-to PROJECT [--station-name NAME] [--choose SLOT=TYPE]... [--catalogue FILE]";

}  // namespace

int RunScanCommand(const std::vector<std::string>& argv, const std::string& defaultCatalogue, std::ostream& out,
                   std::ostream& err) {
    const auto args = Parse(argv, {"--json"}, {"--catalogue", "--add-to", "--station-name", "--choose"}, 1,
                            kScanUsage, err);
    if (!args) return 2;
    const std::string& address = args->positional[0];
    SlotChoices choices;
    for (const std::string& choice : args->values.count("--choose") ? args->values.at("--choose")
                                                                    : std::vector<std::string>{}) {
        const auto equals = choice.find('=');
        std::int32_t slot = 0;
        if (equals == std::string::npos || !TryStrToInt(choice.substr(0, equals), slot) || slot < 1 ||
            equals + 1 == choice.size()) {
            err << "korvo: --choose " << choice << " is not SLOT=TYPE\n" << kScanUsage << "\n";
            return 2;
        }
        choices[slot] = Utf8ToCp1252(choice.substr(equals + 1));
    }
    const auto project = args->Value("--add-to");
    const std::string stationName = Utf8ToCp1252(args->Value("--station-name").value_or(""));
    if (stationName.size() > kMaxStationNameLength) {
        err << "korvo: --station-name has " << stationName.size() << " characters, more than "
            << kMaxStationNameLength << "\n";
        return 2;
    }
    if (!project && (!choices.empty() || args->Value("--station-name"))) {
        err << "korvo: --choose and --station-name need --add-to PROJECT\n" << kScanUsage << "\n";
        return 2;
    }
    if (!ParseIPv4(address)) {
        err << "korvo: \"" << address << "\" is not a dotted IPv4 address\n";
        return 2;
    }
    const auto catalogue = LoadCatalogue(args->Value("--catalogue").value_or(defaultCatalogue), err);
    if (!catalogue) return 2;
    std::unique_ptr<StationModel> model;
    if (project) {
        model = LoadModel(*catalogue, *project, true, err);
        if (!model) return 2;
    }
    CommandDeadline deadline(std::chrono::seconds(60), ExitOnDeadline("scan " + address + ": no result within 60 s"));
    Pinger pinger;
    const StationScan scan = ScanStation(address, catalogue->list, &pinger);
    if (!scan.listRead) {
        err << "korvo: scan " << address << ": " << scan.failure << "\n";
        return 2;
    }
    if (args->Flag("--json")) {
        out << "{\"address\": " << JsonString(scan.address) << ", \"state\": "
            << JsonString(StateText(scan.stateRead, scan.state)) << ", \"allNamed\": "
            << (scan.AllNamed() ? "true" : "false") << ",\n \"modules\": " << ModulesJson(scan.modules) << "}\n";
    } else {
        PrintScan(scan, out);
    }
    if (!scan.failure.empty()) err << "korvo: scan " << address << ": " << scan.failure << "\n";
    if (!project) return scan.AllNamed() ? 0 : 1;

    const ScannedTypes types = TypesOfScan(scan, choices);
    if (!types.problems.empty()) {
        for (const std::string& problem : types.problems) err << "korvo: " << Cp1252ToUtf8(problem) << "\n";
        err << "korvo: nothing was added to \"" << *project << "\"\n";
        return 1;
    }
    const auto station =
        AppendScannedStation(*model, address, stationName, types.types);
    if (!station) {
        err << "korvo: \"" << *project << "\" has no room for " << types.types.size() + 1
            << " more modules (at most " << StationModel::kMaxModules << ")\n";
        return 2;
    }
    try {
        SaveProject(*model, *project);
    } catch (const ProfileError& e) {
        err << "korvo: " << e.what() << "\n";
        return 2;
    }
    out << "station " << *station << " \"" << Cp1252ToUtf8(model->Module(ProjectStations(*model).back().couplerSlot)->StationName)
        << "\" (" << address << ") with " << types.types.size() << " module(s) added to " << *project << "\n";
    return 0;
}

namespace {

constexpr std::int32_t kDiscoverExchangeSeconds = 5;

constexpr const char* kDiscoverUsage =
    "usage: korvo discover RANGE [--project PROJECT] [--json] [--timeout MS] [--jobs N] [--catalogue FILE]";

std::string FoundCouplerJson(const FoundCoupler& found, bool withProject) {
    const StationScan& scan = found.scan;
    std::string text = "{\"address\": " + JsonString(scan.address) +
                       ", \"read\": " + (scan.listRead ? "true" : "false") +
                       ", \"moduleCount\": " + std::to_string(scan.modules.size()) +
                       ", \"types\": " + JsonString(scan.TypeSummary()) +
                       ", \"state\": " + (scan.stateRead ? JsonString(CouplerStateText(scan.state)) : "null") +
                       ", \"failure\": " + (scan.failure.empty() ? "null" : JsonString(scan.failure));
    if (withProject) {
        text += ", \"station\": " + (found.station > 0 ? std::to_string(found.station) : std::string("null")) +
                ", \"stationName\": " + (found.station > 0 ? JsonString(found.stationName) : "null") +
                ", \"match\": " + (found.station > 0 ? (found.match ? "true" : "false") : "null") +
                ", \"difference\": " +
                (found.station > 0 && !found.match ? JsonString(found.firstDifference) : "null");
    }
    return text + ",\n  \"modules\": " + ModulesJson(scan.modules) + "}";
}

}  // namespace

int RunDiscoverCommand(const std::vector<std::string>& argv, const std::string& defaultCatalogue,
                       std::ostream& out, std::ostream& err) {
    const auto args =
        Parse(argv, {"--json"}, {"--project", "--timeout", "--jobs", "--catalogue"}, 1, kDiscoverUsage, err);
    if (!args) return 2;
    const auto timeout = NumberOption(*args, "--timeout", 500, 1, 60000, kDiscoverUsage, err);
    const auto jobs = NumberOption(*args, "--jobs", 16, 1, kMaxPlantJobs, kDiscoverUsage, err);
    if (!timeout || !jobs) return 2;
    const AddressRange range = ParseAddressRange(args->positional[0]);
    if (!range.error.empty()) {
        err << "korvo: " << range.error << "\n";
        return 2;
    }
    const auto catalogue = LoadCatalogue(args->Value("--catalogue").value_or(defaultCatalogue), err);
    if (!catalogue) return 2;
    std::unique_ptr<StationModel> model;
    if (const auto project = args->Value("--project")) {
        model = LoadModel(*catalogue, *project, false, err);
        if (!model) return 2;
    }
    // Something else that takes connections on the port must not hold a coupler's
    // place for the library's usual limit.
    const std::int32_t exchangeSeconds = kDiscoverExchangeSeconds;
    ETH_SetClientOptions(ETH_OPTION_EXCHANGE_TIMEOUT, &exchangeSeconds, sizeof exchangeSeconds);
    const Discovery found = DiscoverCouplers(range, catalogue->list, model.get(),
                                             std::chrono::milliseconds(*timeout), *jobs);
    bool negative = found.couplers.empty() || !found.missing.empty();
    for (const FoundCoupler& c : found.couplers) {
        if (!c.scan.listRead || (model && (c.station == 0 || !c.match))) negative = true;
    }
    if (args->Flag("--json")) {
        out << "{\"range\": " << JsonString(args->positional[0]) << ", \"probed\": " << range.addresses.size()
            << ",\n \"couplers\": [";
        for (std::size_t i = 0; i < found.couplers.size(); ++i) {
            out << (i > 0 ? ",\n  " : "\n  ") << FoundCouplerJson(found.couplers[i], model != nullptr);
        }
        out << (found.couplers.empty() ? "]" : "\n ]");
        if (model) {
            out << ",\n \"missing\": [";
            for (std::size_t i = 0; i < found.missing.size(); ++i) {
                const MissingStation& m = found.missing[i];
                out << (i > 0 ? ", " : "") << "{\"station\": " << m.station << ", \"name\": " << JsonString(m.name)
                    << ", \"address\": " << JsonString(m.address) << ", \"inRange\": " << (m.inRange ? "true" : "false")
                    << "}";
            }
            out << "]";
        }
        out << "}\n";
        return negative ? 1 : 0;
    }
    out << " " << Padded("address", 16) << Padded("modules", 9) << Padded("state", 20) << (model ? "station     " : "")
        << "types\n";
    for (const FoundCoupler& c : found.couplers) {
        const StationScan& s = c.scan;
        out << " " << Padded(s.address, 16) << Padded(s.listRead ? std::to_string(s.modules.size()) : "-", 9)
            << Padded(StateText(s.stateRead, s.state), 20);
        if (model) out << Padded(c.station > 0 ? std::to_string(c.station) : "-", 12);
        out << (s.listRead ? Cp1252ToUtf8(s.TypeSummary()) : "(" + s.failure + ")") << "\n";
        if (model && c.station > 0) {
            out << "      station " << c.station << " \"" << Cp1252ToUtf8(c.stationName) << "\": "
                << (c.match ? "modules match" : Cp1252ToUtf8(c.firstDifference)) << "\n";
        } else if (model) {
            out << "      no station of the project has this address\n";
        }
    }
    for (const MissingStation& m : found.missing) {
        out << " not found: station " << m.station << " \"" << Cp1252ToUtf8(m.name) << "\" (" << m.address << ")"
            << (m.inRange ? "" : ", outside the range") << "\n";
    }
    out << found.couplers.size() << " coupler(s) answered in " << range.addresses.size() << " address(es)\n";
    return negative ? 1 : 0;
}

namespace {

constexpr const char* kCheckAllUsage =
    "usage: korvo check --all PROJECT [--jobs N] [--record DIR] [--json] [--timeout SECONDS] [--catalogue FILE]";

std::string RowsJson(const std::vector<ConfigurationRow>& rows) {
    std::string text = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ConfigurationRow& row = rows[i];
        text += std::string(i > 0 ? ",\n   " : "\n   ") + "{\"slot\": " + std::to_string(row.slot) +
                ", \"expected\": " + (row.expected.empty() ? std::string("null") : JsonString(row.expected)) +
                ", \"found\": " + (row.reported ? JsonString(row.found) : std::string("null")) +
                ", \"match\": " + (row.match ? "true" : "false") + "}";
    }
    return text + (rows.empty() ? "]" : "\n  ]");
}

std::string StationCheckJson(const StationCheck& c) {
    return "{\"station\": " + std::to_string(c.station) + ", \"name\": " + JsonString(c.name) +
           ", \"address\": " + JsonString(c.address) + ", \"reachable\": " + (c.reachable ? "true" : "false") +
           ", \"match\": " + (c.match ? "true" : "false") +
           ", \"result\": " + JsonString(CheckVerdict(c)) +
           ", \"state\": " + (c.stateRead ? JsonString(CouplerStateText(c.state)) : std::string("null")) +
           ", \"started\": " + JsonString(IoTestRecorder::TimeText(c.started)) + ", \"finished\": " + JsonString(IoTestRecorder::TimeText(c.finished)) +
           ",\n  \"rows\": " + RowsJson(c.rows) + "}";
}

}  // namespace

int RunCheckAllCommand(const std::vector<std::string>& argv, const std::string& defaultCatalogue,
                       std::ostream& out, std::ostream& err) {
    const auto args = Parse(argv, {"--all", "--json"}, {"--jobs", "--record", "--timeout", "--catalogue"}, 1,
                            kCheckAllUsage, err);
    if (!args) return 2;
    const auto jobs = NumberOption(*args, "--jobs", 16, 1, kMaxPlantJobs, kCheckAllUsage, err);
    const auto timeout = NumberOption(*args, "--timeout", 0, 1, 86400, kCheckAllUsage, err);
    if (!jobs || !timeout) return 2;
    const auto catalogue = LoadCatalogue(args->Value("--catalogue").value_or(defaultCatalogue), err);
    if (!catalogue) return 2;
    const auto model = LoadModel(*catalogue, args->positional[0], false, err);
    if (!model) return 2;
    if (ProjectStations(*model).empty()) {
        err << "korvo: the project \"" << args->positional[0] << "\" has no station\n";
        return 2;
    }
    const auto record = args->Value("--record");
    if (record) {
        std::error_code ec;
        std::filesystem::create_directories(*record, ec);
        if (!std::filesystem::is_directory(*record, ec)) {
            err << "korvo: --record " << *record << ": not a folder that can be written\n";
            return 2;
        }
    }
    CommandDeadline deadline(std::chrono::seconds(*timeout),
                             ExitOnDeadline("check --all: no result within " + std::to_string(*timeout) +
                                            " s (--timeout)"));
    Pinger pinger;
    PlantCheckOptions options;
    options.jobs = *jobs;
    options.pinger = &pinger;
    const std::vector<StationCheck> checks = CheckPlant(*model, catalogue->list, options);
    bool allMatch = true;
    for (const StationCheck& c : checks) allMatch = allMatch && c.match;
    if (record) {
        for (const StationCheck& c : checks) {
            const auto file = std::filesystem::path(*record) / ("check-station" + std::to_string(c.station) + ".json");
            if (const auto why = WriteFileSafely(file, StationCheckJson(c) + "\n")) {
                err << "korvo: cannot write " << file.string() << ": " << *why << "\n";
                return 2;
            }
        }
    }
    if (args->Flag("--json")) {
        out << "[";
        for (std::size_t i = 0; i < checks.size(); ++i) out << (i > 0 ? ",\n " : "\n ") << StationCheckJson(checks[i]);
        out << (checks.empty() ? "]\n" : "\n]\n");
        return allMatch ? 0 : 1;
    }
    out << " " << Padded("station", 9) << Padded("name", 18) << Padded("address", 16) << Padded("reachable", 11)
        << Padded("state", 20) << "result\n";
    int matching = 0;
    for (const StationCheck& c : checks) {
        matching += c.match;
        out << " " << Padded(std::to_string(c.station), 9) << Padded(Cp1252ToUtf8(c.name), 18) << Padded(c.address, 16)
            << Padded(c.reachable ? "yes" : "no", 11) << Padded(StateText(c.stateRead, c.state), 20)
            << Cp1252ToUtf8(CheckVerdict(c)) << "\n";
    }
    out << matching << " of " << checks.size() << " station(s) match\n";
    return allMatch ? 0 : 1;
}

}  // namespace korvo
