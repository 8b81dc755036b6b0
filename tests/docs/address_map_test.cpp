// The address map for a PLC program: the demo project in its three formats, names a
// strict IEC check accepts, CSV that a CSV reader takes back whole, and the bases.

#include "temp_folder.h"

#include "docs/address_map_export.h"
#include "docs/export_text.h"
#include "docs/plc_names.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace korvo {
namespace {

const std::string kDataFolder = std::string(KORVO_TEST_DATA_DIR) + "/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class AddressMapTest : public ::testing::Test {
protected:
    AddressMapTest() : catalogue_(ProfileFile::Load(kDataFolder + "korvo_config.ini")), model_(&catalogue_, kDataFolder) {}

    void LoadDemo() { LoadProject(model_, std::filesystem::path(kDataFolder + "demo/demo.prj")); }
    // A project of one station with the given coupler name (Windows-1252) and modules.
    void LoadStation(const std::string& stationName, const std::vector<std::string>& types,
                     const std::string& extra = "") {
        std::string text = "[Module]\nAnzahl=" + std::to_string(types.size() + 1) + "\nName1=KORVO NC ETH\n";
        for (std::size_t i = 0; i < types.size(); ++i) text += "Name" + std::to_string(i + 2) + "=" + types[i] + "\n";
        text += "[Station1]\nIPAddress=127.0.0.9\nStation Name=" + stationName + "\n" + extra;
        LoadProject(model_, ProfileFile::FromText(text));
    }
    AddressMapExport Render(ExportFormat format, int station = 0, int inputBase = 0, int outputBase = 0) {
        ExportOptions options;
        options.format = format;
        options.station = station;
        options.inputBase = inputBase;
        options.outputBase = outputBase;
        options.project = "demo.prj";
        return RenderAddressMap(model_, options);
    }

    ProfileFile catalogue_;
    StationModel model_;
};

TEST_F(AddressMapTest, DemoProjectMatchesTheExpectedFilesInAllThreeFormats) {
    LoadDemo();
    EXPECT_EQ(Render(ExportFormat::Csv).text, ReadFile(KORVO_EXPECTED_EXPORT ".csv"));
    EXPECT_EQ(Render(ExportFormat::Gvl).text, ReadFile(KORVO_EXPECTED_EXPORT ".gvl"));
    EXPECT_EQ(Render(ExportFormat::Json).text, ReadFile(KORVO_EXPECTED_EXPORT ".json"));
}

TEST_F(AddressMapTest, DigitalPointsFollowTheLedWeightsAndAnalogChannelsAreWords) {
    LoadStation("S", {"KORVO DI 16", "KORVO DO 4", "KORVO AI 2", "KORVO CT 1"});
    const auto rows = Render(ExportFormat::Csv).rows;
    const auto find = [&rows](const std::string& tag) {
        for (const ExportRow& r : rows)
            if (r.entry.tag == tag) return r;
        ADD_FAILURE() << "no entry " << tag;
        return ExportRow{};
    };
    // The two input bytes form one big-endian value: weight 1 is bit 0 of the second byte.
    EXPECT_EQ(find("S_M2_DI_1").address, "%IX1.0");
    EXPECT_EQ(find("S_M2_DI_16").address, "%IX0.7");
    EXPECT_EQ(find("S_M3_DO_4").address, "%QX1.3");
    EXPECT_EQ(find("S_M4_AI_2").address, "%IW4");
    EXPECT_EQ(find("S_M4_AI_2").entry.width, PointWidth::Word);
    // The analog pair's output words are its parameter words.
    EXPECT_EQ(find("S_M4_P1").address, "%QW2");
    // The counter's points share its record: its words are listed instead.
    EXPECT_EQ(find("S_M5_CT_IW1").address, "%IW6");
    EXPECT_EQ(find("S_M5_CT_IW2").address, "%IW8");
    EXPECT_EQ(find("S_M5_CT_QW2").address, "%QW8");
    for (const ExportRow& r : rows) EXPECT_NE(r.entry.tag, "S_M5_CT_1");
}

TEST_F(AddressMapTest, BasesMoveEveryAddressAndStationsFollowOneAnother) {
    LoadDemo();
    const auto plain = Render(ExportFormat::Json, 1).rows;
    const auto based = Render(ExportFormat::Json, 1, 100, 40).rows;
    ASSERT_EQ(plain.size(), based.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const int base = plain[i].entry.direction == PointDirection::Input ? 100 : 40;
        EXPECT_EQ(based[i].byte, plain[i].byte + base) << plain[i].entry.tag;
        EXPECT_EQ(based[i].entry.byte, plain[i].entry.byte);
    }
    EXPECT_EQ(based.front().address, "%IX101.0");
    // All stations in one list: station 2 starts where station 1's image ends.
    std::set<std::string> addresses;
    for (const ExportRow& r : Render(ExportFormat::Gvl).rows) {
        EXPECT_TRUE(addresses.insert(r.address).second) << "two points at " << r.address;
    }
}

TEST_F(AddressMapTest, GvlNamesPassAStrictIecIdentifierCheck) {
    // Blanks, an umlaut, a leading digit and punctuation in the station name.
    LoadStation("1 K\xFChlhaus-Nord (alt)", {"KORVO DI 8", "KORVO DO 4", "KORVO AI 2"});
    const AddressMapExport gvl = Render(ExportFormat::Gvl);
    const std::regex identifier("^([A-Za-z]|_[A-Za-z0-9])(_?[A-Za-z0-9])*$");
    const std::regex declaration(R"(^    (\S+) AT %[IQ](X\d+\.[0-7] : BOOL|W\d+ : WORD);( \(\* .* \*\))?$)");
    std::istringstream lines(gvl.text);
    std::string line;
    int declarations = 0;
    std::set<std::string> names;
    ASSERT_TRUE(std::getline(lines, line));
    while (std::getline(lines, line)) {
        if (line.rfind("    (*", 0) == 0 || line == "VAR_GLOBAL" || line == "END_VAR" || line.rfind("(*", 0) == 0) {
            continue;
        }
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, declaration)) << line;
        EXPECT_TRUE(std::regex_match(match[1].str(), identifier)) << match[1];
        EXPECT_TRUE(names.insert(match[1].str()).second) << match[1];
        ++declarations;
    }
    EXPECT_EQ(declarations, 8 + 4 + 4);
    EXPECT_EQ(gvl.rows.front().plcName, "_1_Kuehlhaus_Nord_alt_M2_DI_1");
    EXPECT_FALSE(gvl.notes.empty());
    EXPECT_NE(gvl.notes.front().find("K\xC3\xBChlhaus"), std::string::npos) << gvl.notes.front();
}

TEST(PlcNames, CollisionsGetSuffixesThatNoOtherTagClaims) {
    std::vector<std::string> notes;
    const auto names = AssignIecIdentifiers({"A B_1", "A-B_1", "A_B_1_2", "a_b_1"}, notes);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "A_B_1");
    EXPECT_EQ(names[1], "A_B_1_3");  // "A_B_1_2" belongs to the third tag
    EXPECT_EQ(names[2], "A_B_1_2");
    EXPECT_EQ(names[3], "a_b_1_4");  // identifiers compare without regard to case
    EXPECT_EQ(notes.size(), 3u);
    EXPECT_FALSE(IsIecIdentifier("A__B"));
    EXPECT_FALSE(IsIecIdentifier("A_"));
    EXPECT_FALSE(IsIecIdentifier("1A"));
    EXPECT_TRUE(IsIecIdentifier("_1A"));
}

// A reader of RFC 4180 records, as a spreadsheet program reads them.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    bool wasQuoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            EXPECT_TRUE(field.empty()) << "quote inside an unquoted field";
            quoted = wasQuoted = true;
        } else if (c == ',') {
            records.back().push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back().push_back(field);
            field.clear();
            wasQuoted = false;
            records.emplace_back();
            ++i;
        } else {
            EXPECT_FALSE(wasQuoted) << "text after a closing quote";
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quote";
    if (!field.empty() || !records.back().empty()) records.back().push_back(field);
    if (records.back().empty()) records.pop_back();
    return records;
}

TEST_F(AddressMapTest, CsvReadsBackWithQuotesCommasAndNonAsciiTexts) {
    LoadStation("Halle \"3\", K\xFChlung", {"KORVO AI 2"},
                "[Parameter]\nName2=0,0,\nComment21=0..10 V, \"fast\" \xB0" "C\nComment22=plain\n");
    const std::string text = Render(ExportFormat::Csv).text;
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "spreadsheet programs need the mark to read UTF-8";
    const auto records = ParseCsv(text.substr(3));
    ASSERT_EQ(records.size(), 1u + 4u);
    const auto& header = records[0];
    ASSERT_EQ(header.size(), 13u);
    for (const auto& record : records) ASSERT_EQ(record.size(), header.size());
    EXPECT_EQ(records[1][1], "Halle \"3\", K\xC3\xBChlung");
    EXPECT_EQ(records[1][4], "Halle \"3\", K\xC3\xBChlung_M2_AI_1");
    EXPECT_EQ(records[1][5], "Halle_3_Kuehlung_M2_AI_1");
    EXPECT_EQ(records[3][4], "Halle \"3\", K\xC3\xBChlung_M2_P1");
    EXPECT_EQ(records[3][12], "0..10 V, \"fast\" \xC2\xB0" "C");
    EXPECT_EQ(records[3][11], "%QW0");
}

TEST_F(AddressMapTest, EmptyStationOrMissingStationIsAnErrorAndWritesNoFile) {
    LoadStation("Empty", {});
    EXPECT_THROW(Render(ExportFormat::Csv), ExportError);
    EXPECT_THROW(Render(ExportFormat::Csv, 2), ExportError);
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "korvo-export-never-written.csv";
    std::filesystem::remove(file);
    ExportOptions options;
    EXPECT_THROW(ExportAddressMap(model_, options, file), ExportError);
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace korvo
