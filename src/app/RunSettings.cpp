#include "app/RunSettings.h"

#include "app/InstallDirectory.h"

#include <QSettings>

namespace envio {

namespace {

// A whole number of the settings file, or `fallback` when it is absent or outside [least, most].
int wholeSetting(const QString& name, int fallback, int least, int most) {
    const QSettings settings(SettingsFileSource::settingsFilePath(), QSettings::IniFormat);
    bool ok = false;
    const int value = settings.value(name, fallback).toInt(&ok);
    return ok && value >= least && value <= most ? value : fallback;
}

} // namespace

int lockWaitSeconds() {
    return wholeSetting(QStringLiteral("EsperaBloqueo"), 60, 1, 3600);
}

int sendLanes() {
    return wholeSetting(QStringLiteral("Paralelo"), 4, 1, 32);
}

} // namespace envio
