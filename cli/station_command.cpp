#include "station_command.h"

#include "input_files.h"
#include "json_text.h"

#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"
#include "station/text_encoding.h"

#include <filesystem>
#include <ostream>

namespace korvo {

namespace {

constexpr const char* kUsage = "usage: korvo station PROJECT [--catalogue FILE] [--json]";

std::string Range(int start, int end) {
    if (end <= start) return "-";
    if (end - start == 1) return std::to_string(start);
    return std::to_string(start) + ".." + std::to_string(end - 1);
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

void PrintAddressMap(const StationModel& model, std::ostream& out) {
    out << "Slot  Type              Station  Link   In  Out  Input bytes  Output bytes\n";
    for (int slot = 1; slot <= model.ModuleCount; ++slot) {
        const TModul* m = model.Module(slot);
        if (m == nullptr) continue;
        if (m->IsCoupler()) {
            out << "\n";
        }
        out << RightAligned(std::to_string(slot), 4) << "  " << Padded(Cp1252ToUtf8(m->ModulType), 16) << "  "
            << RightAligned(std::to_string(m->StationsNummmer), 7) << "  "
            << RightAligned(std::to_string(m->ModulZuStations), 4) << "  "
            << RightAligned(std::to_string(m->Input), 3) << "  " << RightAligned(std::to_string(m->output), 3)
            << "  " << Padded(Range(m->InputStart(), m->ByteOffsetInput), 11) << "  "
            << Range(m->OutputStart(), m->ByteOffsetOutput) << "\n";
        if (m->IsCoupler()) {
            out << "      station \"" << Cp1252ToUtf8(m->StationName) << "\"  IP " << m->IPAddress
                << "  mask " << m->Subnet_Maske << "  gateway " << m->Gate_way << "  MAC " << m->MACAddress
                << "\n";
        }
        if (!m->Parameter.empty()) out << "      parameter: " << Cp1252ToUtf8(m->Parameter) << "\n";
        for (int j = 1; j <= m->CommentCount(); ++j) {
            const std::string& comment = m->ParameterComment[static_cast<std::size_t>(j)];
            if (!comment.empty()) out << "      comment " << j << ": " << Cp1252ToUtf8(comment) << "\n";
        }
    }
}

void PrintAddressMapJson(const StationModel& model, std::ostream& out) {
    out << "[";
    bool first = true;
    for (int slot = 1; slot <= model.ModuleCount; ++slot) {
        const TModul* m = model.Module(slot);
        if (m == nullptr) continue;
        out << (first ? "\n" : ",\n");
        first = false;
        out << "  {\"slot\": " << slot << ", \"type\": " << JsonString(m->ModulType)
            << ", \"station\": " << m->StationsNummmer << ", \"link\": " << m->ModulZuStations
            << ", \"in\": " << m->Input << ", \"out\": " << m->output << ", \"inStart\": " << m->InputStart()
            << ", \"inEnd\": " << m->ByteOffsetInput << ", \"outStart\": " << m->OutputStart()
            << ", \"outEnd\": " << m->ByteOffsetOutput << ", \"parameter\": " << JsonString(m->Parameter)
            << ", \"comments\": [";
        for (int j = 1; j <= m->CommentCount(); ++j) {
            out << (j > 1 ? ", " : "") << JsonString(m->ParameterComment[static_cast<std::size_t>(j)]);
        }
        out << "]}";
    }
    out << (first ? "]\n" : "\n]\n");
}

int RunStationCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                      std::ostream& out, std::ostream& err) {
    std::string project;
    std::string catalogue = defaultCatalogue;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--catalogue") {
            if (i + 1 >= args.size()) {
                err << "korvo station: --catalogue needs a file name\n";
                return 2;
            }
            catalogue = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            err << "korvo station: unknown option " << arg << "\n" << kUsage << "\n";
            return 2;
        } else if (project.empty()) {
            project = arg;
        } else {
            err << "korvo station: more than one project given\n" << kUsage << "\n";
            return 2;
        }
    }
    if (project.empty()) {
        err << kUsage << "\n";
        return 2;
    }
    if (const auto why = MissingInputFile(catalogue, project)) {
        err << "korvo station: " << *why << "\n";
        return 2;
    }
    try {
        const ProfileFile catalogueIni = ProfileFile::Load(catalogue);
        StationModel model(&catalogueIni, std::filesystem::path(catalogue).parent_path().string() + "/");
        const ProjectLoadReport report = LoadProject(model, std::filesystem::path(project));
        for (const std::string& warning : report.warnings) err << "korvo station: " << warning << "\n";
        if (json)
            PrintAddressMapJson(model, out);
        else
            PrintAddressMap(model, out);
    } catch (const ProfileError& e) {
        err << "korvo station: " << e.what() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace korvo
