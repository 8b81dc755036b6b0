#include "project_file.h"

#include "catalogue.h"
#include "message_text.h"
#include "versch.h"

namespace korvo {

namespace {

constexpr const char* kModuleSection = "Module";
constexpr const char* kParameterSection = "Parameter";
constexpr const char* kDefaultAddress = "0.0.0.0";
constexpr const char* kDefaultStationName = "ZELK Station";

std::string StationSection(int number) {
    return "Station" + std::to_string(number);
}
std::string NameKey(int slot) {
    return "Name" + std::to_string(slot);
}
// Slot and comment number are joined without a separator; existing files rely on it.
std::string CommentKey(int slot, int comment) {
    return "Comment" + std::to_string(slot) + std::to_string(comment);
}

// Items of a comma list as the dialogs count them: a final separator ends the list
// and opens no item of its own.
int ListItemCount(std::string_view list) {
    if (list.empty()) return 0;
    int count = 1;
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
        if (list[i] == ',') ++count;
    }
    return count;
}

// Reads a key and cuts its text at `limit`, with a warning naming the key. A cut
// parameter list ends at its last whole item, so that no half number is kept.
std::string ReadLimited(const ProfileFile& file, const std::string& section, const std::string& key,
                        const std::string& def, std::size_t limit, bool list, ProjectLoadReport& report) {
    std::string text = file.ReadString(section, key, def);
    if (text.size() <= limit) return text;
    const std::size_t length = text.size();
    std::size_t keep = limit;
    if (list) {
        const std::size_t comma = text.rfind(',', limit);
        keep = comma == std::string::npos ? 0 : comma + 1;
    }
    text.resize(keep);
    report.warnings.push_back("\"" + file.Path().string() + "\" [" + section + "] " + key + ": the text of " +
                              std::to_string(length) + " characters is cut to " + std::to_string(keep) +
                              " (at most " + std::to_string(limit) + " are kept)");
    return text;
}

}  // namespace

std::optional<std::string> ShortParameterList(const TModul& module, int slot) {
    const int words = module.Parameter_input + module.Parameter_output;
    const int items = ListItemCount(module.Parameter);
    if (items == 0 || items >= words) return std::nullopt;
    return "Module " + std::to_string(slot) + " (" + MessageText(module.ModulType) + "): the stored parameter \"" +
           MessageText(module.Parameter) + "\" has " + std::to_string(items) + " of " + std::to_string(words) +
           " words; its last item would be repeated for the other " + std::to_string(words - items);
}

void SaveProject(const StationModel& model, const std::filesystem::path& path) {
    ProfileFile file = ProfileFile::Load(path);
    WriteProject(model, file);
    file.SaveAs(path);
}

std::string ProjectText(const StationModel& model) {
    ProfileFile file;
    WriteProject(model, file);
    return file.Text();
}

void WriteProject(const StationModel& model, ProfileFile& file) {
    file.EraseSection(kModuleSection);
    file.EraseSection(kParameterSection);
    for (int i = 1; i <= model.ModuleCount; ++i) {
        if (file.SectionExists(StationSection(i))) file.EraseSection(StationSection(i));
    }
    file.WriteString(kModuleSection, "Anzahl", std::to_string(model.ModuleCount));
    for (int i = 1; i <= model.ModuleCount; ++i) {
        const TModul* m = model.Module(i);
        if (m == nullptr) continue;
        if (m->IsCoupler()) {
            const std::string section = StationSection(m->StationsNummmer);
            file.WriteString(section, "IPAddress", m->IPAddress);
            file.WriteString(section, "Mask", m->Subnet_Maske);
            file.WriteString(section, "MAC Address", m->MACAddress);
            file.WriteString(section, "Gateway Address", m->Gate_way);
            file.WriteString(section, "Station Name", m->StationName);
        }
        file.WriteString(kModuleSection, NameKey(i), m->ModulType);
        file.WriteString(kParameterSection, NameKey(i), m->Parameter);
        for (int j = 1; j <= m->CommentCount(); ++j) {
            file.WriteString(kParameterSection, CommentKey(i, j),
                             m->ParameterComment[static_cast<std::size_t>(j)]);
        }
    }
    // Written only when there is something to say, so projects without properties
    // stay as older versions wrote them.
    file.EraseSection(kProjectSection);
    const ProjectProperties& properties = model.Properties;
    if (properties != ProjectProperties{}) {
        file.WriteString(kProjectSection, "Name", properties.Name);
        file.WriteString(kProjectSection, "Description", properties.Description);
        file.WriteString(kProjectSection, "Customer", properties.Customer);
        file.WriteString(kProjectSection, "Tester", properties.Tester);
    }
}

ProjectLoadReport LoadProject(StationModel& model, const std::filesystem::path& path) {
    return LoadProject(model, ProfileFile::Load(path));
}

ProjectLoadReport LoadProject(StationModel& model, const ProfileFile& file) {
    ProjectLoadReport report;
    if (model.ModuleCount != 0) model.ClearStation();

    report.DebugAllowed = file.ReadInteger("System", "Debug", 0) != 0;
    const auto property = [&](const char* key) {
        return ReadLimited(file, kProjectSection, key, "", kMaxModuleTextLength, false, report);
    };
    model.Properties = ProjectProperties{property("Name"), property("Description"), property("Customer"),
                                         property("Tester")};
    // A file that is no project at all (another file, binary, another
    // encoding) would load as an empty station without a word.
    if (!file.SectionExists(kModuleSection) && !file.Text().empty()) {
        report.warnings.push_back("\"" + file.Path().string() +
                                  "\" is not a project file: it has no [Module] section; the station is empty.");
    }
    int count = file.ReadInteger(kModuleSection, "Anzahl", 0);
    const std::string countText = file.ReadString(kModuleSection, "Anzahl", "0");
    std::int32_t parsed = 0;
    if (!TryStrToInt(countText, parsed)) {
        report.warnings.push_back("\"" + file.Path().string() + "\" gives the module count \"Anzahl=" + countText +
                                  "\", which is not a whole number; no modules are loaded.");
    }
    if (count < 0) {
        report.warnings.push_back("\"" + file.Path().string() + "\" gives a negative module count (" +
                                  std::to_string(count) + "); no modules are loaded.");
        count = 0;
    }
    if (count > StationModel::kMaxModules) {
        report.warnings.push_back("\"" + file.Path().string() + "\" names " + std::to_string(count) +
                                  " modules; a station list holds " +
                                  std::to_string(StationModel::kMaxModules) + ", so only the first " +
                                  std::to_string(StationModel::kMaxModules) + " are loaded.");
        count = StationModel::kMaxModules;
    }
    std::vector<std::string> moduleNames;
    moduleNames.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) moduleNames.push_back(file.ReadString(kModuleSection, NameKey(i), ""));

    bool first = true;
    const StationModel::ArrangeHold arrangeOnce(model);
    for (int i = 1; i <= static_cast<int>(moduleNames.size()); ++i) {
        const std::string& name = moduleNames[static_cast<std::size_t>(i - 1)];
        std::optional<std::string> error;
        model.AppendModule(name, &error);
        if (error) report.warnings.push_back("Module " + std::to_string(i) + " (" + MessageText(name) + "): " + *error);
        // An empty name is an empty slot, which the commands report as such.
        if (!name.empty() && model.Catalogue() != nullptr && !model.Catalogue()->SectionExists(name)) {
            report.unknownTypes.push_back(i);
            report.warnings.push_back("module " + std::to_string(i) + " has the type \"" + MessageText(name) +
                                      "\", which the catalogue does not know; it has no process data, so the "
                                      "addresses after it differ from the coupler's");
        }
        TModul* m = model.Module(model.ModuleCount);
        m->Parameter = ReadLimited(file, kParameterSection, NameKey(i), "", kMaxModuleTextLength, true, report);
        for (int j = 1; j <= m->CommentCount(); ++j) {
            m->ParameterComment[static_cast<std::size_t>(j)] =
                ReadLimited(file, kParameterSection, CommentKey(i, j), "", kMaxModuleTextLength, false, report);
        }
        if (auto shortList = ShortParameterList(*m, i)) report.warnings.push_back(std::move(*shortList));
        if (name != kCouplerType) continue;
        const std::string section = StationSection(model.StationCount);
        const auto address = [&](const char* key) {
            return ReadLimited(file, section, key, kDefaultAddress, kMaxStationNameLength, false, report);
        };
        m->IPAddress = address("IPAddress");
        m->Subnet_Maske = address("Mask");
        m->MACAddress = address("MAC Address");
        m->Gate_way = address("Gateway Address");
        m->StationName =
            ReadLimited(file, section, "Station Name", kDefaultStationName, kMaxStationNameLength, false, report);
        if (first) {
            first = false;
            model.CurrentIP = m->IPAddress;
            model.CurrentMask = m->Subnet_Maske;
            model.CurrentGateway = m->Gate_way;
            model.CurrentStationName = m->StationName;
            model.CurrentMAC = m->MACAddress;
            model.CurrentStation = 1;
            model.CurrentModule = 1;
            model.CurrentCouplerModule = i;
            model.Ui().SetStationStatus(StationModel::StationStatusText(*m));
        }
    }
    return report;
}

}  // namespace korvo
