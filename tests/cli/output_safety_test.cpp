// Where the korvo program's output goes when it cannot go where asked: a full disk,
// a closed pipe, a FIFO or device as the target, an empty file name; and the project
// types the catalogue does not know, which would shift every later address.

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kCatalogue = std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini";
const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

class OutputSafety : public korvo::testing::TempFolder {
protected:
    // Runs korvo with standard output on `out` (-1: a file of the test, read back)
    // and standard error into a file.
    ProgramRun Run(const std::vector<std::string>& args, int out = -1) const {
        const fs::path outFile = File("out.txt");
        const fs::path errFile = File("err.txt");
        const pid_t child = ::fork();
        if (child == 0) {
            const int o = out >= 0 ? out : ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(o, STDOUT_FILENO);
            ::dup2(e, STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(KORVO_CLI_BINARY)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(KORVO_CLI_BINARY, argv.data());
            std::_Exit(127);
        }
        int status = 0;
        ProgramRun run;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
        if (out < 0) run.out = Read(outFile);
        run.err = Read(errFile);
        return run;
    }

    std::string Project(const std::string& name, const std::string& text) const {
        Write(File(name), text);
        return File(name).string();
    }
};

const std::vector<std::vector<std::string>> kPrintingCommands = {
    {"station", kDemo, "--catalogue", kCatalogue},
    {"station", kDemo, "--catalogue", kCatalogue, "--json"},
    {"plan", kDemo, "--catalogue", kCatalogue, "--text"},
    {"export", kDemo, "--catalogue", kCatalogue, "--format", "gvl"},
    {"module", kDemo, "--catalogue", kCatalogue, "--slot", "8", "--json"},
};

TEST_F(OutputSafety, FullDiskIsAnErrorNotASuccess) {
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0) GTEST_SKIP() << "this machine has no /dev/full";
    for (const auto& args : kPrintingCommands) {
        const ProgramRun run = Run(args, full);
        EXPECT_EQ(run.status, 2) << args[0] << ": " << run.err;
        EXPECT_NE(run.err.find("korvo: cannot write to standard output: No space left on device"), std::string::npos)
            << args[0] << ": " << run.err;
    }
    ::close(full);
}

TEST_F(OutputSafety, ClosedPipeIsAnErrorNotASignalOrASuccess) {
    for (const auto& args : kPrintingCommands) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        ::close(pipeEnds[0]);
        const ProgramRun run = Run(args, pipeEnds[1]);
        ::close(pipeEnds[1]);
        EXPECT_EQ(run.status, 2) << args[0] << " (-1: ended by a signal): " << run.err;
        EXPECT_NE(run.err.find("Broken pipe"), std::string::npos) << args[0] << ": " << run.err;
    }
}

TEST_F(OutputSafety, StandardOutputByNameIsStandardOutput) {
    for (const char* name : {"-", "/dev/stdout"}) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const ProgramRun run = Run({"export", kDemo, "--catalogue", kCatalogue, "--format", "csv", "-o", name},
                                   pipeEnds[1]);
        ::close(pipeEnds[1]);
        std::string piped;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) piped.append(buffer, static_cast<std::size_t>(n));
        ::close(pipeEnds[0]);
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_NE(piped.find("PumpHouse_M2_DI_1"), std::string::npos) << name << ": " << piped.substr(0, 200);
    }
    EXPECT_FALSE(fs::exists("-")) << "\"-o -\" wrote a file named \"-\"";
}

TEST_F(OutputSafety, TargetsThatAreNoRegularFilesAreRefusedAndStay) {
    const fs::path fifo = File("plc.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const ProgramRun exported = Run({"export", kDemo, "--catalogue", kCatalogue, "-o", fifo.string()});
    EXPECT_EQ(exported.status, 2) << exported.err;
    EXPECT_NE(exported.err.find("not a regular file"), std::string::npos) << exported.err;
    const ProgramRun planned = Run({"plan", kDemo, "--catalogue", kCatalogue, "--pdf", fifo.string()});
    EXPECT_EQ(planned.status, 2) << planned.err;
    EXPECT_NE(planned.err.find("not a regular file"), std::string::npos) << planned.err;
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(OutputSafety, EmptyFileNamesAreErrors) {
    const ProgramRun exported = Run({"export", kDemo, "--catalogue", kCatalogue, "--format", "csv", "-o", ""});
    EXPECT_EQ(exported.status, 2);
    EXPECT_NE(exported.err.find("-o needs a file name"), std::string::npos) << exported.err;
    EXPECT_EQ(exported.out, "") << "an empty name is no request for standard output";
    const ProgramRun planned = Run({"plan", kDemo, "--catalogue", kCatalogue, "--pdf", ""});
    EXPECT_EQ(planned.status, 2);
    EXPECT_NE(planned.err.find("--pdf needs a file name"), std::string::npos) << planned.err;
    EXPECT_EQ(planned.out, "");
}

TEST_F(OutputSafety, UnknownTypeStopsDocumentsUnlessSkippedAndIsReportedByEveryCommand) {
    std::string text = Read(kDemo);
    text.replace(text.find("Name3=KORVO DI 8"), 16, "Name3=KORVO DI 9");
    const std::string project = Project("typo.prj", text);
    const std::string warning = "module 3 has the type \"KORVO DI 9\", which the catalogue does not know";

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"plan", project, "--catalogue", kCatalogue, "--text"},
          std::vector<std::string>{"export", project, "--catalogue", kCatalogue, "--format", "csv"}}) {
        const ProgramRun refused = Run(args);
        EXPECT_EQ(refused.status, 2) << args[0];
        EXPECT_NE(refused.err.find(warning), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("--skip-unknown"), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
        std::vector<std::string> skipping = args;
        skipping.push_back("--skip-unknown");
        const ProgramRun skipped = Run(skipping);
        EXPECT_EQ(skipped.status, 0) << skipped.err;
        EXPECT_NE(skipped.out.find("PumpHouse"), std::string::npos);
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"station", project, "--catalogue", kCatalogue},
          std::vector<std::string>{"module", project, "--catalogue", kCatalogue, "--slot", "8"}}) {
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.status, 0) << args[0] << ": " << run.err;
        EXPECT_NE(run.err.find(warning), std::string::npos) << args[0] << ": " << run.err;
    }
}

}  // namespace
