#pragma once
// The configurator's command line: normally none; `--screenshot FILE.png` renders
// the main window after its first paint into the file and ends the program, and
// `--project FILE` starts with that project instead of the one of the last session.

#include <optional>
#include <string>
#include <vector>

namespace korvo {

inline constexpr const char* kStartUsage = "usage: KorvoConfigurator [--screenshot FILE.png] [--project FILE]";

struct StartOptions {
    std::string screenshot;  // empty: run as usual
    std::string project;     // empty: the settings file of the program folder
    bool help = false;
};

// `args` without the program's name; nothing, with `error` set, when they are wrong.
std::optional<StartOptions> ParseStartOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace korvo
