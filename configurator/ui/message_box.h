#pragma once
// Every message box of the online windows goes through one replaceable function, so
// tests record the boxes instead of waiting for a click.

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace korvo {

using MessageBoxFunction = std::function<void(QWidget* parent, const QString& text, const QString& caption)>;

// The function in use; at start it shows a modal box with an OK button.
MessageBoxFunction& MessageBoxSeam();

// A box with a Windows-1252 text and caption from the model or the logic.
void ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption);

// A box wide enough for its caption: a short text must not leave the title bar
// room for only a few letters of it.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                            const QString& text, QMessageBox::StandardButtons buttons);

}  // namespace korvo
