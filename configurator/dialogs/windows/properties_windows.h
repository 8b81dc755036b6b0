#pragma once
// The module properties windows: created once, hidden, at program start and
// registered with the main window, whose properties command shows them.
//
// A new window adds one line to CreatePropertiesWindows in properties_windows.cpp:
//   register(PropertiesDialog::Korvo_XY, new TfrmKorvo_XY(model, owner));

#include "module_window.h"

#include "station/property_call.h"

#include <functional>

class QWidget;

namespace korvo {

class IoTestFeed;
class Pinger;

using RegisterPropertiesWindow = std::function<void(PropertiesDialog, QWidget*)>;

// Creates every properties window as a hidden window of `owner` and hands it to
// `registerWindow`. The coupler's connection test echoes through `pinger` (null:
// the system's echo); the windows of measured channels plot them from `trends`.
void CreatePropertiesWindows(const ModelSource& model, QWidget* owner,
                             const RegisterPropertiesWindow& registerWindow, Pinger* pinger = nullptr,
                             IoTestFeed* trends = nullptr);

}  // namespace korvo
