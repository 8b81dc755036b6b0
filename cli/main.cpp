// korvo: the configurator's work from the command line.

#include "bootp_command.h"
#include "module_command.h"
#include "command_help.h"
#include "export_command.h"
#include "online_commands.h"
#include "plan_command.h"
#include "plant_commands.h"
#include "report_command.h"
#include "program_folder.h"
#include "station_command.h"
#include "dialogs/module_defaults.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: korvo COMMAND ...\n"
    "       korvo --version\n"
    "commands:\n"
    "  station PROJECT [--catalogue FILE] [--json]   print the process-image address map\n"
    "  check ADDRESS PROJECT [--station N] [--timeout S] [--json]\n"
    "                                                compare the coupler's bus with the project\n"
    "  check --all PROJECT [--jobs N] [--record DIR] [--json] [--timeout S]\n"
    "                                                check every station of the project at once\n"
    "  scan ADDRESS [--json] [--add-to PROJECT [--station-name NAME] [--choose SLOT=TYPE]...]\n"
    "                                                list the modules a coupler reports; add them\n"
    "                                                to a project as a new station\n"
    "  discover RANGE [--project PROJECT] [--json] [--timeout MS] [--jobs N]\n"
    "                                                find the couplers of A.B.C.D/N or FIRST-LAST\n"
    "  report PROJECT --records DIR (--pdf FILE | --text)\n"
    "                                                one commissioning report from the check\n"
    "                                                results and I/O test records of DIR\n"
    "  io ADDRESS PROJECT [--cycles N] [--interval MS] [--station N] [--timeout S]\n"
    "     [--record FILE.json] [--trend FILE.csv]    run I/O cycles, print the process data and\n"
    "     [--events FILE.csv|FILE.json]              the median cycle time; the outputs go off\n"
    "     [--keep-outputs]                           at the end unless --keep-outputs; --trend\n"
    "                                                writes every point's value per cycle and\n"
    "                                                --events every change, as they happen\n"
    "  diag ADDRESS [--timeout S]                    show the coupler's state bits\n"
    "  restart ADDRESS [--wait] [--timeout SECONDS]  restart the coupler, optionally wait for it\n"
    "  ping ADDRESS [-c COUNT]                       send ICMP echo requests\n"
    "  plan PROJECT [--station N] [--pdf FILE | --text] [--skip-unknown]\n"
    "                                                print the connection plan or write it as PDF\n"
    "  bootp --mac MAC --ip IP [--mask M] [--gateway G] [--once] [--restart PRESENT-ADDRESS]\n"
    "        [--port PORT] [--timeout SECONDS]       give the coupler with this MAC its address\n"
    "  module PROJECT --slot N [--json] [--channel C [--set \"OPTION\"]... [--value V]]... [--save [--force]]\n"
    "                                                show or set a module's dialog parameters\n"
    "  export PROJECT --format csv|gvl|json [--station N] [--input-base BYTE]\n"
    "         [--output-base BYTE] [-o FILE|-] [--skip-unknown]\n"
    "                                                write the address map for a PLC program\n"
    "PROJECT commands take --catalogue FILE (default: korvo_config.ini next to the program).\n"
    "--timeout S ends check and diag after S seconds (60), io only when given, with exit 2;\n"
    "io ends like its last cycle on --timeout, SIGINT, SIGTERM and SIGHUP, record included.\n"
    "korvo COMMAND --help shows the usage of one command.\n"
    "Exit status: 0 success, 1 negative result (station differs, no reply, value out of range),\n"
    "2 error.\n";

int Run(const std::string& command, const std::vector<std::string>& args) {
    const std::string catalogue = (korvo::ProgramFolder() / "korvo_config.ini").string();
    if (command == "station") return korvo::RunStationCommand(args, catalogue, std::cout, std::cerr);
    if (command == "check" && std::find(args.begin(), args.end(), "--all") != args.end()) {
        return korvo::RunCheckAllCommand(args, catalogue, std::cout, std::cerr);
    }
    if (command == "check") return korvo::RunCheckCommand(args, catalogue, std::cout, std::cerr);
    if (command == "scan") return korvo::RunScanCommand(args, catalogue, std::cout, std::cerr);
    if (command == "discover") return korvo::RunDiscoverCommand(args, catalogue, std::cout, std::cerr);
    if (command == "report") return korvo::RunReportCommand(args, catalogue, std::cout, std::cerr);
    if (command == "io") return korvo::RunIoCommand(args, catalogue, std::cout, std::cerr);
    if (command == "diag") return korvo::RunDiagCommand(args, std::cout, std::cerr);
    if (command == "restart") return korvo::RunRestartCommand(args, std::cout, std::cerr);
    if (command == "module") return korvo::RunModuleCommand(args, catalogue, std::cout, std::cerr);
    if (command == "ping") return korvo::RunPingCommand(args, std::cout, std::cerr);
    if (command == "plan") {
        return korvo::RunPlanCommand(args, catalogue, korvo::ProgramFolder().string() + "/", std::cout, std::cerr);
    }
    if (command == "bootp") {
        return korvo::RunBootpCommand(args, (korvo::ProgramFolder() / "korvo").string(), std::cout, std::cerr);
    }
    if (command == "export") {
        return korvo::RunExportCommand(args, catalogue, korvo::ProgramFolder().string() + "/", std::cout, std::cerr);
    }
    std::cerr << "korvo: unknown command \"" << command << "\"\n" << kUsage;
    return 2;
}

// What the command printed must have reached standard output; otherwise its
// result is an error, whatever the command itself found.
int WithCheckedOutput(int status) {
    std::cout.flush();
    if (std::cout.good()) return status;
    // The write that failed may lie long behind; one more byte tells why it failed.
    errno = 0;
    const int error = ::write(STDOUT_FILENO, "\n", 1) < 0 ? errno : 0;
    std::cerr << "korvo: cannot write to standard output: "
              << (error != 0 ? std::strerror(error) : "the output stream failed") << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    korvo::RegisterModuleDefaults();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? std::cerr : std::cout) << kUsage;
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        std::cout << "korvo " KORVO_VERSION "\n";
        return 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    // check --all is a command of its own with its own usage.
    const bool all = command == "check" && std::find(args.begin(), args.end(), "--all") != args.end();
    if (const std::string help = korvo::CommandUsage(kUsage, all ? "check --all" : command);
        !help.empty() && std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << help;
        return 0;
    }
    // A closed pipe or a full disk must end in an error, not in a signal or a
    // success: writes fail with an error instead of raising SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    return WithCheckedOutput(Run(command, args));
}
