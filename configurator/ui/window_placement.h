#pragma once
// Where the secondary windows appear: centred over the main window the first time,
// and afterwards where the user left them, always fully on the screen.

class QWidget;

namespace korvo {

// Shows, raises and activates the window; the first time it is centred over owner.
void ShowOverOwner(QWidget* window, const QWidget* owner);

}  // namespace korvo
