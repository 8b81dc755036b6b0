#include "about_box.h"

#include "ui/picture_file.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace korvo {

namespace {

// The picture whole, as large as the place allows without distorting it.
QLabel* PictureLabel(QWidget* parent, const char* name, const std::string& file, const QRect& place) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignCenter);
    QPixmap picture;
    if (LoadPicture(file, picture)) {
        label->setPixmap(picture.scaled(place.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return label;
}

}  // namespace

TAboutBox::TAboutBox(const std::string& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(281, 263);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 265, 211);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);

    auto* product = new QLabel(QString::fromLatin1(kProductLine), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    product->setGeometry(16, 8, 240, 20);

    const std::string images = programFolder + "images/";
    PictureLabel(panel, "ProgramIcon", images + "korvo.png", QRect(16, 34, 50, 50));
    const char* const maker[] = {"KORVO remote I/O systems", "commissioning tools", "for modular I/O stations"};
    for (int i = 0; i < 3; ++i) {
        auto* line = new QLabel(QString::fromLatin1(maker[i]), panel);
        line->setObjectName(QStringLiteral("Maker%1").arg(i + 1));
        line->setGeometry(76, 36 + 16 * i, 180, 16);
    }
    PictureLabel(panel, "StationPicture", images + "korvo_about.jpg", QRect(16, 96, 233, 105));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setDefault(true);
    ok->setGeometry(101, 227, 80, 28);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

void TAboutBox::ShowCentred() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
}

}  // namespace korvo
