// The reader every file read at run time goes through: regular files only, each kind
// up to its own size, and an error that names the file and the reason.
#include "fifo_watchdog.h"
#include "temp_folder.h"

#include "station/safe_file_read.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;

class SafeFileReadTest : public testing::TempFolder {
protected:
    // The reason the reader gives for the file, or "read" when it reads it.
    static std::string Refusal(const fs::path& file, FileKind kind) {
        try {
            ReadFileSafely(file, kind);
        } catch (const FileReadError& e) {
            EXPECT_NE(std::string(e.what()).find("\"" + file.string() + "\""), std::string::npos) << e.what();
            EXPECT_FALSE(e.Missing()) << e.what();
            return e.Reason();
        }
        return "read";
    }
    // A file of the size that takes no room on the disk.
    fs::path Sparse(const std::string& name, std::uintmax_t size) const {
        const fs::path file = File(name);
        Write(file, "");
        fs::resize_file(file, size);
        return file;
    }
};

TEST_F(SafeFileReadTest, RegularFileIsReadWholeAlsoThroughALink) {
    const std::string bytes("line 1\r\nline 2\0binary\xFF", 22);
    Write(File("plain.txt"), bytes);
    fs::create_symlink(File("plain.txt"), File("link.txt"));
    EXPECT_EQ(ReadFileSafely(File("plain.txt"), FileKind::Description), bytes);
    EXPECT_EQ(ReadFileSafely(File("link.txt"), FileKind::Picture), bytes);
    Write(File("empty.txt"), "");
    EXPECT_EQ(ReadFileSafely(File("empty.txt"), FileKind::Profile), "");
}

TEST_F(SafeFileReadTest, FolderFifoAndDevicesAreRefusedWithoutReadingThem) {
    fs::create_directory(File("documents"));
    EXPECT_EQ(Refusal(File("documents"), FileKind::Description), "it is a folder");

    const fs::path fifo = File("korvo_Help_1.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        testing::FifoWatchdog watchdog({fifo});
        EXPECT_EQ(Refusal(fifo, FileKind::Picture), "it is not a regular file");
        EXPECT_FALSE(watchdog.HadToRelease()) << "the reader waited for a writer";
    }

    // A link that looks like a description but leads to an endless device.
    fs::create_symlink("/dev/zero", File("KORVO_DI_8.txt"));
    EXPECT_EQ(Refusal(File("KORVO_DI_8.txt"), FileKind::Description), "it is not a regular file");
    EXPECT_EQ(Refusal("/dev/null", FileKind::Profile), "it is not a regular file");
}

TEST_F(SafeFileReadTest, MissingFileIsToldApartFromOneThatIsRefused) {
    try {
        ReadFileSafely(File("none.prj"), FileKind::Profile);
        FAIL() << "a missing file was read";
    } catch (const FileReadError& e) {
        EXPECT_TRUE(e.Missing());
        EXPECT_EQ(std::string(e.what()), "Cannot read \"" + File("none.prj").string() + "\": No such file or directory");
    }
    fs::create_directory(File("folder"));
    EXPECT_EQ(Refusal(File("folder"), FileKind::Profile), "it is a folder");
}

TEST_F(SafeFileReadTest, EachKindIsReadUpToItsOwnLimit) {
    constexpr std::uintmax_t kMiB = 1024 * 1024;
    EXPECT_EQ(ReadFileSafely(Sparse("at-limit.txt", kMiB), FileKind::Description).size(), kMiB);
    const fs::path overDescription = Sparse("over.txt", kMiB + 1);
    EXPECT_EQ(Refusal(overDescription, FileKind::Description), "the file is larger than 1 MiB");
    // The same file is no trouble as a picture.
    EXPECT_EQ(ReadFileSafely(overDescription, FileKind::Picture).size(), kMiB + 1);
    EXPECT_EQ(Refusal(Sparse("over.jpg", 32 * kMiB + 1), FileKind::Picture), "the file is larger than 32 MiB");
    EXPECT_EQ(Refusal(Sparse("over.prj", 64 * kMiB + 1), FileKind::Profile), "the file is larger than 64 MiB");
}

}  // namespace
}  // namespace korvo
