#include "module_drawing.h"

#include "station/station_layout.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace korvo {

// Colours of the LEDs: off and on.
const QColor LedShape::kOff(0x80, 0x80, 0x80);
const QColor LedShape::kOn(0xFF, 0xFF, 0x00);

LedShape::LedShape(int number, QWidget* parent) : QWidget(parent), number_(number), colour_(kOff) {
    setAttribute(Qt::WA_TranslucentBackground);
    hide();
}

void LedShape::SetColour(const QColor& colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
}

void LedShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour_);
    painter.drawEllipse(rect());
}

void LedShape::mousePressEvent(QMouseEvent* event) { Q_EMIT pressed(this, event->button()); }

ModulePicture::ModulePicture(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
    setAutoFillBackground(true);
}

void ModulePicture::mousePressEvent(QMouseEvent* event) { Q_EMIT pressed(event->button(), event->pos()); }

void ModulePicture::mouseDoubleClickEvent(QMouseEvent*) { Q_EMIT doubleClicked(); }

ModulePanel::ModulePanel(QWidget* parent)
    : QFrame(parent), picture_(new ModulePicture(this)), slotLabel_(new QLabel(this)), mark_(new QLabel(this)) {
    // A raised outer and lowered inner bevel one pixel wide, on silver.
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(palette);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    for (int i = 1; i <= kLedCount; ++i) leds_[static_cast<std::size_t>(i)] = new LedShape(i, this);
    for (QLabel* label : {slotLabel_, mark_}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setAutoFillBackground(true);
        QFont small = label->font();
        small.setPixelSize(9);
        label->setFont(small);
        label->setAlignment(Qt::AlignCenter);
    }
    slotLabel_->setObjectName(QStringLiteral("SlotNumber"));
    QPalette slotColours = slotLabel_->palette();
    slotColours.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xFF, 0xD0));
    slotColours.setColor(QPalette::WindowText, Qt::black);
    slotLabel_->setPalette(slotColours);
    mark_->setObjectName(QStringLiteral("OverBudgetMark"));
    mark_->setText(QStringLiteral("over budget"));
    QPalette markColours = mark_->palette();
    markColours.setColor(QPalette::Window, Qt::red);
    markColours.setColor(QPalette::WindowText, Qt::white);
    mark_->setPalette(markColours);
    mark_->hide();
    hide();
}

void ModulePanel::SetOverBudget(bool over) { mark_->setVisible(over); }

void ModulePanel::SetSlot(int slot) {
    slot_ = slot;
    setObjectName(QStringLiteral("Pa%1").arg(slot));
    picture_->setObjectName(QStringLiteral("Im%1").arg(slot));
    slotLabel_->setText(QString::number(slot));
}

void ModulePanel::RenameLeds() {
    for (int i = 1; i <= kLedCount; ++i) Led(i)->setObjectName(QString::fromStdString(LedName(slot_, i)));
}

void ModulePanel::ApplyScale(double scale) {
    if (scale == appliedScale_ && normalRect == appliedRect_ && normalLedRects == appliedLedRects_) return;
    appliedScale_ = scale;
    appliedRect_ = normalRect;
    appliedLedRects_ = normalLedRects;
    const auto scaled = [scale](const QRect& r) {
        return QRect(static_cast<int>(std::lround(r.left() * scale)), static_cast<int>(std::lround(r.top() * scale)),
                     static_cast<int>(std::lround(r.width() * scale)), static_cast<int>(std::lround(r.height() * scale)));
    };
    setGeometry(scaled(normalRect));
    for (int i = 1; i <= kLedCount; ++i) Led(i)->setGeometry(scaled(normalLedRects[static_cast<std::size_t>(i)]));
}

void ModulePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    picture_->setGeometry(rect());
    picture_->lower();
    // Above the first LED row, which starts 14 pixels down at normal size.
    const int height = std::max(6, this->height() * 12 / 90);
    for (QLabel* label : {slotLabel_, mark_}) {
        QFont font = label->font();
        font.setPixelSize(std::max(5, height - 2));
        label->setFont(font);
    }
    slotLabel_->setGeometry(2, 1, std::min(width() - 4, 18), height);
    slotLabel_->raise();
    mark_->setGeometry(1, this->height() - height - 1, width() - 2, height);
    mark_->raise();
}

}  // namespace korvo
