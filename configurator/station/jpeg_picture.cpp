#include "jpeg_picture.h"

#include "safe_file_read.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace korvo {

namespace {

// libjpeg ends the process on an error unless error_exit leaves by longjmp.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// libjpeg only warns about damaged data (a file cut off, a marker inside the pixel
// data, a bad code) and fills the rest with grey; here every warning is an error, so
// a damaged file never shows as a grey page.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0) ErrorExit(info);
}

bool Fail(std::string* error, const std::string& reason) {
    if (error != nullptr) *error = reason;
    return false;
}

// Decodes into `picture`; kept free of objects with destructors, as longjmp skips them.
bool Decode(const std::uint8_t* data, std::size_t size, RgbPicture& picture, std::string* error) {
    jpeg_decompress_struct info;
    ErrorManager manager;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = ErrorExit;
    manager.base.output_message = IgnoreMessage;
    manager.base.emit_message = EmitMessage;
    if (setjmp(manager.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return Fail(error, manager.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return Fail(error, "not a JPEG picture");
    }
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxPictureSide ||
        info.image_height > kMaxPictureSide) {
        jpeg_destroy_decompress(&info);
        return Fail(error, "picture size " + std::to_string(info.image_width) + " x " +
                               std::to_string(info.image_height) + " is out of range (at most " +
                               std::to_string(kMaxPictureSide) + " x " + std::to_string(kMaxPictureSide) + ")");
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture.width = static_cast<int>(info.output_width);
    picture.height = static_cast<int>(info.output_height);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * 3;
    picture.rgb.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.rgb.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

std::optional<RgbPicture> DecodeJpeg(const std::uint8_t* data, std::size_t size, std::string* error) {
    if (data == nullptr || size == 0) {
        Fail(error, "empty file");
        return std::nullopt;
    }
    RgbPicture picture;
    if (!Decode(data, size, picture, error)) return std::nullopt;
    return picture;
}

std::optional<RgbPicture> LoadJpeg(const std::string& path, std::string* error) {
    std::string bytes;
    try {
        bytes = ReadFileSafely(path, FileKind::Picture);
    } catch (const FileReadError& e) {
        Fail(error, e.what());
        return std::nullopt;
    }
    return DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), error);
}

}  // namespace korvo
