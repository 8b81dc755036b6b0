#pragma once
// The settings that belong to the user, not to a project or the program folder: the
// windows' places and the I/O test's interval, in ~/.config/korvo/KorvoConfigurator.ini.

#include <memory>

class QSettings;

namespace korvo {

std::unique_ptr<QSettings> UserSettings();

}  // namespace korvo
