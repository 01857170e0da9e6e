#include "app/RunSettings.h"

#include "app/InstallDirectory.h"

#include <QSettings>

namespace envio {

int lockWaitSeconds() {
    constexpr int kDefault = 60;
    const QSettings settings(SettingsFileSource::settingsFilePath(), QSettings::IniFormat);
    bool ok = false;
    const int seconds = settings.value(QStringLiteral("EsperaBloqueo"), kDefault).toInt(&ok);
    return ok && seconds >= 1 && seconds <= 3600 ? seconds : kDefault;
}

} // namespace envio
