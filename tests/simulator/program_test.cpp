// The korvo-sim program as a user starts it: argument errors end with exit 2
// and one clear line, and a log reader that goes away does not stop it.
#include "node_requests.h"
#include "raw_client.h"
#include "random_loopback.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace korvo::sim;

const std::string kAddressText = RandomLoopbackAddress();
const char* const kAddress = kAddressText.c_str();

struct Started {
    pid_t pid = -1;
    int out = -1;  // the program's standard output
    int err = -1;  // its standard error
};

// `descriptors` other than 0 limits the program's open descriptors.
Started spawn(std::vector<std::string> arguments, rlim_t descriptors = 0)
{
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return {};
    pid_t pid = fork();
    if (pid == 0) {
        if (descriptors != 0) {
            rlimit limit{descriptors, descriptors};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        std::vector<char*> argv;
        arguments.insert(arguments.begin(), KORVO_SIM_PROGRAM);
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    return {pid, out[0], err[0]};
}

std::string readAll(int fd)
{
    std::string text;
    char chunk[512];
    for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(got));
    close(fd);
    return text;
}

struct Finished {
    int status = -1;
    std::string err;
};

Finished run(std::vector<std::string> arguments)
{
    Started started = spawn(std::move(arguments));
    close(started.out);
    Finished finished;
    finished.err = readAll(started.err);
    int status = 0;
    waitpid(started.pid, &status, 0);
    finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finished;
}

// One line, naming the program once.
void expectOneLineError(const Finished& finished, const std::string& words)
{
    EXPECT_EQ(finished.status, 2) << finished.err;
    EXPECT_EQ(finished.err.rfind("korvo-sim: ", 0), 0u) << finished.err;
    EXPECT_EQ(finished.err.find("korvo-sim", 1), std::string::npos) << finished.err;
    EXPECT_EQ(finished.err.find('\n'), finished.err.size() - 1) << finished.err;
    EXPECT_NE(finished.err.find(words), std::string::npos) << finished.err;
}

TEST(ProgramArgumentsTest, EveryBadArgumentEndsWithExitTwoAndOneLine)
{
    expectOneLineError(run({"--listen", kAddress, "--port", ""}), "--port");
    expectOneLineError(run({"--listen", kAddress, "--port", "70000"}), "--port");
    expectOneLineError(run({"--listen", "10.1.2.3", "--port", "0"}), "10.1.2.3");
    expectOneLineError(run({"--listen", kAddress, "--max-connections", "0"}), "--max-connections");
    expectOneLineError(run({"--listen", kAddress, "--idle-timeout", "-1"}), "--idle-timeout");
    expectOneLineError(run({"--listen", kAddress, "--station", "0"}), "--station");
}

TEST(ProgramArgumentsTest, MissingOrSwappedModuleBeyondTheStationIsRefused)
{
    std::string project = KORVO_DATA_DIR "/demo/demo.prj";
    std::string catalogue = KORVO_DATA_DIR "/korvo_config.ini";
    expectOneLineError(run({"--listen", kAddress, "--port", "0", "--project", project, "--catalogue", catalogue,
                            "--missing", "150"}),
                       "--missing 150");
    expectOneLineError(run({"--listen", kAddress, "--port", "0", "--project", project, "--catalogue", catalogue,
                            "--swap", "150"}),
                       "--swap 150");
    expectOneLineError(run({"--listen", kAddress, "--port", "0", "--swap", "1"}), "--project");
    expectOneLineError(run({"--listen", kAddress, "--port", "0", "--ramp", "8"}), "--project");
    expectOneLineError(run({"--listen", kAddress, "--port", "0", "--project", project, "--catalogue", catalogue,
                            "--ramp", "2"}),
                       "--ramp 2: slot 2 of station 1 holds no AI 2, RT 2 or TC 2");
    expectOneLineError(run({"--listen", kAddress, "--port", "0", "--project", project, "--ramp", "x"}), "--ramp");
}

// The port from the "listening on ADDRESS:PORT" line; 0 when there is none.
uint16_t listeningPort(int out)
{
    std::string line;
    char c;
    while (read(out, &c, 1) == 1 && c != '\n')
        line += c;
    auto colon = line.rfind(':');
    return colon == std::string::npos ? 0 : static_cast<uint16_t>(std::stoi(line.substr(colon + 1)));
}

void stop(const Started& started)
{
    kill(started.pid, SIGTERM);
    waitpid(started.pid, nullptr, 0);
    close(started.out);
    close(started.err);
}

TEST(ProgramLogTest, ClosedLogDoesNotStopTheSimulator)
{
    Started started = spawn({"--listen", kAddress, "--port", "0"});
    ASSERT_GT(started.pid, 0);
    uint16_t port = listeningPort(started.out);
    ASSERT_NE(port, 0);
    close(started.out);

    // Each request writes a log line into the closed pipe.
    for (int i = 0; i < 3; ++i) {
        RawClient client(port, kAddress);
        Bytes confirmation = client.exchange(openNodeRequest(kDataNode));
        EXPECT_EQ(readBe16(confirmation, 0), 0x8101) << "request " << i;
    }
    kill(started.pid, SIGTERM);
    int status = 0;
    waitpid(started.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    close(started.err);
}

TEST(ProgramDescriptorsTest, ServesAgainOnceConnectionsEndedWhileDescriptorsRanOut)
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer runtime checks memory through a pipe of its own; with the
    // descriptors used up that check fails and it reports objects as invalid.
    GTEST_SKIP() << "the sanitizer runtime cannot run with the process's descriptors used up";
#endif
    Started started = spawn({"--listen", kAddress, "--port", "0"}, 32);
    ASSERT_GT(started.pid, 0);
    uint16_t port = listeningPort(started.out);
    ASSERT_NE(port, 0);
    {
        // More connections than the simulator has descriptors: the last ones
        // wait in its listen queue while accept fails.
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 0; i < 48; ++i)
            clients.push_back(std::make_unique<RawClient>(port, kAddress));
        EXPECT_EQ(readBe16(clients.front()->exchange(openNodeRequest(kDataNode)), 0), 0x8101);
    }
    // All of them ended; their descriptors must come back without a new accept.
    RawClient later(port, kAddress);
    EXPECT_EQ(readBe16(later.exchange(openNodeRequest(kDataNode)), 0), 0x8101);
    stop(started);
}

} // namespace
