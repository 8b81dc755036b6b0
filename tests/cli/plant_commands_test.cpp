// korvo scan, discover and check --all against one korvo-sim process that serves
// every station of a project, on a loopback block of this test's own.

#include "run_korvo.h"
#include "simulator_process.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using korvo::testing::Result;
using korvo::testing::RunKorvo;

std::string RandomBlock() {
    std::random_device device;
    std::uniform_int_distribution<int> part(1, 254);
    return "127." + std::to_string(part(device)) + "." + std::to_string(part(device)) + ".";
}

const std::string kBlock = RandomBlock();
std::string Host(int k) { return kBlock + std::to_string(k); }

std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// korvo-sim --all-stations until the test ends; ready when its last station accepts.
class PlantSimulator : public SimulatorProcess {
public:
    PlantSimulator(const std::string& project, int lastHost, std::vector<std::string> options = {})
        : SimulatorProcess(Arguments(project, std::move(options)), Host(lastHost)) {}

private:
    static std::vector<std::string> Arguments(const std::string& project, std::vector<std::string> options) {
        options.insert(options.begin(), {"--project", project, "--all-stations", "--listen", Host(1)});
        return options;
    }
};

class PlantCommands : public ::testing::Test {
protected:
    void SetUp() override {
        if (RunKorvo("ping 127.0.0.1").status == 2) GTEST_SKIP() << "ICMP echo is not allowed for this user";
        folder_ = std::filesystem::temp_directory_path() / ("korvo-plant-" + std::to_string(::getpid()) + "-" +
                                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        // Three stations on hosts 1..3 of the block, which the simulator serves; the
        // plant adds station 4 on host 9, which it does not.
        const std::vector<std::vector<std::string>> stations = {
            {"KORVO DI 16", "KORVO DO 16"}, {"KORVO AI 2", "KORVO PB", "KORVO DO 4"}, {"KORVO TC 8", "KORVO DI 8"},
            {"KORVO DI 2"}};
        const std::vector<std::string> hosts = {Host(1), Host(2), Host(3), Host(9)};
        Write("served.prj", Project(stations, hosts, 3));
        Write("plant.prj", Project(stations, hosts, 4));
    }
    static std::string Project(const std::vector<std::vector<std::string>>& stations,
                               const std::vector<std::string>& hosts, std::size_t count) {
        std::string names;
        std::string sections;
        int slot = 0;
        for (std::size_t k = 0; k < count; ++k) {
            names += "Name" + std::to_string(++slot) + "=KORVO NC ETH\n";
            for (const std::string& type : stations[k]) names += "Name" + std::to_string(++slot) + "=" + type + "\n";
            sections += "[Station" + std::to_string(k + 1) + "]\nIPAddress=" + hosts[k] + "\nStation Name=Hall " +
                        std::to_string(k + 1) + "\n";
        }
        return "[Module]\nAnzahl=" + std::to_string(slot) + "\n" + names + sections;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories((folder_ / name).parent_path());
        std::ofstream(folder_ / name) << text;
    }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(PlantCommands, ScanNamesTheModulesAndAddsThemAsAStationThatPassesTheCheck) {
    PlantSimulator sim(Path("served.prj"), 3);
    ASSERT_TRUE(sim.Running());
    const Result scan = RunKorvo("scan " + Host(3));
    EXPECT_EQ(scan.status, 0) << scan.output;
    EXPECT_NE(scan.output.find("coupler " + Host(3) + ": 2 module(s), state: ready, activ, run"), std::string::npos)
        << scan.output;
    EXPECT_NE(scan.output.find(" 2     18h  10h     KORVO DI 8"), std::string::npos) << scan.output;

    const Result json = RunKorvo("scan " + Host(2) + " --json");
    EXPECT_EQ(json.status, 0) << json.output;
    EXPECT_NE(json.output.find("{\"slot\": 2, \"idCode\": 36, \"lengthCode\": 1, \"types\": [\"KORVO DO 4\"]"),
              std::string::npos)
        << json.output;

    const Result added = RunKorvo("scan " + Host(2) + " --add-to " + Path("new.prj") + " --station-name \"Pump house\"");
    EXPECT_EQ(added.status, 0) << added.output;
    EXPECT_NE(added.output.find("station 1 \"Pump house\" (" + Host(2) + ") with 2 module(s) added"), std::string::npos)
        << added.output;
    const Result again = RunKorvo("scan " + Host(1) + " --add-to " + Path("new.prj"));
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_NE(again.output.find("station 2 \"Station2\""), std::string::npos) << again.output;
    EXPECT_EQ(RunKorvo("check " + Host(2) + " " + Path("new.prj")).status, 0);
    const Result second = RunKorvo("check " + Host(1) + " " + Path("new.prj") + " --station 2");
    EXPECT_EQ(second.status, 0) << second.output;
}

TEST_F(PlantCommands, AmbiguousAndUnknownModulesExitOneAndAddNothingWithoutAChoice) {
    PlantSimulator sim(Path("served.prj"), 3, {"--differ", "3:1"});
    ASSERT_TRUE(sim.Running());
    Write("shared.ini", Read(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini") +
                            "\n[KORVO DI 16 S]\nid_code=$10\nlenght_code=$10\nin=2\n");
    const std::string catalogue = " --catalogue " + Path("shared.ini");
    const Result ambiguous = RunKorvo("scan " + Host(1) + catalogue);
    EXPECT_EQ(ambiguous.status, 1) << ambiguous.output;
    EXPECT_NE(ambiguous.output.find("KORVO DI 16 or KORVO DI 16 S"), std::string::npos) << ambiguous.output;

    const Result unchosen = RunKorvo("scan " + Host(1) + catalogue + " --add-to " + Path("new.prj"));
    EXPECT_EQ(unchosen.status, 1) << unchosen.output;
    EXPECT_NE(unchosen.output.find("(--choose 1=TYPE)"), std::string::npos) << unchosen.output;
    EXPECT_FALSE(std::filesystem::exists(folder_ / "new.prj"));

    const Result chosen =
        RunKorvo("scan " + Host(1) + catalogue + " --add-to " + Path("new.prj") + " --choose \"1=KORVO DI 16 S\"");
    EXPECT_EQ(chosen.status, 0) << chosen.output;
    EXPECT_NE(Read(folder_ / "new.prj").find("Name2=KORVO DI 16 S"), std::string::npos);

    const Result unknown = RunKorvo("scan " + Host(3) + " --add-to " + Path("new.prj"));
    EXPECT_EQ(unknown.status, 1) << unknown.output;
    EXPECT_NE(unknown.output.find("slot 1: unknown module, ID 77h length 96h, which no catalogue type names"),
              std::string::npos)
        << unknown.output;
    EXPECT_EQ(Read(folder_ / "new.prj").find("Name4="), std::string::npos) << "nothing added the second time";
}

TEST_F(PlantCommands, DiscoverFindsTheCouplersAndTellsTheProjectsStationsApart) {
    PlantSimulator sim(Path("served.prj"), 3, {"--differ", "2:1"});
    ASSERT_TRUE(sim.Running());
    const Result plain = RunKorvo("discover " + kBlock + "0/24 --timeout 300");
    EXPECT_EQ(plain.status, 0) << plain.output;
    const std::size_t first = plain.output.find("\n " + Host(1) + " ");
    ASSERT_NE(first, std::string::npos) << plain.output;
    const std::string row = plain.output.substr(first + 1, plain.output.find('\n', first + 1) - first - 1);
    EXPECT_NE(row.find(" 2        ready, activ, run   KORVO DI 16, KORVO DO 16"), std::string::npos) << row;
    EXPECT_NE(plain.output.find("KORVO DI 16, KORVO DO 16"), std::string::npos) << plain.output;
    EXPECT_NE(plain.output.find("3 coupler(s) answered in 254 address(es)"), std::string::npos) << plain.output;

    const Result project = RunKorvo("discover " + Host(1) + "-" + Host(20) + " --project " + Path("plant.prj"));
    EXPECT_EQ(project.status, 1) << project.output;
    EXPECT_NE(project.output.find("station 1 \"Hall 1\": modules match"), std::string::npos) << project.output;
    EXPECT_NE(project.output.find("station 2 \"Hall 2\": slot 1: expected KORVO AI 2, found unknown module"),
              std::string::npos)
        << project.output;
    EXPECT_NE(project.output.find("not found: station 4 \"Hall 4\" (" + Host(9) + ")\n"), std::string::npos)
        << project.output;

    const Result json = RunKorvo("discover " + Host(1) + "/32 --json --project " + Path("plant.prj"));
    EXPECT_EQ(json.status, 1) << json.output;
    EXPECT_NE(json.output.find("\"station\": 1, \"stationName\": \"Hall 1\", \"match\": true"), std::string::npos)
        << json.output;
    EXPECT_NE(json.output.find("\"address\": \"" + Host(9) + "\", \"inRange\": false"), std::string::npos)
        << json.output;

    const Result silent = RunKorvo("discover " + Host(100) + "-" + Host(110));
    EXPECT_EQ(silent.status, 1) << silent.output;
    EXPECT_NE(silent.output.find("0 coupler(s) answered in 11 address(es)"), std::string::npos) << silent.output;
}

TEST_F(PlantCommands, DiscoverGivesUpOnADeviceThatTakesTheConnectionButIsNoCoupler) {
    // Listening without ever answering: the kernel takes the connection, nobody replies.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(1962);
    ::inet_pton(AF_INET, Host(30).c_str(), &at.sin_addr);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(::listen(listener, 16), 0);
    const auto started = std::chrono::steady_clock::now();
    const Result found = RunKorvo("discover " + Host(30) + "/32");
    const auto took = std::chrono::steady_clock::now() - started;
    ::close(listener);
    EXPECT_EQ(found.status, 1) << found.output;
    EXPECT_NE(found.output.find(" " + Host(30) + " "), std::string::npos) << found.output;
    EXPECT_NE(found.output.find("(the nodes could not be opened: "), std::string::npos) << found.output;
    EXPECT_LT(took, std::chrono::seconds(12));
}

TEST_F(PlantCommands, CheckAllMatchesDiffersAndMissesStationsAndRecordsEach) {
    {
        PlantSimulator sim(Path("served.prj"), 3);
        ASSERT_TRUE(sim.Running());
        const Result all = RunKorvo("check --all " + Path("served.prj") + " --jobs 2");
        EXPECT_EQ(all.status, 0) << all.output;
        EXPECT_NE(all.output.find("3 of 3 station(s) match"), std::string::npos) << all.output;
    }
    PlantSimulator sim(Path("served.prj"), 3, {"--differ", "3:2"});
    ASSERT_TRUE(sim.Running());
    const Result plant = RunKorvo("check --all " + Path("plant.prj") + " --record " + Path("records"));
    EXPECT_EQ(plant.status, 1) << plant.output;
    EXPECT_NE(plant.output.find(" 1        Hall 1            " + Host(1)), std::string::npos) << plant.output;
    EXPECT_NE(plant.output.find("slot 2: expected KORVO DI 8, found unknown module, ID 17h length E0h"),
              std::string::npos)
        << plant.output;
    const std::size_t missing = plant.output.find(" 4        Hall 4            " + Host(9));
    ASSERT_NE(missing, std::string::npos) << plant.output;
    const std::string row = plant.output.substr(missing, plant.output.find('\n', missing) - missing);
    EXPECT_NE(row.find(" no "), std::string::npos) << row;
    EXPECT_NE(row.find(" not read "), std::string::npos) << row;
    EXPECT_NE(row.find("the nodes could not be opened: connection refused"), std::string::npos) << row;
    EXPECT_NE(plant.output.find("2 of 4 station(s) match"), std::string::npos) << plant.output;
    const std::string record = Read(folder_ / "records" / "check-station3.json");
    EXPECT_NE(record.find("\"match\": false"), std::string::npos) << record;
    EXPECT_NE(record.find("{\"slot\": 1, \"expected\": \"KORVO TC 8\", \"found\": \"KORVO TC 8\", \"match\": true}"),
              std::string::npos)
        << record;
    EXPECT_NE(Read(folder_ / "records" / "check-station4.json").find("\"reachable\": false"), std::string::npos);

    const Result json = RunKorvo("check --all " + Path("served.prj") + " --json");
    EXPECT_EQ(json.status, 1) << json.output;
    EXPECT_EQ(json.output.rfind("[\n {\"station\": 1, \"name\": \"Hall 1\", ", 0), 0u) << json.output;
}

TEST_F(PlantCommands, OneReportMergesTheRecordsOfSeveralMachines) {
    PlantSimulator sim(Path("served.prj"), 3);
    ASSERT_TRUE(sim.Running());
    const std::string records = Path("records");
    EXPECT_EQ(RunKorvo("check --all " + Path("plant.prj") + " --record " + records + "/anna").status, 1);
    EXPECT_EQ(RunKorvo("io " + Host(1) + " " + Path("plant.prj") + " --cycles 2 --interval 0 --record " + records +
                       "/anna/io-hall1.json")
                  .status,
              0);
    Write("records/ben/notes.json", "{\"not\": \"a record\"}");
    EXPECT_EQ(RunKorvo("io " + Host(2) + " " + Path("plant.prj") + " --station 2 --cycles 2 --interval 0 --record " +
                       records + "/ben/io-hall2.json")
                  .status,
              0);
    const Result text = RunKorvo("report " + Path("plant.prj") + " --records " + records + " --text");
    EXPECT_EQ(text.status, 0) << text.output;
    EXPECT_NE(text.output.find("Commissioning report of plant.prj\n4 station(s), 3 match;"), std::string::npos)
        << text.output;
    EXPECT_NE(text.output.find("6 record file(s) merged"), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("Station 4 \"Hall 4\" " + Host(9) + "\n  configuration check: the nodes could not be"),
              std::string::npos)
        << text.output;
    EXPECT_NE(text.output.find("configuration check: match (anna, "), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("  5    Hall 2_M5_AI_1           in     not seen moving    ben          "),
              std::string::npos)
        << text.output;
    EXPECT_NE(text.output.find("korvo: left out ben/notes.json: neither a check result nor an I/O test record"),
              std::string::npos)
        << text.output;

    const Result pdf = RunKorvo("report " + Path("plant.prj") + " --records " + records + " --pdf " + Path("plant.pdf"));
    EXPECT_EQ(pdf.status, 0) << pdf.output;
    EXPECT_EQ(Read(folder_ / "plant.pdf").rfind("%PDF-", 0), 0u);
    EXPECT_EQ(RunKorvo("report " + Path("plant.prj") + " --records " + Path("none") + " --text").status, 2);
    EXPECT_EQ(RunKorvo("report " + Path("plant.prj") + " --records " + records).status, 2);
}

TEST_F(PlantCommands, BadRangesOptionsAndSimulatorArgumentsAreErrors) {
    for (const std::string& args : std::vector<std::string>{"discover 10.0.0.0/21", "discover 10.0.0.9-10.0.0.1", "discover nonsense",
                                    "discover 127.0.0.1/24 --timeout 0", "check --all /no/such.prj",
                                    "check --all " + Path("plant.prj") + " --jobs 500", "scan 10.0.0",
                                    "scan 127.0.0.1 --choose 1=X", "scan " + Host(50) + " --timeout 3"}) {
        const Result result = RunKorvo(args);
        EXPECT_EQ(result.status, 2) << args << "\n" << result.output;
        EXPECT_EQ(result.output.rfind("korvo: ", 0), 0u) << args << "\n" << result.output;
    }
    EXPECT_NE(RunKorvo("discover 10.0.0.0/21").output.find("more than 1024 addresses"), std::string::npos);
    const Result unreachable = RunKorvo("scan " + Host(50));
    EXPECT_EQ(unreachable.status, 2);
    EXPECT_EQ(unreachable.output.rfind("korvo: scan " + Host(50) + ": the nodes could not be opened: ", 0), 0u)
        << unreachable.output;
    const auto sim = [&](const std::string& args) {
        return std::system((std::string(KORVO_SIM_BINARY) + " " + args + " >/dev/null 2>&1").c_str());
    };
    EXPECT_EQ(WEXITSTATUS(sim("--project " + Path("plant.prj") + " --listen 127.0.0.1 --differ 1:1")), 2);
    EXPECT_EQ(WEXITSTATUS(sim("--all-stations --listen 127.0.0.1")), 2);
    EXPECT_EQ(WEXITSTATUS(sim("--project " + Path("plant.prj") + " --all-stations --listen 127.255.255.254")), 2);
    EXPECT_EQ(WEXITSTATUS(sim("--project " + Path("plant.prj") + " --all-stations --listen " + Host(1) +
                              " --differ 9:1")),
              2);
}

}  // namespace
