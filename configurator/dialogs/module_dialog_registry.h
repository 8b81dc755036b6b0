#pragma once
// The module dialogs by type name, for the faces that do not go through a window.

#include "module_dialog.h"

#include <memory>
#include <string>

namespace korvo {

// A fresh dialog (start state) for the type; null for a type without a dialog.
std::unique_ptr<ModuleDialog> MakeModuleDialog(const std::string& typeName);

}  // namespace korvo
