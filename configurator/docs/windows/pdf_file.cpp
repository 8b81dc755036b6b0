#include "pdf_file.h"

#include "station/safe_file_write.h"

#include <QBuffer>
#include <QFile>
#include <QPdfWriter>

#include <string_view>

namespace korvo {

bool WritePdfFile(const QString& file, const QString& title, const std::function<void(QPagedPaintDevice&)>& print,
                  QString* error) {
    // The whole document is rendered in memory first, so a failed render never
    // touches the file.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Korvo Configurator"));
        writer.setResolution(300);
        print(writer);
    }
    const QByteArray& bytes = buffer.data();
    const std::filesystem::path path(QFile::encodeName(file).toStdString());
    if (const std::optional<std::string> why =
            WriteFileSafely(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        if (error) *error = QStringLiteral("Cannot write \"%1\": %2").arg(file, QString::fromStdString(*why));
        return false;
    }
    return true;
}

}  // namespace korvo
