#include "report_command.h"

#include "input_files.h"
#include "pdf_painting.h"

#include "docs/plant_report.h"
#include "docs/windows/plant_report_painter.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <QFile>
#include <QGuiApplication>

#include <filesystem>
#include <memory>
#include <ostream>

namespace korvo {

namespace {

constexpr const char* kUsage =
    "usage: korvo report PROJECT --records DIR (--pdf FILE | --text) [--catalogue FILE]";

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue, std::ostream& out,
                     std::ostream& err) {
    std::string project;
    std::string records;
    std::string pdf;
    std::string catalogue = defaultCatalogue;
    bool text = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--text") {
            text = true;
        } else if (arg == "--records" || arg == "--pdf" || arg == "--catalogue") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                err << "korvo: " << arg << " needs a value\n" << kUsage << "\n";
                return 2;
            }
            (arg == "--records" ? records : arg == "--pdf" ? pdf : catalogue) = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            err << "korvo: unknown option " << arg << "\n" << kUsage << "\n";
            return 2;
        } else if (project.empty()) {
            project = arg;
        } else {
            err << kUsage << "\n";
            return 2;
        }
    }
    if (project.empty() || records.empty() || pdf.empty() == !text) {
        err << kUsage << "\n";
        return 2;
    }
    if (const auto why = MissingInputFile(catalogue, project)) {
        err << "korvo: " << *why << "\n";
        return 2;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(records, ec)) {
        err << "korvo: the records folder \"" << records << "\" does not exist\n";
        return 2;
    }
    std::vector<std::string> lines;
    try {
        const ProfileFile catalogueIni = ProfileFile::Load(catalogue);
        StationModel model(&catalogueIni, "/");
        const ProjectLoadReport loaded = LoadProject(model, std::filesystem::path(project));
        for (const std::string& warning : loaded.warnings) err << "korvo: " << warning << "\n";
        const PlantReport report = MergePlantReport(model, std::filesystem::path(project).filename().string(),
                                                    FindPlantRecords(records));
        for (const std::string& problem : report.problems) err << "korvo: left out " << problem << "\n";
        lines = PlantReportLines(report);
    } catch (const ProfileError& e) {
        err << "korvo: " << e.what() << "\n";
        return 2;
    }
    if (text) {
        for (const std::string& line : lines) out << line << "\n";
        return 0;
    }
    const std::unique_ptr<QGuiApplication> app = PaintingApplication();
    QString error;
    if (!WritePlantReportPdf(lines, QFile::decodeName(QByteArray::fromStdString(pdf)), &error)) {
        err << "korvo: report: " << error.toStdString() << "\n";
        return 2;
    }
    out << "report of " << (lines.size() > 1 ? lines[1] : std::string()) << " written to " << pdf << "\n";
    return 0;
}

}  // namespace korvo
