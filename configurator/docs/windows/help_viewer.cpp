#include "help_viewer.h"

#include "ui/message_box.h"
#include "station/jpeg_picture.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvo {

namespace {

QToolButton* PageButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setAutoRaise(true);
    button->setFixedSize(24, 22);
    return button;
}

}  // namespace

TfrmHelp::TfrmHelp(std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), programFolder_(std::move(programFolder)) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
    resize(870, 577);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setAutoFillBackground(true);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    QToolButton* back = PageButton(bar, "SpeedButton1", QStringLiteral("<"));
    QToolButton* forward = PageButton(bar, "SpeedButton2", QStringLiteral(">"));
    label1_ = new QLabel(QString::fromStdString(pages_.Caption()), bar);
    label1_->setObjectName(QStringLiteral("label1"));
    QFont bold = label1_->font();
    bold.setBold(true);
    label1_->setFont(bold);
    barLayout->addWidget(back);
    barLayout->addWidget(forward);
    barLayout->addSpacing(8);
    barLayout->addWidget(label1_, 1);
    connect(back, &QToolButton::clicked, this, &TfrmHelp::SpeedButton1Click);
    connect(forward, &QToolButton::clicked, this, &TfrmHelp::SpeedButton2Click);

    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("Image"));
    image_->setScaledContents(true);
    // The page is stretched to the window; its own size must not dictate the window's.
    image_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    image_->setStyleSheet(QStringLiteral("background: white"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(image_, 1);
}

void TfrmHelp::SpeedButton1Click() {
    pages_.Previous();
    ShowPage();
}

void TfrmHelp::SpeedButton2Click() {
    pages_.Next();
    ShowPage();
}

void TfrmHelp::OpenAt(int page) {
    pages_.OpenAt(page);
    ShowPage();
    show();
    raise();
    activateWindow();
}

void TfrmHelp::OpenFromMainMenu() {
    resize(900, 550);
    OpenAt(HelpPages::kMainMenuPage);
}

void TfrmHelp::ShowPage() {
    label1_->setText(QString::fromStdString(pages_.Caption()));
    const std::string file = HelpPages::PageFile(programFolder_, pages_.Page()).string();
    std::string error;
    const std::optional<RgbPicture> picture = LoadJpeg(file, &error);
    if (!picture) {
        ShowMessageBox(this, error.find(file) == std::string::npos ? file + ": " + error : error, "Help");
        return;
    }
    const QImage image(picture->rgb.data(), picture->width, picture->height, picture->width * 3,
                       QImage::Format_RGB888);
    image_->setPixmap(QPixmap::fromImage(image.copy()));
}

}  // namespace korvo
