#include "shell/start_options.h"

#include <filesystem>

namespace korvo {

std::optional<StartOptions> ParseStartOptions(const std::vector<std::string>& args, std::string& error) {
    StartOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        std::string* value = arg == "--screenshot" ? &options.screenshot : arg == "--project" ? &options.project : nullptr;
        if (value == nullptr) {
            error = "unknown argument \"" + arg + "\"";
            return std::nullopt;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = arg + " needs a file name";
            return std::nullopt;
        }
        *value = args[++i];
    }
    if (!options.project.empty() && !std::filesystem::is_regular_file(options.project)) {
        error = "no project file \"" + options.project + "\"";
        return std::nullopt;
    }
    if (!options.screenshot.empty() && std::filesystem::path(options.screenshot).extension() != ".png") {
        error = "the screenshot \"" + options.screenshot + "\" must be a .png file";
        return std::nullopt;
    }
    return options;
}

}  // namespace korvo
