#include "fifo_watchdog.h"
#include "temp_folder.h"

#include "station/jpeg_picture.h"
#include "station/property_call.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;

// A JPEG of the given size, every pixel the colour, as a file next to the program would hold.
std::vector<std::uint8_t> Encode(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                 bool grey = false) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * (grey ? 1 : 3));
    for (std::size_t i = 0; i < row.size(); i += grey ? 1 : 3) {
        row[i] = r;
        if (!grey) {
            row[i + 1] = g;
            row[i + 2] = b;
        }
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

TEST(JpegPicture, DecodesSizeAndColours) {
    const auto bytes = Encode(17, 9, 200, 40, 10);
    std::string error;
    const auto picture = DecodeJpeg(bytes.data(), bytes.size(), &error);
    ASSERT_TRUE(picture) << error;
    EXPECT_EQ(picture->width, 17);
    EXPECT_EQ(picture->height, 9);
    ASSERT_EQ(picture->rgb.size(), 17u * 9u * 3u);
    EXPECT_NEAR(picture->rgb[0], 200, 3);
    EXPECT_NEAR(picture->rgb[1], 40, 3);
    EXPECT_NEAR(picture->rgb[picture->rgb.size() - 1], 10, 3);
}

TEST(JpegPicture, GreyPicturesComeOutAsRgb) {
    const auto bytes = Encode(4, 4, 128, 0, 0, true);
    const auto picture = DecodeJpeg(bytes.data(), bytes.size());
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->rgb.size(), 4u * 4u * 3u);
    EXPECT_NEAR(picture->rgb[0], 128, 2);
    EXPECT_NEAR(picture->rgb[2], 128, 2);
}

TEST(JpegPicture, DamagedFilesAreErrorsNotCrashes) {
    std::string error;
    const std::vector<std::uint8_t> garbage = {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(DecodeJpeg(garbage.data(), garbage.size(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(DecodeJpeg(nullptr, 0, &error));
    EXPECT_EQ(error, "empty file");

    const auto bytes = Encode(64, 64, 10, 20, 30);
    // A file cut anywhere, even inside the pixel data where libjpeg would only warn and
    // pad with grey, is an error: a help page never shows half grey.
    for (const std::size_t cut : {std::size_t{2}, std::size_t{20}, bytes.size() / 2, bytes.size() - 2}) {
        error.clear();
        EXPECT_FALSE(DecodeJpeg(bytes.data(), cut, &error)) << "cut at " << cut;
        EXPECT_FALSE(error.empty()) << "cut at " << cut;
    }
    EXPECT_FALSE(LoadJpeg("/no/such/picture.jpg", &error));
    EXPECT_NE(error.find("/no/such/picture.jpg"), std::string::npos);
}

class JpegFile : public testing::TempFolder {};

TEST_F(JpegFile, FifoFolderAndDeviceAreRefusedWithTheirName) {
    const fs::path fifo = File("korvo_Help_1.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    {
        testing::FifoWatchdog watchdog({fifo});
        EXPECT_FALSE(LoadJpeg(fifo.string(), &error));
        EXPECT_FALSE(watchdog.HadToRelease()) << "the picture's reader waited for a writer";
    }
    EXPECT_EQ(error, "Cannot read \"" + fifo.string() + "\": it is not a regular file");

    fs::create_directory(File("connection_di_8.jpg"));
    EXPECT_FALSE(LoadJpeg(File("connection_di_8.jpg").string(), &error));
    EXPECT_EQ(error, "Cannot read \"" + File("connection_di_8.jpg").string() + "\": it is a folder");

    fs::create_symlink("/dev/zero", File("korvo_Help_2.jpg"));
    EXPECT_FALSE(LoadJpeg(File("korvo_Help_2.jpg").string(), &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

    const auto bytes = Encode(5, 5, 1, 2, 3);
    Write(File("good.jpg"), std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(LoadJpeg(File("good.jpg").string(), &error)) << error;
}

// The picture with its frame header (SOF0) rewritten to announce another size; the
// pixel data stays that of the original.
std::vector<std::uint8_t> Announcing(std::vector<std::uint8_t> bytes, int width, int height) {
    for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = static_cast<std::uint8_t>(height >> 8);
            bytes[i + 6] = static_cast<std::uint8_t>(height & 0xFF);
            bytes[i + 7] = static_cast<std::uint8_t>(width >> 8);
            bytes[i + 8] = static_cast<std::uint8_t>(width & 0xFF);
            break;
        }
    }
    return bytes;
}

TEST(JpegPicture, OversizedPictureIsRefusedBeforeAllocating) {
    const auto bytes = Announcing(Encode(8, 8, 0, 0, 0), 60000, 60000);
    std::string error;
    EXPECT_FALSE(DecodeJpeg(bytes.data(), bytes.size(), &error));
    EXPECT_NE(error.find("60000 x 60000"), std::string::npos) << error;
}

TEST(JpegPicture, NothingAbove4096By4096IsDecoded) {
    std::string error;
    for (const auto& [width, height] : {std::pair{8192, 8192}, std::pair{4097, 8}, std::pair{8, 4097}}) {
        const auto bytes = Announcing(Encode(8, 8, 0, 0, 0), width, height);
        error.clear();
        EXPECT_FALSE(DecodeJpeg(bytes.data(), bytes.size(), &error)) << width << " x " << height;
        EXPECT_NE(error.find(std::to_string(width) + " x " + std::to_string(height) + " is out of range"),
                  std::string::npos)
            << error;
    }
    // The largest size there is still decodes, in either direction.
    for (const auto& [width, height] : {std::pair{4096, 8}, std::pair{8, 4096}}) {
        const auto bytes = Encode(width, height, 90, 90, 90);
        const auto picture = DecodeJpeg(bytes.data(), bytes.size(), &error);
        ASSERT_TRUE(picture) << error;
        EXPECT_EQ(picture->width, width);
        EXPECT_EQ(picture->height, height);
    }
}

TEST(JpegPicture, DataLibjpegOnlyWarnsAboutIsAnErrorNotAGreyPage) {
    const auto bytes = Encode(64, 64, 200, 40, 10);
    std::string error;
    // A header that claims more pixels than the data holds: the data end in the
    // file's end marker long before the last row.
    const auto grown = Announcing(bytes, 640, 640);
    EXPECT_FALSE(DecodeJpeg(grown.data(), grown.size(), &error));
    EXPECT_NE(error.find("Corrupt JPEG data"), std::string::npos) << error;

    // The pixel data follow the scan header (SOS).
    std::size_t scan = 0;
    for (std::size_t i = 0; i + 3 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) scan = i;
    }
    ASSERT_GT(scan, 0u);
    const std::size_t pixels = scan + 2 + (bytes[scan + 2] << 8 | bytes[scan + 3]);
    // A restart marker inside pixel data that have no restart intervals.
    auto marked = bytes;
    marked[pixels + 4] = 0xFF;
    marked[pixels + 5] = 0xD3;
    error.clear();
    EXPECT_FALSE(DecodeJpeg(marked.data(), marked.size(), &error));
    EXPECT_NE(error.find("Corrupt JPEG data"), std::string::npos) << error;
    // Stray bytes between two markers of the header.
    auto padded = bytes;
    padded.insert(padded.begin() + static_cast<std::ptrdiff_t>(scan), {1, 2, 3, 4, 5});
    error.clear();
    EXPECT_FALSE(DecodeJpeg(padded.data(), padded.size(), &error));
    EXPECT_NE(error.find("extraneous bytes"), std::string::npos) << error;
}

#ifdef KORVO_PICTURES_DIR
TEST(JpegPicture, EveryShippedConnectionPictureDecodes) {
    for (const ConnectionRow& row : ConnectionTable()) {
        const std::string path = std::string(KORVO_PICTURES_DIR) + "/" + row.pictureFile;
        std::string error;
        const auto picture = LoadJpeg(path, &error);
        ASSERT_TRUE(picture) << path << ": " << error;
        EXPECT_EQ(picture->width, 685) << path;
        EXPECT_EQ(picture->height, 422) << path;
    }
}
#endif

}  // namespace
}  // namespace korvo
