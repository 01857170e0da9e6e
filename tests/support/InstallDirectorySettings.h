#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace envio::test {

// The settings file that names the suite's installation directory, in a temporary configuration directory
// that XDG_CONFIG_DIRS names for the life of the object (followed by `laterDirectory` when given, which must
// not be looked at); the previous XDG_CONFIG_DIRS comes back afterwards.
class InstallDirectorySettings {
public:
    explicit InstallDirectorySettings(const QString& laterDirectory = {});
    ~InstallDirectorySettings();
    InstallDirectorySettings(const InstallDirectorySettings&) = delete;
    InstallDirectorySettings& operator=(const InstallDirectorySettings&) = delete;

    QString configDirectory() const { return config_.path(); }
    // <configuration directory>/KDM/VERTano2021.conf
    QString settingsFile() const;
    // Stores the value "Directorio" the way a settings tool would, escaping included.
    void storeDirectory(const QString& directory);
    // Writes the settings file's bytes as given.
    void writeSettings(const QByteArray& content);
    void removeSettings();

private:
    QTemporaryDir config_;
    bool hadConfigDirs_ = false;
    QByteArray previousConfigDirs_;
};

} // namespace envio::test
