#include "ui/picture_file.h"

#include "station/jpeg_picture.h"
#include "station/safe_file_read.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

namespace korvo {

bool LoadPicture(const std::string& file, QPixmap& picture, std::string* error) {
    const auto fail = [&](const std::string& reason) {
        if (error != nullptr) *error = file + ": " + reason;
        return false;
    };
    QByteArray bytes;
    try {
        bytes = QByteArray::fromStdString(ReadFileSafely(file, FileKind::Picture));
    } catch (const FileReadError& e) {
        if (error != nullptr) *error = e.what();
        return false;
    }
    // JPEGs go through the program's own decoder, which takes no damaged file.
    if (bytes.startsWith("\xFF\xD8")) {
        std::string why;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        const std::optional<RgbPicture> jpeg = DecodeJpeg(data, static_cast<std::size_t>(bytes.size()), &why);
        if (!jpeg) return fail(why);
        const QImage image(jpeg->rgb.data(), jpeg->width, jpeg->height, jpeg->width * 3, QImage::Format_RGB888);
        picture = QPixmap::fromImage(image.copy());
        return true;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid()) return fail("not a picture");
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        return fail("picture size " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                    " is out of range (at most " + std::to_string(kMaxPictureSide) + " x " +
                    std::to_string(kMaxPictureSide) + ")");
    }
    const QImage image = reader.read();
    if (image.isNull()) return fail(reader.errorString().toStdString());
    picture = QPixmap::fromImage(image);
    return true;
}

}  // namespace korvo
