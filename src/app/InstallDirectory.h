#pragma once

#include <QString>
#include <optional>

namespace envio {

// Where the business suite's installation directory is stored: the registry on Windows, a settings file
// elsewhere.
class InstallDirSource {
public:
    virtual ~InstallDirSource() = default;
    // The stored value "Directorio", cut at its first NUL; the empty text when the value is absent or empty;
    // nothing when the key (or settings file) itself is absent. Throws Error("Invalid data type for
    // 'Directorio'") when the value is not text.
    virtual std::optional<QString> read() = 0;
};

// <first directory of $XDG_CONFIG_DIRS, /etc/xdg when unset>/KDM/VERTano2021.conf, value Directorio.
class SettingsFileSource : public InstallDirSource {
public:
    std::optional<QString> read() override;
    // The settings file looked at now.
    static QString settingsFilePath();
};

#ifdef _WIN32
// HKEY_LOCAL_MACHINE\Software\KDM\VERTano2021, value Directorio, read access only.
class RegistrySource : public InstallDirSource {
public:
    std::optional<QString> read() override;
};
#endif

// Installs the source read by diraplicacion (not owned); nullptr goes back to the platform's own.
void setInstallDirSource(InstallDirSource* source);

// The installation directory, read afresh at every call. When the key is absent the operator is told so
// (at every call) and the result is the empty text.
QString diraplicacion();

// The stored installation directory, read afresh and without telling anybody when it is absent.
std::optional<QString> storedInstallDirectory();

// The installation directory followed by a file literal such as "\TARNELO.TXT", whose leading backslash
// becomes the platform's separator. Nothing else is added or removed.
QString applicationFile(const QString& literal);

} // namespace envio
