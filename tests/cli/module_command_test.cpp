// "korvo module" run as the program: showing a module as its dialog opens, selecting
// options by caption, saving into the project in place, output values, and the
// errors that exit with status 2.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kDemo = std::string(KORVO_TEST_DATA_DIR) + "/demo/demo.prj";

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& arg) {
    std::string quoted = "'";
    for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ModuleCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-module-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        project_ = (dir_ / "station.prj").string();
        fs::copy_file(kDemo, project_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    ProgramRun Run(const std::vector<std::string>& args) const {
        std::string command = std::string(KORVO_CLI_BINARY) + " module";
        for (const std::string& arg : args) command += " " + Quoted(arg);
        const fs::path out = dir_ / "out.txt";
        const fs::path err = dir_ / "err.txt";
        command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
        const int status = std::system(command.c_str());
        ProgramRun run;
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }

    fs::path dir_;
    std::string project_;
};

TEST_F(ModuleCommand, ShowsTheModuleAsItsDialogDoesOnOpeningWithoutChangingTheFile) {
    const std::string before = ReadFile(project_);
    ProgramRun run = Run({project_, "--slot", "8", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(
        run.out.find("{\"slot\": 8, \"type\": \"KORVO AI 2\", \"parameter\": \"0,0,\", \"channels\": ["),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("{\"channel\": 2, \"word\": 0, \"options\": {\"filter\": \"average (16)\", "
                           "\"measuring range\": \"voltage      0..10\", \"size\": \"15 bit diagnostic\"}, "
                           "\"comment\": \"average filter/  0..10/FMT1 15bit/\", "
                           "\"scale\": \"0 = 0.000 V, 30000 = 10.000 V\", \"words\": []}"),
              std::string::npos)
        << run.out;

    run = Run({project_, "--slot", "14"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(
        run.out.find(
            "slot 14: KORVO AI 8\nparameter: 0,0,0,0,0,0,0,0,\nchannel 1: word 0\n  filter: average (16)\n"),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("channel 8: word 0"), std::string::npos);
    EXPECT_EQ(ReadFile(project_), before);
}

TEST_F(ModuleCommand, SetSelectsOptionsAsClicksAndSaveWritesTheProjectInPlace) {
    ProgramRun run =
        Run({project_, "--slot", "8", "--channel", "1", "--set", "no filter", "--set", "current      4..20",
             "--set", "  standardizes", "--channel", "2", "--set", "voltage -10..10", "--save"});
    // "voltage -10..10" is not the caption: inner blanks count.
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no option \"voltage -10..10\" on channel 2 of the KORVO AI 2; its options: "
                           "\"average (16)\", \"no filter\", \"voltage      0..10\""),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(ReadFile(project_), ReadFile(kDemo)) << "a failed command writes nothing";

    run = Run({project_, "--slot", "8", "--channel", "1", "--set", "no filter", "--set", "current      4..20",
               "--set", "  standardizes", "--channel", "2", "--set", "voltage    -10..10", "--save"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("channel 1: word 314\n"), std::string::npos) << run.out;
    const std::string saved = ReadFile(project_);
    EXPECT_NE(saved.find("Name8=314,1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Comment81=none filter  /  4..20/standard  /\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Comment82=average filter/-10..10/FMT1 15bit/\r\n"), std::string::npos);
    EXPECT_NE(saved.find("IPAddress=127.0.0.10"), std::string::npos) << "the rest of the project stays";
    EXPECT_FALSE(fs::exists(dir_ / "korvo.ini"));

    run = Run({project_, "--slot", "8", "--json"});
    EXPECT_NE(run.out.find("\"word\": 314"), std::string::npos);
}

TEST_F(ModuleCommand, Ai8ChannelClickWritesTheWordAndItsComment) {
    const ProgramRun run = Run({project_, "--slot", "14", "--channel", "3", "--set", "current    -40..40",
                                "--set", "16 bit", "--save"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string saved = ReadFile(project_);
    EXPECT_NE(saved.find("Name14=0,0,77,0,0,0,0,0,\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Comment143=16 average/-40..40/PIO       /\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Comment142=16 average/  0..10/FMT1 15bit/\r\n"), std::string::npos);
}

TEST_F(ModuleCommand, OutputValuesGiveTheBytesAndTheValueOutputOrNameTheLimitPassed) {
    ProgramRun run = Run({project_, "--slot", "9", "--set", "4..20 mA", "--value", "12", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"outputData\": \"127,255\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"options\": {\"output\": \"4..20 mA\"}, \"values\": {\"value\": \"12\"}, "
                           "\"outputValue\": {\"word\": 32767, \"shown\": \"32767\", \"value\": 12.000, "
                           "\"unit\": \"mA\", \"diagnostic\": \"\"}"),
              std::string::npos)
        << run.out;

    run = Run({project_, "--slot", "9", "--set", "4..20 mA", "--value", "3.9"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("  value: 3.9\n  output value: nothing sent\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("output data: \n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "korvo module: value 3.9 lies below 4,000, the end of 4..20 mA: nothing sent\n");

    run = Run({project_, "--slot", "20", "--channel", "1", "--value", "1", "--channel", "2", "--set",
               "-10..10 Volt", "--value", "-10"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("output data: 11,184,138,208\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  output value: -10.000 V (word -30000)\n"), std::string::npos) << run.out;

    run = Run({project_, "--slot", "20", "--channel", "1", "--value", "ten"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("'ten' is not a valid floating point value"), std::string::npos) << run.err;
    run = Run({project_, "--slot", "9", "--value", "5", "--save"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("has no \"Save Configuration\""), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(project_), ReadFile(kDemo));
}

// The conversion the windows show measured words with: the channel's scale and the
// words asked for, in the text and in the JSON.
TEST_F(ModuleCommand, WordsOfAChannelShowInItsEngineeringUnits) {
    ProgramRun run = Run({project_, "--slot", "8", "--word", "15000", "--channel", "2", "--set",
                          "voltage    -10..10", "--word", "0xFFFF", "--word", "32770"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  scale: 0 = 0.000 V, 30000 = 10.000 V\n  word 15000: 15000 = 5.000 V\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  scale: -30000 = -10.000 V, 30000 = 10.000 V\n  word 65535: -1 = 0.000 V\n"
                           "  word 32770: 8002h = Error wire breaking\n"),
              std::string::npos)
        << run.out;

    run = Run({project_, "--slot", "16", "--set",
               "0.1 \xC2\xB0"
               "F",
               "--word", "65535", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"scale\": \"0 = 0.0 \xC2\xB0"
                           "F, 1 = 0.1 \xC2\xB0"
                           "F\", \"words\": [{\"word\": 65535, "
                           "\"shown\": \"-1\", \"value\": -0.1, \"unit\": \"\xC2\xB0"
                           "F\", \"diagnostic\": \"\"}]"),
              std::string::npos)
        << run.out;

    run = Run({project_, "--slot", "10", "--word", "300"});
    EXPECT_NE(run.out.find("  word 300: 300 = 300 counts\n"), std::string::npos) << run.out;
    run = Run({project_, "--slot", "9", "--word", "1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("the KORVO AO 1 measures nothing"), std::string::npos) << run.err;
    for (const char* bad : {"65536", "-1", "0x", "12a"}) {
        run = Run({project_, "--slot", "8", "--word", bad});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("--word needs a word 0..65535"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFile(project_), ReadFile(kDemo));
}

TEST_F(ModuleCommand, SlotsWithoutDialogAndBadArgumentsExitWith2) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{project_, "--slot", "2"}, "module 2 is a KORVO DI 16, which has no parameter dialog"},
        {{project_, "--slot", "22"}, "slot 22 is out of range: the project has 21 module(s)"},
        {{project_, "--slot", "0"}, "--slot needs a positive number"},
        {{project_}, "--slot N is needed"},
        {{project_, "--slot", "8", "--channel", "3", "--set", "no filter"},
         "the KORVO AI 2 has channels 1 to 2, not 3"},
        {{project_, "--slot", "8", "--value", "3"}, "the KORVO AI 2 dialog takes no --value"},
        {{project_, "--slot", "8", "--frobnicate"}, "unknown option --frobnicate"},
        {{project_, "--slot", "9", "--gate-time", "5"}, "unknown option --gate-time"},
        {{(dir_ / "missing.prj").string(), "--slot", "8"}, "cannot open the project"},
    };
    for (const auto& [args, message] : cases) {
        const ProgramRun run = Run(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << message;
    }
}

TEST_F(ModuleCommand, SlotWithoutModuleIsEmpty) {
    std::ofstream(project_, std::ios::binary | std::ios::trunc)
        << "[Module]\r\nAnzahl=3\r\nName1=KORVO NC ETH\r\nName2=\r\nName3=KORVO AI 2\r\n";
    const ProgramRun run = Run({project_, "--slot", "2"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "korvo module: slot 2 is empty\n");
    EXPECT_EQ(Run({project_, "--slot", "3"}).status, 0);
}

TEST_F(ModuleCommand, MalformedParameterIsReportedAndNothingIsWritten) {
    std::string text = ReadFile(kDemo);
    text.replace(text.find("Name8=0,0,"), 10, "Name8=5,70000,");
    std::ofstream(project_, std::ios::binary | std::ios::trunc) << text;
    const ProgramRun run = Run({project_, "--slot", "8", "--set", "no filter", "--save"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("the parameter \"5,70000,\" of module 8 cannot be loaded: '70000' is not a value "
                           "between 0 and 65535"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFile(project_), text);
}

// The demo's AI 8 (slot 14) with a stored list of 3 of its 8 words.
TEST_F(ModuleCommand, ShortParameterListIsReportedAndSavedOnlyWithForce) {
    std::string text = ReadFile(kDemo);
    text.replace(text.find("Name14=0,0,0,0,0,0,0,0,"), 23, "Name14=1,2,3");
    std::ofstream(project_, std::ios::binary | std::ios::trunc) << text;

    const ProgramRun shown = Run({project_, "--slot", "14"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.err.find("Module 14 (KORVO AI 8): the stored parameter \"1,2,3\" has 3 of 8 words"),
              std::string::npos)
        << shown.err;

    const ProgramRun refused = Run({project_, "--slot", "14", "--save"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadFile(project_), text);

    const ProgramRun forced = Run({project_, "--slot", "14", "--save", "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(ReadFile(project_).find("Name14=1,2,3,3,3,3,3,3,"), std::string::npos) << ReadFile(project_);
}

// A NUL cuts no message short, and a list of a million items gives no megabyte of error.
TEST_F(ModuleCommand, HostileParameterTextsAreEscapedAndShortenedInMessages) {
    const std::string demo = ReadFile(kDemo);
    std::string text = demo;
    text.replace(text.find("Name8=0,0,"), 10, "Name8=5,x" + std::string(1, '\0') + "y,");
    std::ofstream(project_, std::ios::binary | std::ios::trunc) << text;
    const ProgramRun nul = Run({project_, "--slot", "8"});
    EXPECT_EQ(nul.status, 2);
    EXPECT_NE(nul.err.find("'x\\x00y' is not a valid integer value"), std::string::npos) << nul.err;

    std::string huge = "Name8=";
    for (int i = 0; i < 1000000; ++i) huge += "x,";
    text = demo;
    text.replace(text.find("Name8=0,0,"), 10, huge);
    std::ofstream(project_, std::ios::binary | std::ios::trunc) << text;
    const ProgramRun big = Run({project_, "--slot", "8"});
    EXPECT_EQ(big.status, 2);
    EXPECT_LT(big.err.size(), 2000u) << big.err.substr(0, 400);
    EXPECT_NE(big.err.find("characters)"), std::string::npos) << big.err.substr(0, 400);
}

}  // namespace
