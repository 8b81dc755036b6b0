// The documents of a project say what the station is: a station beyond its process
// image is refused by every command that would address it, the plan shows the
// address the connection uses and the project's properties first.

#include "run_korvo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;
using testing::RunKorvo;

class ProjectDocumentsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-documents-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Station 1: a coupler and `thermocouples` TC 8 of 12 input and 12 output bytes
    // each; station 2: a coupler and a DI 16.
    std::string Project(int thermocouples, const std::string& extra = "") const {
        std::string text = "[Module]\r\nAnzahl=" + std::to_string(thermocouples + 3) + "\r\nName1=KORVO NC ETH\r\n";
        for (int i = 0; i < thermocouples; ++i) text += "Name" + std::to_string(i + 2) + "=KORVO TC 8\r\n";
        text += "Name" + std::to_string(thermocouples + 2) + "=KORVO NC ETH\r\n";
        text += "Name" + std::to_string(thermocouples + 3) + "=KORVO DI 16\r\n";
        text += "[Station1]\r\nIPAddress=192.168.001.010\r\nStation Name=Hall\r\n";
        text += "[Station2]\r\nIPAddress=10.0.0.2\r\nStation Name=Yard\r\n" + extra;
        const fs::path file = dir_ / "station.prj";
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

    fs::path dir_;
};

TEST_F(ProjectDocumentsCommand, OverBudgetStationIsRefusedByPlanExportCheckAndIo) {
    // 43 × 12 = 516 bytes: four more than the image holds.
    const std::string project = Project(43);
    const std::string refusal = "station 1 is over its process image: in 516 / 512, out 516 / 512 bytes\n";
    const std::string output = (dir_ / "map.csv").string();
    for (const auto& [command, prefix] :
         {std::pair<std::string, std::string>{"plan " + project, "korvo plan: "},
          {"export " + project + " --format csv -o " + output, "korvo export: "},
          {"export " + project + " --station 1 --format gvl", "korvo export: "},
          {"check 127.0.0.1 " + project + " --timeout 5", "korvo: "},
          {"io 127.0.0.1 " + project + " --cycles 1 --timeout 5", "korvo: "}}) {
        const testing::Result result = RunKorvo(command);
        EXPECT_EQ(result.status, 2) << command << "\n" << result.output;
        EXPECT_EQ(result.output, prefix + refusal) << command;
    }
    EXPECT_FALSE(fs::exists(output));

    // The other station fits and is documented as it is.
    const testing::Result second = RunKorvo("export " + project + " --station 2 --format csv");
    EXPECT_EQ(second.status, 0) << second.output;
    // One module less fits exactly.
    const testing::Result fits = RunKorvo("plan " + Project(42) + " --station 1");
    EXPECT_EQ(fits.status, 0) << fits.output;
}

TEST_F(ProjectDocumentsCommand, PlanShowsDecimalAddressAndPropertiesFirst) {
    const std::string project =
        Project(1, "[Project]\r\nName=Pump house\r\nDescription=Line 2 \xE4nderung\r\nCustomer=Acme\r\nTester=M. Test\r\n");
    const testing::Result result = RunKorvo("plan " + project + " --text");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("IP Address  : 192.168.1.10"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("192.168.001.010"), std::string::npos) << result.output;
    const std::size_t name = result.output.find("Project name  : Pump house");
    const std::size_t description = result.output.find("Description  :  Line 2 \xC3\xA4nderung");
    const std::size_t customer = result.output.find("Name           :   Acme");
    const std::size_t tester = result.output.find("Tester         :   M. Test");
    const std::size_t station = result.output.find("Stationname");
    ASSERT_NE(name, std::string::npos) << result.output;
    ASSERT_NE(description, std::string::npos) << result.output;
    ASSERT_NE(customer, std::string::npos) << result.output;
    ASSERT_NE(tester, std::string::npos) << result.output;
    EXPECT_LT(name, description);
    EXPECT_LT(tester, station);
}

TEST_F(ProjectDocumentsCommand, PlanSaysHowAStationNameIsWrittenInIecNames) {
    std::string project = Project(1);
    std::string text;
    {
        std::ifstream in(project, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    text.replace(text.find("Station Name=Yard"), 17, "Station Name=2 Yard[A]");
    std::ofstream(project, std::ios::binary) << text;
    const testing::Result result = RunKorvo("plan " + project + " --station 2 --text");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("korvo plan: station 2 \"2 Yard[A]\": station name: blank, \"[\", \"]\" and a leading "
                                 "digit do not fit into tag names; IEC names write _2_Yard_A instead\n"),
              std::string::npos)
        << result.output;
    // The plan itself keeps the tags as the system names them.
    EXPECT_NE(result.output.find("2 Yard[A]_M"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace korvo
