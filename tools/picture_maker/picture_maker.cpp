// Draws the module pictures named by the catalogue (plain and highlighted "Click"
// variant, slots x 30 by 90 pixels, LED sockets where the station view puts the LEDs),
// the connection pictures of the connection table (JPEG, in documents/, labelled from
// the connection descriptions the data folder already holds there) and the
// program icon. Usage: korvo_picture_maker CATALOGUE DATA_FOLDER

#include "docs/connection_description.h"
#include "station/catalogue.h"
#include "station/module.h"
#include "station/profile_file.h"
#include "station/property_call.h"
#include "station/station_layout.h"
#include "station/versch.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

QColor FromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

// The type label printed on the module face: "KORVO DI 16" gives "DI 16".
QString FaceLabel(const std::string& type) {
    const std::string prefix = "KORVO ";
    return QString::fromStdString(type.rfind(prefix, 0) == 0 ? type.substr(prefix.size()) : type);
}

korvo::TModul LedModule(const korvo::ProfileFile& catalogue, const std::string& type) {
    korvo::TModul module;
    module.slots = static_cast<std::uint8_t>(catalogue.ReadInteger(type, "slots", 0));
    std::string pattern = catalogue.ReadString(type, "LedMuster", "0,");
    std::string item;
    for (int led = 1; led <= korvo::TModul::kLedCount; ++led) {
        korvo::NextItemTrimmed(pattern, ',', item);
        std::int32_t weight = 0;
        korvo::TryStrToInt(item, weight);
        module.LedWeight[static_cast<std::size_t>(led)] = static_cast<std::uint16_t>(weight);
    }
    return module;
}

void DrawTerminals(QPainter& p, int columns) {
    // Two rows of two spring terminals per 30-pixel column.
    for (int s = 0; s < columns; ++s) {
        for (int row = 0; row < 2; ++row) {
            for (int k = 0; k < 2; ++k) {
                const QRectF screw(6.5 + 30 * s + 10 * k, 68.5 + 9 * row, 7, 7);
                p.setPen(QPen(QColor(70, 70, 70), 1));
                p.setBrush(QColor(150, 150, 150));
                p.drawEllipse(screw);
                p.setPen(QPen(QColor(40, 40, 40), 1));
                p.drawLine(QPointF(screw.left() + 2, screw.center().y()), QPointF(screw.right() - 2, screw.center().y()));
            }
        }
    }
}

QImage DrawModule(const korvo::ProfileFile& catalogue, const std::string& type, bool highlighted) {
    const korvo::TModul leds = LedModule(catalogue, type);
    const int columns = leds.slots > 0 ? leds.slots : 1;
    const int width = columns * korvo::kColumnWidth;
    const int height = korvo::kModuleHeight;
    const QColor family = FromBgr(static_cast<std::uint32_t>(catalogue.ReadInteger(type, "fontcolor", 0x808080)));
    const bool coupler = type == korvo::kCouplerType;

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(214, 214, 214));
    QPainter p(&image);

    // Housing: light body, darker terminal block, family-coloured top strip.
    p.fillRect(QRect(0, 0, width, 9), family);
    p.fillRect(QRect(0, 64, width, 26), QColor(120, 120, 120));
    for (int s = 1; s < columns; ++s) {
        p.setPen(QColor(170, 170, 170));
        p.drawLine(30 * s, 9, 30 * s, 63);
    }
    p.setPen(QColor(255, 255, 255));
    p.drawLine(0, 9, width - 1, 9);
    p.setPen(QColor(90, 90, 90));
    p.drawRect(0, 0, width - 1, height - 1);

    // Sockets of the LEDs the view draws on top, at the view's own LED positions.
    const auto placements = korvo::LayoutLeds(leds);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 1; i <= korvo::TModul::kLedCount; ++i) {
        const korvo::LedPlacement& led = placements[static_cast<std::size_t>(i)];
        if (!led.visible) continue;
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QRectF(led.rect.left - 1, led.rect.top - 1, led.rect.width + 2, led.rect.height + 2));
    }
    if (coupler) {
        // The Ethernet jack of the coupler.
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(62.5, 28.5, 20, 16));
        p.setBrush(QColor(200, 170, 60));
        p.drawRect(QRectF(66.5, 40.5, 12, 3));
    }

    QFont label(QStringLiteral("DejaVu Sans"));
    label.setPixelSize(columns == 1 ? 8 : 10);
    label.setBold(true);
    p.setFont(label);
    p.setPen(Qt::black);
    p.drawText(QRect(1, 50, width - 2, 13), Qt::AlignHCenter | Qt::AlignVCenter, FaceLabel(type));
    QFont brand = label;
    brand.setPixelSize(6);
    p.setFont(brand);
    p.setPen(Qt::white);
    p.drawText(QRect(1, 0, width - 2, 9), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("KORVO"));

    DrawTerminals(p, columns);

    if (highlighted) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(QColor(0, 80, 255), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 1.5, width - 3, height - 3));
    }
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

// The terminals of a module type as its connection description lists them, in
// connector order: the plan and the picture read the same file.
std::vector<korvo::ConnectionPoint> Terminals(const std::filesystem::path& data, const korvo::ConnectionRow& row) {
    const korvo::ConnectionDescription description =
        korvo::ConnectionDescription::Load(data / "documents" / (std::string(row.typeKey) + ".txt"));
    std::vector<korvo::ConnectionPoint> points;
    for (int k = 0; k < description.DataLineCount(); ++k) points.push_back(description.Point(k));
    std::stable_sort(points.begin(), points.end(),
                     [](const korvo::ConnectionPoint& a, const korvo::ConnectionPoint& b) { return a.number < b.number; });
    return points;
}

QImage DrawConnection(const korvo::ProfileFile& catalogue, const korvo::ConnectionRow& row,
                      const std::vector<korvo::ConnectionPoint>& terminals) {
    QImage image(685, 422, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(20);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::black);
    p.drawText(QRect(20, 12, 645, 28), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(row.typeName) + QStringLiteral("  connection"));

    // The module front, three times its size in the station view.
    const QImage front = DrawModule(catalogue, row.typeName, false).convertToFormat(QImage::Format_RGB32);
    const QRect target(30, 60, front.width() * 3, front.height() * 3);
    p.drawImage(target, front);

    QFont text(QStringLiteral("DejaVu Sans"));
    text.setPixelSize(12);
    p.setFont(text);
    const int left = std::max(target.right() + 40, 300);
    const int perColumn = 24;
    for (int i = 0; i < static_cast<int>(terminals.size()); ++i) {
        const korvo::ConnectionPoint& terminal = terminals[static_cast<std::size_t>(i)];
        const int x = left + (i / perColumn) * 180;
        const int y = 64 + (i % perColumn) * 14;
        p.setPen(QColor(0, 0, 128));
        p.drawText(QRect(x, y, 30, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(terminal.number));
        p.setPen(Qt::black);
        p.drawText(QRect(x + 38, y, 320, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(terminal.description.c_str()));
    }
    p.setPen(QColor(90, 90, 90));
    p.drawText(QRect(20, 392, 645, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("connector = the module's plug from the left, then the terminal on it; group ") + QString::fromLatin1(row.groupKey));
    p.end();
    return image;
}

QImage DrawIcon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(200, 200, 200));
    p.drawRoundedRect(QRectF(3, 8, 58, 48), 4, 4);
    const QColor headers[] = {QColor(0, 0, 128), QColor(0, 128, 0), QColor(192, 0, 0), QColor(0, 128, 128)};
    for (int i = 0; i < 4; ++i) {
        const double left = 7 + 13.5 * i;
        p.setPen(Qt::NoPen);
        p.setBrush(headers[i]);
        p.drawRect(QRectF(left, 12, 11, 8));
        p.setBrush(i % 2 == 0 ? QColor(255, 220, 0) : QColor(110, 110, 110));
        p.drawEllipse(QRectF(left + 2, 24, 7, 7));
        p.setBrush(i % 2 == 0 ? QColor(110, 110, 110) : QColor(255, 220, 0));
        p.drawEllipse(QRectF(left + 2, 34, 7, 7));
        p.setBrush(QColor(110, 110, 110));
        p.drawRect(QRectF(left, 45, 11, 7));
    }
    p.end();
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvo_picture_maker CATALOGUE DATA_FOLDER\n");
        return 2;
    }
    const std::filesystem::path data(argv[2]);
    korvo::ProfileFile catalogue;
    try {
        catalogue = korvo::ProfileFile::Load(argv[1]);
    } catch (const korvo::ProfileError& e) {
        std::fprintf(stderr, "korvo_picture_maker: %s\n", e.what());
        return 1;
    }
    int written = 0;
    for (const std::string& type : catalogue.SectionNames()) {
        const std::string name = catalogue.ReadString(type, "image", "");
        if (name.empty()) continue;
        const std::filesystem::path base = data / name;
        std::filesystem::create_directories(base.parent_path());
        for (const bool highlighted : {false, true}) {
            const std::string file = base.string() + (highlighted ? "Click.bmp" : ".bmp");
            if (!DrawModule(catalogue, type, highlighted).save(QString::fromStdString(file), "BMP")) {
                std::fprintf(stderr, "korvo_picture_maker: cannot write %s\n", file.c_str());
                return 1;
            }
            ++written;
        }
    }
    std::filesystem::create_directories(data / "documents");
    for (const korvo::ConnectionRow& row : korvo::ConnectionTable()) {
        const std::string file = (data / "documents" / row.pictureFile).string();
        std::vector<korvo::ConnectionPoint> terminals;
        try {
            terminals = Terminals(data, row);
        } catch (const korvo::PlanError& e) {
            std::fprintf(stderr, "korvo_picture_maker: %s\n", e.what());
            return 1;
        }
        if (!DrawConnection(catalogue, row, terminals).save(QString::fromStdString(file), "JPG", 85)) {
            std::fprintf(stderr, "korvo_picture_maker: cannot write %s\n", file.c_str());
            return 1;
        }
        ++written;
    }
    const std::string icon = (data / "images" / "korvo.png").string();
    if (!DrawIcon().save(QString::fromStdString(icon), "PNG")) {
        std::fprintf(stderr, "korvo_picture_maker: cannot write %s\n", icon.c_str());
        return 1;
    }
    std::printf("%d module and connection pictures and the icon written below %s\n", written, data.string().c_str());
    return 0;
}
