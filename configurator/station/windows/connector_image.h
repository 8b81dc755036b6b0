#pragma once
// The connection-picture window: one stretched picture of a module type's terminals.

#include <QLabel>
#include <QWidget>

#include <string>

namespace korvo {

class TfrmConnectorImage : public QWidget {
    Q_OBJECT
public:
    explicit TfrmConnectorImage(QWidget* parent = nullptr);
    // Shows the picture of the type from the folder documents of the program folder,
    // centred over the main window the first time; a type without a picture keeps the
    // previous one under the new caption.
    void ShowConnectionImage(const std::string& programFolder, const std::string& typeName);
    QLabel* Picture() const { return picture_; }
    // The file of the picture shown last, empty when none was loaded.
    const QString& PictureFile() const { return pictureFile_; }

private:
    QLabel* picture_;
    QString pictureFile_;
};

}  // namespace korvo
