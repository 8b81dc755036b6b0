#pragma once
// JPEG pictures (connection pictures, help pages) decoded with libjpeg into plain RGB
// pixels, so the windows only wrap them. A damaged or oversized file is an error with
// a reason, never a crash or an exit of the program.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, rows top to bottom
};

// Pictures larger than this in either direction are refused before decoding: no
// picture the program shows is larger, and decoding a progressive one takes several
// times its pixel memory.
inline constexpr int kMaxPictureSide = 4096;

// Reads the file as FileKind::Picture; the error names the file and the reason.
std::optional<RgbPicture> LoadJpeg(const std::string& path, std::string* error = nullptr);
std::optional<RgbPicture> DecodeJpeg(const std::uint8_t* data, std::size_t size, std::string* error = nullptr);

}  // namespace korvo
