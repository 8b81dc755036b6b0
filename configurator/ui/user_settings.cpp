#include "user_settings.h"

#include <QSettings>

namespace korvo {

std::unique_ptr<QSettings> UserSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("korvo"),
                                       QStringLiteral("KorvoConfigurator"));
}

}  // namespace korvo
