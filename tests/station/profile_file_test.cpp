#include "station/profile_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;

using testing::TempFolder;

TEST(ProfileFileRead, SectionsInFileOrderAndCaseInsensitiveLookup) {
    const ProfileFile p = ProfileFile::FromText(
        "[Zeta]\r\nKey=1\r\n[alpha]\r\n  Name = spaced value  \r\n; comment=ignored\r\n\r\n[.]\r\n[.]\r\n");
    EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"Zeta", "alpha", ".", "."}));
    EXPECT_EQ(p.ReadString("ALPHA", "name", "-"), "spaced value");
    EXPECT_EQ(p.ReadInteger("zeta", "KEY", 5), 1);
    EXPECT_EQ(p.ReadString("alpha", "; comment", "none"), "none");
    EXPECT_EQ(p.ReadString("missing", "x", "default"), "default");
}

TEST(ProfileFileRead, IntegersDecimalOrHexElseDefault) {
    const ProfileFile p = ProfileFile::FromText("[s]\nd=42\nh=$0000FF\nx=0x10\nbad=12abc\nempty=\n");
    EXPECT_EQ(p.ReadInteger("s", "d", 0), 42);
    EXPECT_EQ(p.ReadInteger("s", "h", 0), 255);
    EXPECT_EQ(p.ReadInteger("s", "x", 0), 16);
    EXPECT_EQ(p.ReadInteger("s", "bad", -7), -7);
    EXPECT_EQ(p.ReadInteger("s", "empty", -8), -8);
    EXPECT_EQ(p.ReadInteger("s", "none", -9), -9);
}

TEST(ProfileFileRead, DuplicateSectionsAndKeysFirstOneWins) {
    const ProfileFile p = ProfileFile::FromText("[A]\nk=first\nk=second\n[a]\nk=third\nj=only\n");
    EXPECT_EQ(p.ReadString("A", "k", ""), "first");
    EXPECT_EQ(p.ReadString("A", "j", "missing"), "missing");
}

TEST(ProfileFileRead, LfFilesAndMissingFinalNewline) {
    const ProfileFile p = ProfileFile::FromText("[A]\nk=v\n[B]\nlast=end");
    EXPECT_EQ(p.ReadString("B", "last", ""), "end");
}

// Every line end reads alike, also mixed in one file: a CR-only project is no
// empty station, and a stray CR is no part of a type name.
TEST(ProfileFileRead, CrLfAndCrLineEndsReadAlike) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        const std::string e = end;
        const ProfileFile p =
            ProfileFile::FromText("[Module]" + e + "Anzahl=2" + e + "Name1=KORVO NC ETH" + e + e + "Name2=KORVO DI 16" + e);
        EXPECT_EQ(p.ReadInteger("Module", "Anzahl", 0), 2) << "line end " << static_cast<int>(e.back());
        EXPECT_EQ(p.ReadString("Module", "Name2", ""), "KORVO DI 16");
    }
    const ProfileFile stray = ProfileFile::FromText("[Module]\r\nName1=KORVO NC ETH\rName2=KORVO DO 16\r\n");
    EXPECT_EQ(stray.ReadString("Module", "Name1", ""), "KORVO NC ETH");
    EXPECT_EQ(stray.ReadString("Module", "Name2", ""), "KORVO DO 16");
}

TEST(ProfileFileRead, BinaryGarbageAndHugeLinesLoadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 200000; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
    const ProfileFile g = ProfileFile::FromText(garbage);
    (void)g.SectionNames();
    const std::string hugeLine = "[S]\nk=" + std::string(1 << 20, 'v') + "\n";
    const ProfileFile h = ProfileFile::FromText(hugeLine);
    EXPECT_EQ(h.ReadString("S", "k", "").size(), std::size_t{1} << 20);
}

TEST(ProfileFileWrite, WritesInPlaceAppendsNewKeysAndSections) {
    ProfileFile p = ProfileFile::FromText("; head\r\n[A]\r\nk=1\r\n; keep me\r\n\r\n[B]\r\nx=2\r\n");
    p.WriteString("a", "K", "10");
    p.WriteString("A", "new", "n");
    p.WriteString("C", "c", "3");
    EXPECT_EQ(p.Text(), "; head\r\n[A]\r\nk=10\r\nnew=n\r\n; keep me\r\n\r\n[B]\r\nx=2\r\n[C]\r\nc=3\r\n");
}

TEST(ProfileFileWrite, EraseSectionRemovesEveryCopyAndItsLines) {
    ProfileFile p = ProfileFile::FromText("[A]\nk=1\n[B]\nx=2\n[a]\nk=3\n");
    p.EraseSection("A");
    EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"B"}));
    EXPECT_EQ(p.ReadString("A", "k", "gone"), "gone");
    p.WriteString("A", "k", "new");
    EXPECT_EQ(p.ReadString("a", "k", ""), "new");
}

TEST_F(TempFolder, MissingFileIsEmptyAndSaveCreatesIt) {
    ProfileFile p = ProfileFile::Load(File("new.ini"));
    EXPECT_TRUE(p.SectionNames().empty());
    p.WriteString("S", "k", "v");
    p.Save();
    EXPECT_EQ(Read(File("new.ini")), "[S]\r\nk=v\r\n");
}

TEST_F(TempFolder, Windows1252BytesRoundTripUnchanged) {
    const std::string bytes =
        "[Parameter]\r\nComment21=PT DIN/ 15 bit/0.1 \xB0"
        "C/\r\n[\xC4rger]\r\nk=\x80\x9F\xFF\r\n";
    Write(File("p.prj"), bytes);
    ProfileFile p = ProfileFile::Load(File("p.prj"));
    EXPECT_EQ(p.ReadString("parameter", "comment21", ""),
              "PT DIN/ 15 bit/0.1 \xB0"
              "C/");
    p.Save();
    EXPECT_EQ(Read(File("p.prj")), bytes);
}

TEST_F(TempFolder, FailedSaveLeavesOldFileIntactAndNamesIt) {
    if (::geteuid() == 0) {
        // root ignores folder permissions; use a path whose folder does not exist instead.
        ProfileFile p = ProfileFile::FromText("[S]\nk=v\n");
        try {
            p.SaveAs(File("no/such/folder/x.ini"));
            FAIL() << "save into a missing folder succeeded";
        } catch (const ProfileError& e) {
            EXPECT_NE(std::string(e.what()).find("no/such/folder/x.ini"), std::string::npos);
        }
        return;
    }
    Write(File("old.ini"), "[Old]\r\nk=1\r\n");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    ProfileFile p = ProfileFile::FromText("[New]\nk=2\n");
    EXPECT_THROW(p.SaveAs(File("old.ini")), ProfileError);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(Read(File("old.ini")), "[Old]\r\nk=1\r\n");
}

TEST_F(TempFolder, SaveLeavesNoTemporaryFilesAndKeepsPermissions) {
    Write(File("keep.ini"), "[A]\nk=1\n");
    ::chmod(File("keep.ini").c_str(), 0640);
    ProfileFile p = ProfileFile::Load(File("keep.ini"));
    p.WriteString("A", "k", "2");
    p.Save();
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1);
    struct stat st {};
    ASSERT_EQ(::stat(File("keep.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(TempFolder, FolderInsteadOfFileIsAnErrorNotACrash) {
    fs::create_directory(File("dir.ini"));
    EXPECT_THROW(ProfileFile::Load(File("dir.ini")), ProfileError);
}

}  // namespace
}  // namespace korvo
