#include "support/InstallDirectorySettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace envio::test {

InstallDirectorySettings::InstallDirectorySettings(const QString& laterDirectory) {
    hadConfigDirs_ = qEnvironmentVariableIsSet("XDG_CONFIG_DIRS");
    previousConfigDirs_ = qgetenv("XDG_CONFIG_DIRS");
    QString dirs = config_.path();
    if (!laterDirectory.isEmpty())
        dirs += QLatin1Char(':') + laterDirectory;
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dirs));
}

InstallDirectorySettings::~InstallDirectorySettings() {
    if (hadConfigDirs_)
        qputenv("XDG_CONFIG_DIRS", previousConfigDirs_);
    else
        qunsetenv("XDG_CONFIG_DIRS");
}

QString InstallDirectorySettings::settingsFile() const {
    return config_.filePath(QStringLiteral("KDM/VERTano2021.conf"));
}

void InstallDirectorySettings::storeDirectory(const QString& directory) {
    QDir().mkpath(config_.filePath(QStringLiteral("KDM")));
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Directorio"), directory);
    settings.sync();
}

void InstallDirectorySettings::writeSettings(const QByteArray& content) {
    QDir().mkpath(QFileInfo(settingsFile()).path());
    QFile file(settingsFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

void InstallDirectorySettings::removeSettings() {
    QFile::remove(settingsFile());
}

} // namespace envio::test
