// Files that are not what they claim, saves that were killed or go through a
// link or onto a protected file, catalogue values near the integer limits.
#include "station/project_file.h"
#include "station/safe_file_write.h"
#include "station_fixture.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;

class FileSafetyTest : public testing::TempFolder, public testing::StationTest {
protected:
    std::vector<fs::path> FolderEntries() const {
        std::vector<fs::path> entries;
        for (const auto& entry : fs::directory_iterator(dir_)) entries.push_back(entry.path().filename());
        return entries;
    }
};

TEST_F(FileSafetyTest, FifoAndDeviceAreRefusedWithoutReadingThem) {
    const fs::path fifo = File("korvo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Without a writer, opening a FIFO for reading would wait for ever.
    try {
        ProfileFile::Load(fifo);
        FAIL() << "a FIFO was read";
    } catch (const ProfileError& e) {
        EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(fifo.string()), std::string::npos) << e.what();
    }
    EXPECT_THROW(LoadProject(*model, fs::path("/dev/zero")), ProfileError);
}

TEST_F(FileSafetyTest, LeftoverOfAKilledSaveIsReplacedByTheNextSave) {
    const fs::path project = File("plant.prj");
    Append({"KORVO NC ETH"});
    SaveProject(*model, project);
    Write(SavingName(project), std::string(1 << 20, 'x'));

    Append({"KORVO DI 16"});
    SaveProject(*model, project);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"plant.prj"});
    EXPECT_NE(Read(project).find("KORVO DI 16"), std::string::npos);
}

TEST_F(FileSafetyTest, SaveThroughALinkWritesTheLinkedFile) {
    fs::create_directory(File("real"));
    const fs::path real = File("real/plant.prj");
    Write(real, "[Module]\r\nAnzahl=0\r\n");
    const fs::path link = File("plant.prj");
    fs::create_symlink("real/plant.prj", link);

    Append({"KORVO NC ETH", "KORVO DO 16"});
    SaveProject(*model, link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(Read(real).find("KORVO DO 16"), std::string::npos);
}

TEST_F(FileSafetyTest, WriteProtectedProjectIsNotReplaced) {
    const fs::path project = File("plant.prj");
    const std::string before = "[Module]\r\nAnzahl=0\r\n";
    Write(project, before);
    fs::permissions(project, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Append({"KORVO NC ETH"});
    try {
        SaveProject(*model, project);
        FAIL() << "a write-protected project was replaced";
    } catch (const ProfileError& e) {
        EXPECT_NE(std::string(e.what()).find("write-protected"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Read(project), before);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"plant.prj"});
}

// A save or export onto a FIFO, a device node or a link to one must leave the node
// as it is: renaming over it would make it a regular file.
TEST_F(FileSafetyTest, TargetsThatAreNoRegularFilesAreRefusedAndStayAsTheyWere) {
    std::vector<fs::path> targets;
    const fs::path fifo = File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    targets.push_back(fifo);
    const fs::path linked = File("pipe-link");
    fs::create_symlink("pipe", linked);
    targets.push_back(linked);
    // A character device of the folder's own (as /dev/null), where this user may make one.
    const fs::path device = File("null");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) targets.push_back(device);

    for (const fs::path& target : targets) {
        const std::optional<std::string> why = WriteFileSafely(target, "exported\n");
        ASSERT_TRUE(why) << target << " was replaced";
        EXPECT_NE(why->find("not a regular file"), std::string::npos) << *why;
    }
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(fs::is_symlink(linked));
    if (targets.size() > 2) {
        ASSERT_EQ(::lstat(device.c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
    for (const fs::path& entry : FolderEntries())
        EXPECT_EQ(entry.string().find(kSavingSuffix), std::string::npos) << entry;
}

TEST_F(FileSafetyTest, FilesThatAreNoProjectsAreReported) {
    const fs::path binary = File("picture.jpg");
    Write(binary, std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11));
    ProjectLoadReport report = LoadProject(*model, binary);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("not a project file"), std::string::npos) << report.warnings[0];

    // "[Module]" in UTF-16 has a zero byte behind every character.
    const fs::path wide = File("wide.prj");
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[Module]\r\nAnzahl=1\r\nName1=KORVO NC ETH\r\n")) utf16 += std::string{c, '\0'};
    Write(wide, utf16);
    report = LoadProject(*model, wide);
    EXPECT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(model->ModuleCount, 0);

    const fs::path words = File("words.prj");
    Write(words, "[Module]\r\nAnzahl=three\r\n");
    report = LoadProject(*model, words);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("Anzahl=three"), std::string::npos) << report.warnings[0];

    // Neither a missing automatic save nor an empty station gives a word.
    EXPECT_TRUE(LoadProject(*model, File("korvo.ini")).warnings.empty());
    const fs::path empty = File("empty.prj");
    Write(empty, "[Module]\r\nAnzahl=0\r\n");
    EXPECT_TRUE(LoadProject(*model, empty).warnings.empty());
}

TEST_F(FileSafetyTest, CatalogueCountsOutsideTheirRangeAreReportedAndTakenAsZero) {
    catalogue = ProfileFile::FromText(std::string(testing::kTestCatalogue) +
                                      "[KORVO HUGE]\r\nin=2147483647\r\nout=-2147483648\r\nslots=1\r\n"
                                      "Tag Anzahl Input=33\r\nParameter Output=-1\r\n");
    model = std::make_unique<StationModel>(&catalogue, "/opt/korvo/", &ui);
    model->AppendModule("KORVO NC ETH");
    std::optional<std::string> error;
    model->AppendModule("KORVO HUGE", &error);
    model->AppendModule("KORVO HUGE");
    model->AppendModule("KORVO DI 16");
    ASSERT_TRUE(error);
    for (const char* key : {"\"in\" = 2147483647", "\"out\" = -2147483648", "\"Tag Anzahl Input\" = 33",
                            "\"Parameter Output\" = -1", "KORVO HUGE"}) {
        EXPECT_NE(error->find(key), std::string::npos) << key << " in " << *error;
    }
    model->Renumber();
    const TModul& huge = *model->Module(2);
    EXPECT_EQ(huge.Input, 0);
    EXPECT_EQ(huge.output, 0);
    EXPECT_EQ(huge.tag_anzahl_input, 0);
    EXPECT_EQ(model->Module(4)->ByteOffsetInput, 2);
    EXPECT_EQ(model->Module(4)->InputStart(), 0);
}

}  // namespace
}  // namespace korvo
