// korvo: the configurator's work from the command line.

#include "module_command.h"
#include "online_commands.h"
#include "program_folder.h"
#include "station_command.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: korvo COMMAND ...\n"
    "commands:\n"
    "  station PROJECT [--catalogue FILE] [--json]   print the process-image address map\n"
    "  check ADDRESS PROJECT [--station N]           compare the coupler's bus with the project\n"
    "  io ADDRESS PROJECT [--cycles N] [--interval MS] [--station N]\n"
    "                                                run I/O cycles and print the process data\n"
    "  diag ADDRESS                                  show the coupler's state bits\n"
    "  restart ADDRESS [--wait] [--timeout SECONDS]  restart the coupler, optionally wait for it\n"
    "  ping ADDRESS [-c COUNT]                       send ICMP echo requests\n"
    "  module PROJECT --slot N [--json] [--channel C [--set \"OPTION\"]... [--value V]]... [--save]\n"
    "                                                show or set a module's dialog parameters\n"
    "PROJECT commands take --catalogue FILE (default: korvo_config.ini next to the program).\n"
    "Exit status: 0 success, 1 negative result (station differs, no reply, value out of range),\n"
    "2 error.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? std::cerr : std::cout) << kUsage;
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    const std::string catalogue = (korvo::ProgramFolder() / "korvo_config.ini").string();
    if (command == "station") return korvo::RunStationCommand(args, catalogue, std::cout, std::cerr);
    if (command == "check") return korvo::RunCheckCommand(args, catalogue, std::cout, std::cerr);
    if (command == "io") return korvo::RunIoCommand(args, catalogue, std::cout, std::cerr);
    if (command == "diag") return korvo::RunDiagCommand(args, std::cout, std::cerr);
    if (command == "restart") return korvo::RunRestartCommand(args, std::cout, std::cerr);
    if (command == "module") return korvo::RunModuleCommand(args, catalogue, std::cout, std::cerr);
    if (command == "ping") return korvo::RunPingCommand(args, std::cout, std::cerr);
    std::cerr << "korvo: unknown command \"" << command << "\"\n" << kUsage;
    return 2;
}
