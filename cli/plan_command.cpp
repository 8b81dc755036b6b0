#include "plan_command.h"

#include "input_files.h"
#include "pdf_painting.h"
#include "docs/connection_description.h"
#include "docs/connection_list.h"
#include "docs/connection_plan.h"
#include "docs/plan_text.h"
#include "docs/plc_names.h"
#include "docs/windows/connection_list_painter.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_budget.h"
#include "station/station_model.h"
#include "station/text_encoding.h"
#include "station/versch.h"

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>

#include <filesystem>
#include <memory>
#include <ostream>

namespace korvo {

namespace {

constexpr const char* kUsage =
    "usage: korvo plan PROJECT [--catalogue FILE] [--station N] [--pdf FILE | --text] [--skip-unknown]";

struct PlanOptions {
    std::string project;
    std::string catalogue;
    int station = 0;  // 0: all stations
    std::string pdf;
    bool pdfGiven = false;
    bool skipUnknown = false;
};

// Parses the arguments; false after a message on err.
bool ParseArguments(const std::vector<std::string>& args, PlanOptions& options, std::ostream& err) {
    bool text = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--catalogue" || arg == "--station" || arg == "--pdf";
        if (takesValue && i + 1 >= args.size()) {
            err << "korvo plan: " << arg << " needs a value\n" << kUsage << "\n";
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            err << kUsage << "\n";
            return false;
        } else if (arg == "--catalogue") {
            options.catalogue = args[++i];
        } else if (arg == "--station") {
            std::int32_t number = 0;
            const std::string& value = args[++i];
            if (value.find_first_not_of("0123456789") != std::string::npos || !TryStrToInt(value, number) ||
                number < 1 || number > StationModel::kMaxModules) {
                err << "korvo plan: --station needs a station number from 1 to " << StationModel::kMaxModules
                    << ", not \"" << value << "\"\n";
                return false;
            }
            options.station = number;
        } else if (arg == "--pdf") {
            options.pdf = args[++i];
            options.pdfGiven = true;
            if (options.pdf.empty()) {
                err << "korvo plan: --pdf needs a file name\n";
                return false;
            }
        } else if (arg == "--skip-unknown") {
            options.skipUnknown = true;
        } else if (arg == "--text") {
            text = true;
        } else if (!arg.empty() && arg[0] == '-') {
            err << "korvo plan: unknown option " << arg << "\n" << kUsage << "\n";
            return false;
        } else if (options.project.empty()) {
            options.project = arg;
        } else {
            err << "korvo plan: more than one project given\n" << kUsage << "\n";
            return false;
        }
    }
    if (text && !options.pdf.empty()) {
        err << "korvo plan: --pdf and --text exclude each other\n" << kUsage << "\n";
        return false;
    }
    if (options.project.empty()) {
        err << kUsage << "\n";
        return false;
    }
    return true;
}

// The connection plan as the PDF report.
bool WritePdf(const std::vector<std::string>& plan, const ProjectProperties& properties, const std::string& file,
              std::ostream& err) {
    const std::unique_ptr<QGuiApplication> app = PaintingApplication();
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy  hh:mm:ss"));
    const ConnectionListReport report = LayoutConnectionList(plan, now.toStdString(), {}, properties);
    QString error;
    if (!WriteConnectionListPdf(report, QFile::decodeName(QByteArray::fromStdString(file)), &error)) {
        err << "korvo plan: " << error.toStdString() << "\n";
        return false;
    }
    return true;
}

}  // namespace

int RunPlanCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                   const std::string& programFolder, std::ostream& out, std::ostream& err) {
    PlanOptions options;
    options.catalogue = defaultCatalogue;
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage << "\n";
        return 0;
    }
    if (!ParseArguments(args, options, err)) return 2;
    if (const auto why = MissingInputFile(options.catalogue, options.project)) {
        err << "korvo plan: " << *why << "\n";
        return 2;
    }
    std::vector<std::string> plan;
    ProjectProperties properties;
    try {
        const ProfileFile catalogueIni = ProfileFile::Load(options.catalogue);
        StationModel model(&catalogueIni, programFolder);
        const ProjectLoadReport report = LoadProject(model, std::filesystem::path(options.project));
        for (const std::string& warning : report.warnings) err << "korvo plan: " << warning << "\n";
        if (!report.unknownTypes.empty() && !options.skipUnknown) {
            err << "korvo plan: " << UnknownTypesRefusal(report) << "\n";
            return 2;
        }
        int first = 1;
        int last = model.ModuleCount;
        if (options.station > 0 && !StationSlots(model, options.station, first, last)) {
            err << "korvo plan: the project has no station " << options.station << "\n";
            return 2;
        }
        if (const auto over = OverBudgetRefusal(model, options.station)) {
            err << "korvo plan: " << *over << "\n";
            return 2;
        }
        BuildConnectionPlan(model, plan, first, last);
        properties = model.Properties;
        // The plan keeps the tags as the system names them; say what IEC names make of them.
        for (int slot = first; slot <= last; ++slot) {
            const TModul* coupler = model.Module(slot);
            if (coupler == nullptr || !coupler->IsCoupler()) continue;
            if (const auto warning = StationNameWarning(coupler->StationName)) {
                err << "korvo plan: station " << coupler->StationsNummmer << " \"" << Cp1252ToUtf8(coupler->StationName)
                    << "\": " << Cp1252ToUtf8(*warning) << "\n";
            }
        }
    } catch (const ProfileError& e) {
        err << "korvo plan: " << e.what() << "\n";
        return 2;
    } catch (const PlanError& e) {
        err << "korvo plan: " << e.what() << "\n";
        return 2;
    }
    if (!options.pdf.empty()) return WritePdf(plan, properties, options.pdf, err) ? 0 : 2;
    // A project without properties prints the plan alone, as it always did.
    if (properties != ProjectProperties{}) {
        std::vector<std::string> titled = TitleBlockLines(properties);
        titled.emplace_back();
        titled.insert(titled.end(), plan.begin(), plan.end());
        plan = std::move(titled);
    }
    out << PlanText(plan);
    return 0;
}

}  // namespace korvo
