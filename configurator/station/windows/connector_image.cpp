#include "connector_image.h"

#include "ui/cp1252_text.h"
#include "ui/window_placement.h"
#include "station/jpeg_picture.h"
#include "station/property_call.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QVBoxLayout>

namespace korvo {

TfrmConnectorImage::TfrmConnectorImage(QWidget* parent) : QWidget(parent, Qt::Window), picture_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmConnectorImage"));
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setScaledContents(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture_);
}

void TfrmConnectorImage::ShowConnectionImage(const std::string& programFolder, const std::string& typeName) {
    if (const ConnectionRow* row = FindConnection(typeName)) {
        const std::string path = programFolder + "documents/" + row->pictureFile;
        // A picture that cannot be loaded leaves the previous one, without a message.
        if (const auto picture = LoadJpeg(path)) {
            const QImage image(picture->rgb.data(), picture->width, picture->height, picture->width * 3,
                               QImage::Format_RGB888);
            picture_->setPixmap(QPixmap::fromImage(image));
            pictureFile_ = QFile::decodeName(QByteArray::fromStdString(path));
        }
    }
    setWindowTitle(ToQString(typeName));
    resize(685, 422);
    ShowOverOwner(this, parentWidget());
}

}  // namespace korvo
