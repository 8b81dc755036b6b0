#pragma once
// Runs the korvo program with a command line and collects what it printed (stdout
// and stderr together) and its exit status, as a user's shell would see them.

#include <array>
#include <cstdio>
#include <string>

#include <sys/wait.h>

namespace korvo::testing {

struct Result {
    int status = -1;
    std::string output;
};

inline Result RunKorvo(const std::string& arguments) {
    const std::string command = std::string(KORVO_CLI_BINARY) + " " + arguments + " 2>&1";
    Result result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace korvo::testing
