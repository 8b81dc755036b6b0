#include "connector_image.h"

#include "shell/windows/cp1252_text.h"
#include "station/property_call.h"

#include <QFile>
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
        const QString file = QFile::decodeName(QByteArray::fromStdString(programFolder + "documents/" + row->pictureFile));
        QPixmap picture;
        if (picture.load(file)) {
            picture_->setPixmap(picture);
            pictureFile_ = file;
        }
    }
    setWindowTitle(ToQString(typeName));
    resize(685, 422);
    show();
}

}  // namespace korvo
