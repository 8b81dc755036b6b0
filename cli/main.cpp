// korvo: the configurator's work from the command line.

#include "program_folder.h"
#include "station_command.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: korvo COMMAND ...\n"
    "commands:\n"
    "  station PROJECT [--catalogue FILE] [--json]   print the process-image address map\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? std::cerr : std::cout) << kUsage;
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "station") {
        const std::string catalogue = (korvo::ProgramFolder() / "korvo_config.ini").string();
        return korvo::RunStationCommand(args, catalogue, std::cout, std::cerr);
    }
    std::cerr << "korvo: unknown command \"" << command << "\"\n" << kUsage;
    return 2;
}
