#include "module_command.h"

#include "input_files.h"
#include "json_text.h"

#include "dialogs/analog_output_value.h"
#include "dialogs/engineering_value.h"
#include "dialogs/module_dialog_registry.h"
#include "station/message_text.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"
#include "station/text_encoding.h"
#include "station/versch.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>

namespace korvo {

namespace {

constexpr const char* kUsage =
    "usage: korvo module PROJECT --slot N [--catalogue FILE] [--json]\n"
    "                    [--channel C [--set \"OPTION CAPTION\"]... [--value V] [--FIELD V]...\n"
    "                               [--word W]...]... [--save [--force]]";

// What the user asked for one channel, in the order given.
struct ChannelRequest {
    int channel = 1;
    std::vector<std::string> captions;
    // Field name (empty for --value, the dialog's first field) and text, as typed.
    std::vector<std::pair<std::string, std::string>> values;
    // Measured words to show in engineering units, as typed.
    std::vector<std::string> words;
};

struct Request {
    std::string project;
    std::string catalogue;
    int slot = 0;
    bool json = false;
    bool save = false;
    bool force = false;
    std::vector<ChannelRequest> channels;
};

// A failure that ends the command with exit status 2 and one line on err.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int PositiveNumber(const std::string& text, const std::string& option) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value) || value < 1 || text.find_first_not_of("0123456789") != std::string::npos)
        throw CommandError(option + " needs a positive number, not \"" + text + "\"");
    return value;
}

Request ParseArguments(const std::vector<std::string>& args, const std::string& defaultCatalogue) {
    Request request;
    request.catalogue = defaultCatalogue;
    const auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) throw CommandError(args[i] + " needs a value");
        return args[++i];
    };
    // --set and --value before any --channel belong to channel 1.
    const auto current = [&]() -> ChannelRequest& {
        if (request.channels.empty()) request.channels.emplace_back();
        return request.channels.back();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            request.json = true;
        } else if (arg == "--save") {
            request.save = true;
        } else if (arg == "--force") {
            request.force = true;
        } else if (arg == "--catalogue") {
            request.catalogue = value(i);
        } else if (arg == "--slot") {
            request.slot = PositiveNumber(value(i), "--slot");
        } else if (arg == "--channel") {
            request.channels.push_back({PositiveNumber(value(i), "--channel"), {}, {}, {}});
        } else if (arg == "--set") {
            current().captions.push_back(value(i));
        } else if (arg == "--value") {
            current().values.emplace_back("", value(i));
        } else if (arg == "--word") {
            current().words.push_back(value(i));
        } else if (arg.starts_with("--") && arg.size() > 2 && i + 1 < args.size()) {
            // A field of the dialog (e.g. --gate-time); checked once the module's type is known.
            current().values.emplace_back(arg.substr(2), value(i));
        } else if (!arg.empty() && arg[0] == '-') {
            throw CommandError("unknown option " + arg);
        } else if (request.project.empty()) {
            request.project = arg;
        } else {
            throw CommandError("more than one project given");
        }
    }
    if (request.project.empty()) throw CommandError("no project given");
    if (request.slot == 0) throw CommandError("--slot N is needed");
    return request;
}

std::string Trimmed(std::string text) {
    TrimBlanks(text);
    return text;
}

std::string CaptionList(const DialogChannel& channel) {
    std::string list;
    for (const std::string& caption : OptionCaptions(channel))
        list += (list.empty() ? "\"" : ", \"") + Cp1252ToUtf8(caption) + "\"";
    return list;
}

// A measured word as typed: decimal or 0x hexadecimal, 0..65535.
std::uint16_t WordArgument(const std::string& text) {
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const std::string digits = hex ? text.substr(2) : text;
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value > 0xFFFF)
        throw CommandError("--word needs a word 0..65535 (decimal or 0x hexadecimal), not \"" + text + "\"");
    return static_cast<std::uint16_t>(value);
}

// The measured words asked for per channel, as the channel's scale reads them.
using ChannelWords = std::map<int, std::vector<EngineeringValue>>;

std::string ShownValue(const EngineeringValue& shown) {
    const std::string value = shown.diagnostic.empty() ? shown.ValueText() : shown.diagnostic;
    return shown.WordText() + (value.empty() ? "" : " = " + value);
}

std::string JsonNumber(const EngineeringValue& shown) {
    return shown.value ? FixedText(*shown.value, shown.decimals) : std::string("null");
}

std::string JsonValue(const EngineeringValue& shown) {
    return "{\"word\": " + std::to_string(shown.word) + ", \"shown\": " + JsonString(shown.WordText()) +
           ", \"value\": " + JsonNumber(shown) + ", \"unit\": " + JsonString(shown.unit) +
           ", \"diagnostic\": " + JsonString(shown.diagnostic) + "}";
}

std::string SelectedCaption(const DialogGroup& group) {
    if (group.selected < 0 || group.selected >= static_cast<int>(group.options.size())) return {};
    return Trimmed(group.options[static_cast<std::size_t>(group.selected)]);
}

void PrintText(const StationModel& model, const TModul& module, int slot, const ModuleDialog& dialog,
               const ChannelWords& words, std::ostream& out) {
    out << "slot " << slot << ": " << Cp1252ToUtf8(module.ModulType) << "\n";
    out << "parameter: " << Cp1252ToUtf8(module.Parameter) << "\n";
    if (!dialog.ValueNames().empty()) out << "output data: " << module.OutputData << "\n";
    for (int c = 1; c <= dialog.ChannelCount(); ++c) {
        const DialogChannel channel = dialog.Channel(c);
        out << "channel " << c;
        if (channel.word) out << ": word " << *channel.word;
        out << "\n";
        for (const DialogGroup& group : channel.groups) {
            const std::string selected = SelectedCaption(group);
            out << "  " << Cp1252ToUtf8(Trimmed(group.caption)) << ": "
                << (group.selected < 0 ? "(none)" : Cp1252ToUtf8(selected)) << "\n";
        }
        for (const DialogValue& value : channel.values)
            out << "  " << value.name << ": " << Cp1252ToUtf8(value.text) << "\n";
        if (dialog.HasOutputValues())
            out << "  output value: " << Cp1252ToUtf8(OutputValueText(dialog.OutputValue(model, c))) << "\n";
        if (const auto scale = dialog.MeasuredScale(model, c))
            out << "  scale: " << Cp1252ToUtf8(scale->Text()) << "\n";
        if (const auto asked = words.find(c); asked != words.end()) {
            for (const EngineeringValue& shown : asked->second)
                out << "  word " << shown.word << ": " << Cp1252ToUtf8(ShownValue(shown)) << "\n";
        }
        if (!channel.comment.empty()) out << "  comment: " << Cp1252ToUtf8(channel.comment) << "\n";
    }
}

void PrintJson(const StationModel& model, const TModul& module, int slot, const ModuleDialog& dialog,
               const ChannelWords& words, std::ostream& out) {
    out << "{\"slot\": " << slot << ", \"type\": " << JsonString(module.ModulType)
        << ", \"parameter\": " << JsonString(module.Parameter);
    if (!dialog.ValueNames().empty()) out << ", \"outputData\": " << JsonString(module.OutputData);
    out << ", \"channels\": [";
    for (int c = 1; c <= dialog.ChannelCount(); ++c) {
        const DialogChannel channel = dialog.Channel(c);
        out << (c > 1 ? ",\n  " : "\n  ") << "{\"channel\": " << c << ", \"word\": ";
        if (channel.word)
            out << *channel.word;
        else
            out << "null";
        out << ", \"options\": {";
        for (std::size_t g = 0; g < channel.groups.size(); ++g) {
            const DialogGroup& group = channel.groups[g];
            out << (g > 0 ? ", " : "") << JsonString(Trimmed(group.caption)) << ": "
                << (group.selected < 0 ? std::string("null") : JsonString(SelectedCaption(group)));
        }
        out << "}";
        if (!channel.values.empty()) {
            out << ", \"values\": {";
            for (std::size_t v = 0; v < channel.values.size(); ++v)
                out << (v > 0 ? ", " : "") << JsonString(channel.values[v].name) << ": "
                    << JsonString(channel.values[v].text);
            out << "}";
        }
        if (dialog.HasOutputValues()) {
            const auto output = dialog.OutputValue(model, c);
            out << ", \"outputValue\": " << (output ? JsonValue(*output) : std::string("null"));
        }
        out << ", \"comment\": " << JsonString(channel.comment);
        if (const auto scale = dialog.MeasuredScale(model, c)) {
            out << ", \"scale\": " << JsonString(scale->Text()) << ", \"words\": [";
            const auto asked = words.find(c);
            if (asked != words.end()) {
                for (std::size_t w = 0; w < asked->second.size(); ++w)
                    out << (w > 0 ? ", " : "") << JsonValue(asked->second[w]);
            }
            out << "]";
        }
        out << "}";
    }
    out << "\n]}\n";
}

// Runs the request on the loaded station; returns the exit status.
int RunOnStation(const Request& request, StationModel& model, std::ostream& out, std::ostream& err) {
    if (request.slot > StationModel::kMaxModules || request.slot > model.ModuleCount)
        throw CommandError("slot " + std::to_string(request.slot) + " is out of range: the project has " +
                           std::to_string(model.ModuleCount) + " module(s)");
    TModul* module = model.Module(request.slot);
    if (module == nullptr || module->ModulType.empty())
        throw CommandError("slot " + std::to_string(request.slot) + " is empty");
    const std::string type = Cp1252ToUtf8(module->ModulType);
    const std::unique_ptr<ModuleDialog> dialog = MakeModuleDialog(module->ModulType);
    if (!dialog)
        throw CommandError("module " + std::to_string(request.slot) + " is a " + type +
                           ", which has no parameter dialog");
    if (request.save && !dialog->HasSave())
        throw CommandError("the " + type +
                           " dialog has no \"Save Configuration\"; its values are not stored in the project");

    // Saving would store the repeated items as if the user had set them (the load
    // report has said which list is short).
    if (request.save && !request.force && ShortParameterList(*module, request.slot))
        throw CommandError("the stored parameter of module " + std::to_string(request.slot) +
                           " is shorter than the module's words; --save with --force stores the repeated items");

    model.CurrentModule = request.slot;
    try {
        dialog->Open(model, request.slot);
    } catch (const ConversionError& e) {
        throw CommandError("the parameter \"" + Cp1252ToUtf8(MessageText(module->Parameter)) + "\" of module " +
                           std::to_string(request.slot) + " cannot be loaded: " + e.what());
    }
    std::vector<ValueSetting> values;
    for (const ChannelRequest& asked : request.channels) {
        if (asked.channel > dialog->ChannelCount())
            throw CommandError("the " + type + " has channels 1 to " +
                               std::to_string(dialog->ChannelCount()) + ", not " +
                               std::to_string(asked.channel));
        for (const std::string& caption : asked.captions) {
            const std::string wanted = Utf8ToCp1252(caption);
            const DialogChannel shown = dialog->Channel(asked.channel);
            const OptionMatch match = FindOption(shown, wanted);
            if (match.result != OptionMatch::Found) {
                throw CommandError(
                    std::string(match.result == OptionMatch::Unknown ? "no option" : "more than one option") +
                    " \"" + caption + "\" on channel " + std::to_string(asked.channel) + " of the " + type +
                    "; its options: " + CaptionList(shown));
            }
            dialog->Click(model, asked.channel, match.group, match.option);
        }
        const std::vector<std::string> names = dialog->ValueNames();
        for (const auto& [name, text] : asked.values) {
            if (name.empty() && names.empty()) throw CommandError("the " + type + " dialog takes no --value");
            if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
                throw CommandError("unknown option --" + name);
            values.push_back({asked.channel, name.empty() ? names.front() : name, text});
        }
    }
    std::optional<ValueOutcome> outcome;
    try {
        if (!values.empty()) outcome = dialog->ApplyValues(model, values);
    } catch (const ConversionError& e) {
        throw CommandError(std::string("value: ") + e.what());
    }
    ChannelWords words;
    for (const ChannelRequest& asked : request.channels) {
        if (asked.words.empty()) continue;
        const std::optional<WordScale> scale = dialog->MeasuredScale(model, asked.channel);
        if (!scale) throw CommandError("the " + type + " measures nothing; --word needs an input module");
        for (const std::string& text : asked.words)
            words[asked.channel].push_back(ToEngineering(*scale, WordArgument(text)));
    }
    // Everything is checked before anything is saved: a value out of range leaves the
    // project byte for byte as it was.
    const bool inRange = !outcome || outcome->inRange;
    if (request.save && inRange) {
        dialog->Save(model);
        SaveProject(model, request.project);
    }
    if (request.json)
        PrintJson(model, *module, request.slot, *dialog, words, out);
    else
        PrintText(model, *module, request.slot, *dialog, words, out);
    if (!inRange) {
        err << "korvo module: " << outcome->message << (request.save ? "; the project was not saved" : "") << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int RunModuleCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue,
                     std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage << "\n";
        return 0;
    }
    try {
        const Request request = ParseArguments(args, defaultCatalogue);
        if (const auto why = MissingInputFile(request.catalogue, request.project)) throw CommandError(*why);
        const ProfileFile catalogue = ProfileFile::Load(request.catalogue);
        StationModel model(&catalogue, std::filesystem::path(request.catalogue).parent_path().string() + "/");
        const ProjectLoadReport report = LoadProject(model, std::filesystem::path(request.project));
        for (const std::string& warning : report.warnings) err << "korvo module: " << warning << "\n";
        return RunOnStation(request, model, out, err);
    } catch (const std::exception& e) {
        // CommandError, ProfileError and the dialogs' argument errors alike.
        err << "korvo module: " << e.what() << "\n";
        return 2;
    }
}

}  // namespace korvo
