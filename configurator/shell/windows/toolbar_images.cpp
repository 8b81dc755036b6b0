#include "toolbar_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace korvo {

namespace {

constexpr int kSize = 20;

QIcon Draw(const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return QIcon(pixmap);
}

void Page(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    QPainterPath path;
    path.moveTo(4.5, 1.5);
    path.lineTo(12.5, 1.5);
    path.lineTo(16.5, 5.5);
    path.lineTo(16.5, 18.5);
    path.lineTo(4.5, 18.5);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(12.5, 1.5), QPointF(12.5, 5.5));
    p.drawLine(QPointF(12.5, 5.5), QPointF(16.5, 5.5));
}

void Magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
    p.drawLine(QPointF(12, 12), QPointF(18, 18));
    p.setPen(QPen(QColor(0, 0, 160), 1.6));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
    if (plus) p.drawLine(QPointF(8, 5), QPointF(8, 11));
}

}  // namespace

QList<QIcon> ToolbarImages() {
    QList<QIcon> images(14);
    images[ImageIndex::NewProject] = Draw([](QPainter& p) {
        Page(p);
        p.setPen(QPen(QColor(230, 170, 0), 1.5));
        p.drawLine(QPointF(8, 11), QPointF(13, 11));
        p.drawLine(QPointF(10.5, 8.5), QPointF(10.5, 13.5));
    });
    images[ImageIndex::OpenProject] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(1.5, 5.5, 15, 11));
        p.setBrush(QColor(255, 225, 120));
        QPainterPath lid;
        lid.moveTo(4.5, 9.5);
        lid.lineTo(19.5, 9.5);
        lid.lineTo(16.5, 16.5);
        lid.lineTo(1.5, 16.5);
        lid.closeSubpath();
        p.drawPath(lid);
    });
    images[ImageIndex::SaveProject] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(20, 20, 80), 1));
        p.setBrush(QColor(50, 70, 160));
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 9, 6));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(5.5, 11.5, 9, 6));
    });
    images[ImageIndex::ZoomOut] = Draw([](QPainter& p) { Magnifier(p, false); });
    images[ImageIndex::ZoomIn] = Draw([](QPainter& p) { Magnifier(p, true); });
    images[ImageIndex::Arrangement] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(120, 160, 120));
        for (int i = 0; i < 3; ++i) p.drawRect(QRectF(1.5 + 4 * i, 2.5, 3, 7));
        for (int i = 0; i < 3; ++i) p.drawRect(QRectF(13.5, 6.5 + 4 * i, 5, 3));
        p.setPen(QPen(QColor(0, 0, 160), 1.5));
        p.drawLine(QPointF(4, 14), QPointF(10, 14));
        p.drawLine(QPointF(8, 12), QPointF(10, 14));
        p.drawLine(QPointF(8, 16), QPointF(10, 14));
    });
    images[ImageIndex::IpSettings] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(QColor(90, 140, 210));
        p.drawRect(QRectF(1.5, 2.5, 17, 11));
        p.drawLine(QPointF(10, 13.5), QPointF(10, 17.5));
        p.drawLine(QPointF(4, 17.5), QPointF(16, 17.5));
        p.setPen(Qt::white);
        QFont font = p.font();
        font.setPixelSize(8);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(1.5, 2.5, 17, 11), Qt::AlignCenter, QStringLiteral("IP"));
    });
    images[ImageIndex::CheckConfiguration] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(QRectF(1.5, 3.5, 17, 13));
        p.setPen(QPen(QColor(0, 150, 0), 2.2));
        p.drawLine(QPointF(5, 10), QPointF(9, 14));
        p.drawLine(QPointF(9, 14), QPointF(16, 5));
    });
    images[ImageIndex::Online] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(0, 170, 0));
        p.drawEllipse(QPointF(10, 10), 7.5, 7.5);
        p.setPen(QPen(Qt::white, 2));
        p.drawArc(QRectF(5.5, 5.5, 9, 9), 120 * 16, 300 * 16);
        p.drawLine(QPointF(10, 3.5), QPointF(10, 9));
    });
    images[ImageIndex::OnlineBlink] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(210, 0, 0));
        p.drawEllipse(QPointF(10, 10), 7.5, 7.5);
        p.setPen(QPen(QColor(255, 220, 220), 2));
        p.drawArc(QRectF(5.5, 5.5, 9, 9), 120 * 16, 300 * 16);
        p.drawLine(QPointF(10, 3.5), QPointF(10, 9));
    });
    images[ImageIndex::Debug] = Draw([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(3, 7 + 4 * i), QPointF(17, 7 + 4 * i));
        }
        p.setBrush(QColor(170, 40, 40));
        p.drawEllipse(QRectF(6, 4, 8, 13));
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QRectF(7.5, 1.5, 5, 4));
    });
    return images;
}

}  // namespace korvo
