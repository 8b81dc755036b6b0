#pragma once
// The drawing of one placed module: the panel Pa with the module picture Im and up to
// 32 LED circles on top. The drawing only reports mouse events; TfrmKonfig decides.

#include <QFrame>
#include <QLabel>
#include <QRect>
#include <QWidget>

#include <array>

namespace korvo {

class LedShape : public QWidget {
    Q_OBJECT
public:
    static const QColor kOff;
    static const QColor kOn;

    LedShape(int number, QWidget* parent);
    int Number() const { return number_; }
    QColor Colour() const { return colour_; }
    void SetColour(const QColor& colour);
    bool IsLit() const { return colour_ != kOff; }

Q_SIGNALS:
    void pressed(LedShape* led, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int number_;
    QColor colour_;
};

class ModulePicture : public QLabel {
    Q_OBJECT
public:
    explicit ModulePicture(QWidget* parent);

Q_SIGNALS:
    void pressed(Qt::MouseButton button, QPoint position);
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class ModulePanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kLedCount = 32;

    explicit ModulePanel(QWidget* parent);

    int Slot() const { return slot_; }
    // Names the panel "Pa<slot>" and its picture "Im<slot>"; the LEDs keep their names
    // until RenameLeds, as the model asks for that separately.
    void SetSlot(int slot);
    void RenameLeds();
    ModulePicture* Picture() const { return picture_; }
    LedShape* Led(int number) const { return leds_[static_cast<std::size_t>(number)]; }
    // Normal-size geometry of the panel and of each LED; the view scales them.
    QRect normalRect;
    std::array<QRect, kLedCount + 1> normalLedRects{};
    // Sets the scaled geometry; does nothing when neither the rectangles nor the
    // scale changed since the last call, so re-arranging a station stays cheap.
    void ApplyScale(double scale);
    // The red "over budget" mark of a coupler whose station holds more bytes than
    // its image.
    void SetOverBudget(bool over);
    bool OverBudget() const { return !mark_->isHidden(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int slot_ = 0;
    double appliedScale_ = 0;
    QRect appliedRect_;
    std::array<QRect, kLedCount + 1> appliedLedRects_{};
    ModulePicture* picture_;
    // The slot number in the picture's corner, and the over-budget mark at its foot;
    // both let the clicks through to the picture.
    QLabel* slotLabel_;
    QLabel* mark_;
    std::array<LedShape*, kLedCount + 1> leds_{};
};

}  // namespace korvo
