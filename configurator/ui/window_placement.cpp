#include "ui/window_placement.h"

#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace korvo {

namespace {

int Inside(int start, int length, int areaStart, int areaLength) {
    return std::clamp(start, areaStart, std::max(areaStart, areaStart + areaLength - length));
}

}  // namespace

void ShowOverOwner(QWidget* window, const QWidget* owner) {
    // A window that was never given a position would land wherever the platform puts
    // new windows; one that has a position (the user's last one) keeps it.
    if (!window->testAttribute(Qt::WA_Moved) && owner != nullptr) {
        // The layout may still grow the window to its minimum size; centre that size.
        if (QLayout* layout = window->layout()) layout->activate();
        QRect placed(QPoint(0, 0), window->size());
        placed.moveCenter(owner->geometry().center());
        if (const QScreen* screen = owner->screen()) {
            const QRect area = screen->availableGeometry();
            placed.moveTo(Inside(placed.left(), placed.width(), area.left(), area.width()),
                          Inside(placed.top(), placed.height(), area.top(), area.height()));
        }
        // The client area, as the frame's size is not known before the first showing.
        window->setGeometry(placed);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace korvo
