// Peak memory of every korvo command that reads a whole project, for a project of
// 161 modules whose texts are as long as a project may hold them (64-character
// station names, 1 024-character parameters and comments), and for one whose texts
// goes far beyond (a station name of 10 MB), which the commands cut on loading: its
// peak is printed beside the file's size, as memory must grow with the file only. Each command runs as a child process; its peak resident
// size comes from the kernel's own accounting.
//
// usage: project_memory_bench [--keep FOLDER]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kModules = 161;
constexpr int kModulesPerStation = 20;
constexpr double kGoalMiB = 64.0;

// Coupler, then modules with parameters and comments, station after station. With
// `hostile`, the first station's name is far beyond what a project keeps (10 MB).
std::string MaximalProject(bool hostile) {
    const char* types[] = {"KORVO TC 8", "KORVO AI 8", "KORVO DI 16", "KORVO DO 16", "KORVO RT 6", "KORVO AO 1"};
    std::vector<std::string> names;
    for (int i = 1; i <= kModules; ++i) {
        names.push_back((i - 1) % kModulesPerStation == 0 ? "KORVO NC ETH" : types[i % 6]);
    }
    std::string longList;
    const std::size_t textLength = 1024;
    while (longList.size() + 2 <= textLength) longList += "7,";
    const std::string comment(textLength, 'c');
    std::string text = "[Module]\r\nAnzahl=" + std::to_string(kModules) + "\r\n";
    for (int i = 1; i <= kModules; ++i) text += "Name" + std::to_string(i) + "=" + names[i - 1] + "\r\n";
    text += "[Parameter]\r\n";
    for (int i = 1; i <= kModules; ++i) {
        text += "Name" + std::to_string(i) + "=" + longList + "\r\n";
        for (int c = 1; c <= 32; ++c) text += "Comment" + std::to_string(i) + std::to_string(c) + "=" + comment + "\r\n";
    }
    int station = 0;
    for (int i = 1; i <= kModules; ++i) {
        if (names[i - 1] != "KORVO NC ETH") continue;
        ++station;
        text += "[Station" + std::to_string(station) + "]\r\nIPAddress=127.0.0.1\r\nMask=255.255.255.0\r\n"
                "MAC Address=00:00:00:00:00:00\r\nGateway Address=0.0.0.0\r\nStation Name=" +
                std::string(hostile && station == 1 ? 10000000 : 64, 'S') + "\r\n";
    }
    return text;
}

// Runs the command with its output thrown away; returns the child's peak resident
// size in KiB, or -1 when it did not run to an exit.
long PeakKiB(const std::vector<std::string>& argv, int& status) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        std::_Exit(127);
    }
    int raw = 0;
    struct rusage usage {};
    if (child < 0 || ::wait4(child, &raw, 0, &usage) != child || !WIFEXITED(raw)) return -1;
    status = WEXITSTATUS(raw);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path folder;
    bool keep = false;
    if (argc == 3 && std::string(argv[1]) == "--keep") {
        folder = argv[2];
        keep = true;
        fs::create_directories(folder);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: project_memory_bench [--keep FOLDER]\n");
        return 2;
    } else {
        char pattern[] = "/tmp/korvo-memory-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) return 2;
        folder = pattern;
    }
    const std::string korvo = KORVO_CLI_BINARY;
    const std::string pdf = (folder / "plan.pdf").string();
    bool met = true;
    for (const bool hostile : {false, true}) {
        const std::string project = (folder / (hostile ? "hostile.prj" : "maximal.prj")).string();
        std::ofstream(project, std::ios::binary) << MaximalProject(hostile);
        const std::vector<std::vector<std::string>> commands = {
            {korvo, "station", project},
            {korvo, "station", project, "--json"},
            {korvo, "plan", project, "--text"},
            {korvo, "plan", project, "--pdf", pdf},
            {korvo, "export", project, "--format", "csv"},
            {korvo, "export", project, "--format", "gvl"},
            {korvo, "export", project, "--format", "json"},
            {korvo, "module", project, "--slot", "6", "--json"},
        };
        std::printf("%s project: %d modules, %.1f MiB of text\n", hostile ? "hostile" : "maximal", kModules,
                    static_cast<double>(fs::file_size(project)) / (1024.0 * 1024.0));
        for (const auto& command : commands) {
            int status = -1;
            const long kib = PeakKiB(command, status);
            std::string shown;
            for (std::size_t i = 1; i < command.size(); ++i) {
                const std::string& a = command[i];
                shown += (i > 1 ? " " : "") +
                         (a == project ? std::string("PROJECT") : a == pdf ? std::string("FILE") : a);
            }
            const double mib = static_cast<double>(kib) / 1024.0;
            if (!hostile) met = met && kib >= 0 && status == 0 && mib < kGoalMiB;
            std::printf("peak memory: %6.1f MiB  exit %d  (korvo %s)\n", mib, status, shown.c_str());
        }
    }
    std::printf("goal: every command below %.0f MiB for the maximal project: %s\n", kGoalMiB, met ? "met" : "NOT met");
    if (!keep) fs::remove_all(folder);
    return met ? 0 : 1;
}
