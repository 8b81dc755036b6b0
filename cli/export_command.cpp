#include "export_command.h"

#include "input_files.h"
#include "docs/address_map_export.h"
#include "docs/export_text.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_budget.h"
#include "station/station_model.h"
#include "station/versch.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace korvo {

namespace {

constexpr const char* kUsage =
    "usage: korvo export PROJECT [--catalogue FILE] [--station N] --format csv|gvl|json [--input-base BYTE] "
    "[--output-base BYTE] [-o FILE] [--skip-unknown]";
constexpr int kMaxBase = 65535;

struct ExportArguments {
    std::string project;
    std::string catalogue;
    std::string output;
    std::optional<ExportFormat> format;
    ExportOptions options;
    bool skipUnknown = false;
};

bool Number(const std::string& value, int max, int& number) {
    std::int32_t parsed = 0;
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || !TryStrToInt(value, parsed) ||
        parsed > max) {
        return false;
    }
    number = parsed;
    return true;
}

bool Parse(const std::vector<std::string>& args, ExportArguments& a, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--catalogue" || arg == "--station" || arg == "--format" ||
                                arg == "--input-base" || arg == "--output-base" || arg == "-o";
        if (takesValue && i + 1 >= args.size()) {
            err << "korvo export: " << arg << " needs a value\n";
            return false;
        }
        if (arg == "--catalogue") {
            a.catalogue = args[++i];
        } else if (arg == "-o") {
            a.output = args[++i];
            if (a.output.empty()) {
                err << "korvo export: -o needs a file name (- for standard output)\n";
                return false;
            }
            if (a.output == "-" || a.output == "/dev/stdout") a.output.clear();
        } else if (arg == "--skip-unknown") {
            a.skipUnknown = true;
        } else if (arg == "--format") {
            a.format = ParseExportFormat(args[++i]);
            if (!a.format) {
                err << "korvo export: unknown format \"" << args[i] << "\" (csv, gvl or json)\n";
                return false;
            }
        } else if (arg == "--station") {
            if (!Number(args[++i], StationModel::kMaxModules, a.options.station) || a.options.station < 1) {
                err << "korvo export: --station needs a station number from 1 to " << StationModel::kMaxModules
                    << ", not \"" << args[i] << "\"\n";
                return false;
            }
        } else if (arg == "--input-base" || arg == "--output-base") {
            int& base = arg == "--input-base" ? a.options.inputBase : a.options.outputBase;
            if (!Number(args[++i], kMaxBase, base)) {
                err << "korvo export: " << arg << " needs a byte address from 0 to " << kMaxBase << ", not \""
                    << args[i] << "\"\n";
                return false;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            err << "korvo export: unknown option " << arg << "\n";
            return false;
        } else if (a.project.empty()) {
            a.project = arg;
        } else {
            err << "korvo export: more than one project given\n";
            return false;
        }
    }
    if (a.project.empty()) {
        err << kUsage << "\n";
        return false;
    }
    if (!a.format && !a.output.empty()) a.format = FormatOfFile(a.output);
    if (!a.format) {
        err << "korvo export: --format csv, gvl or json is needed\n";
        return false;
    }
    a.options.format = *a.format;
    return true;
}

}  // namespace

int RunExportCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                     const std::string& programFolder, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage << "\n";
        return 0;
    }
    ExportArguments a;
    a.catalogue = defaultCatalogue;
    if (!Parse(args, a, err)) return 2;
    if (const auto why = MissingInputFile(a.catalogue, a.project)) {
        err << "korvo export: " << *why << "\n";
        return 2;
    }
    a.options.project = std::filesystem::path(a.project).filename().string();
    try {
        const ProfileFile catalogueIni = ProfileFile::Load(a.catalogue);
        StationModel model(&catalogueIni, programFolder);
        const ProjectLoadReport report = LoadProject(model, std::filesystem::path(a.project));
        for (const std::string& warning : report.warnings) err << "korvo export: " << warning << "\n";
        if (!report.unknownTypes.empty() && !a.skipUnknown) {
            err << "korvo export: " << UnknownTypesRefusal(report) << "\n";
            return 2;
        }
        // Addresses beyond the image would name bytes the coupler does not have.
        if (const auto over = OverBudgetRefusal(model, a.options.station)) {
            err << "korvo export: " << *over << "\n";
            return 2;
        }
        const AddressMapExport result = a.output.empty() ? RenderAddressMap(model, a.options)
                                                         : ExportAddressMap(model, a.options, a.output);
        for (const std::string& problem : result.descriptionProblems)
            err << "korvo export: " << problem << " (its points are exported without a description)\n";
        for (const std::string& note : result.notes) err << "korvo export: " << note << "\n";
        if (a.output.empty()) out << result.text;
    } catch (const ProfileError& e) {
        err << "korvo export: " << e.what() << "\n";
        return 2;
    } catch (const ExportError& e) {
        err << "korvo export: " << e.what() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace korvo
