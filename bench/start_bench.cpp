// Start to first paint of the configurator, offscreen: the whole run of
// `KorvoConfigurator --screenshot FILE.png --project FILE` (start, load, first
// paint, writing the picture, exit) for an empty station, the demo station and
// generated stations of 41, 81 and 161 modules, in interleaved rounds. The
// time beyond the empty start should grow in proportion to the module count.

#include "loopback_peers.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A project of a coupler followed by alternating input and output modules.
void WriteStation(const fs::path& file, int modules) {
    std::ofstream out(file, std::ios::binary);
    out << "[Module]\r\nAnzahl=" << modules << "\r\n";
    for (int i = 1; i <= modules; ++i)
        out << "Name" << i << "=" << (i == 1 ? "KORVO NC ETH" : i % 2 == 0 ? "KORVO DI 16" : "KORVO DO 16") << "\r\n";
    out << "\r\n[Parameter]\r\n";
    for (int i = 1; i <= modules; ++i) out << "Name" << i << "=\r\n";
    out << "\r\n[Station1]\r\nIPAddress=127.0.0.1\r\nMask=255.0.0.0\r\nMAC Address=0.0.0.0.0.0\r\n"
           "Gateway Address=0.0.0.0\r\nStation Name=bench\r\n";
}

// Wall-clock milliseconds of one run; negative when it failed.
double RunOnce(const std::string& program, const fs::path& project, const fs::path& picture) {
    std::vector<std::string> words = {program, "--screenshot", picture.string(), "--project", project.string()};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    bool ok = false;
    const double ms = korvo::bench::MicrosecondsOf([&] {
                          pid_t pid = 0;
                          if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) return;
                          int status = 0;
                          ok = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
                      }) /
                      1000.0;
    posix_spawn_file_actions_destroy(&actions);
    return ok ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 15;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path folder = fs::temp_directory_path() / ("korvo_start_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::map<std::string, fs::path> projects = {{"demo (21 modules)", KORVO_DEMO_PROJECT}};
    const std::vector<std::pair<std::string, int>> generated = {
        {"empty", 0}, {"41 modules", 41}, {"81 modules", 81}, {"161 modules", 161}};
    for (const auto& [name, modules] : generated) {
        projects[name] = folder / (std::to_string(modules) + ".prj");
        WriteStation(projects[name], modules);
    }
    std::map<std::string, std::vector<double>> times;
    for (int round = 0; round < rounds; ++round) {
        for (const auto& [name, project] : projects) {
            const double ms = RunOnce(KORVO_CONFIGURATOR, project, folder / "first_paint.png");
            if (ms < 0) {
                std::fprintf(stderr, "start bench: the run with the %s station failed\n", name.c_str());
                fs::remove_all(folder);
                return 2;
            }
            times[name].push_back(ms);
        }
    }
    fs::remove_all(folder);
    std::printf("%d rounds; median wall-clock time of start, load, first paint, picture and exit\n", rounds);
    std::map<std::string, double> median;
    for (auto& [name, samples] : times) median[name] = korvo::bench::Median(samples);
    for (const char* name : {"empty", "demo (21 modules)", "41 modules", "81 modules", "161 modules"})
        std::printf("  %-18s %7.1f ms\n", name, median[name]);
    const double perModule81 = (median["81 modules"] - median["empty"]) / 81;
    const double perModule161 = (median["161 modules"] - median["empty"]) / 161;
    std::printf("  beyond the empty start: %.3f ms per module at 81, %.3f ms per module at 161 (ratio %.2f)\n",
                perModule81, perModule161, perModule81 > 0 ? perModule161 / perModule81 : 0.0);
    return 0;
}
