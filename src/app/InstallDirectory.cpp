#include "app/InstallDirectory.h"

#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "db/Error.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <atomic>

#ifdef _WIN32
#include <string>
#include <windows.h>
#endif

namespace envio {

namespace {

constexpr char kValueName[] = "Directorio";

QString invalidTypeMessage() {
    return QStringLiteral("Invalid data type for '%1'").arg(QLatin1String(kValueName));
}

QString cutAtNul(QString text) {
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

InstallDirSource& platformSource() {
#ifdef _WIN32
    static RegistrySource source;
#else
    static SettingsFileSource source;
#endif
    return source;
}

std::atomic<InstallDirSource*>& installedSource() {
    static std::atomic<InstallDirSource*> slot{nullptr};
    return slot;
}

} // namespace

QString SettingsFileSource::settingsFilePath() {
    QString base = QStringLiteral("/etc/xdg");
    const QByteArray dirs = qgetenv("XDG_CONFIG_DIRS");
    const QString first = QString::fromLocal8Bit(dirs).section(QLatin1Char(':'), 0, 0);
    if (!first.isEmpty())
        base = first;
    return base + QStringLiteral("/KDM/VERTano2021.conf");
}

std::optional<QString> SettingsFileSource::read() {
    const QString path = settingsFilePath();
    {
        // The file stands for the key: it is absent when it cannot be opened.
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            return std::nullopt;
    }
    const QSettings settings(path, QSettings::IniFormat);
    const QVariant value = settings.value(QLatin1String(kValueName));
    if (!value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return cutAtNul(value.toString());
    case QMetaType::QStringList:
        // An unquoted value holding commas is read as a list; it is joined back into one text (blanks next
        // to the commas are not kept; quote such a value).
        return cutAtNul(value.toStringList().join(QLatin1Char(',')));
    default:
        throw Error(invalidTypeMessage().toStdString());
    }
}

#ifdef _WIN32
std::optional<QString> RegistrySource::read() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\KDM\\VERTano2021", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    struct KeyCloser {
        HKEY key;
        ~KeyCloser() { RegCloseKey(key); }
    } closer{key};

    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, kValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return QString();
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw Error(invalidTypeMessage().toStdString());
    std::string data(size, '\0');
    if (RegQueryValueExA(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return QString();
    data.resize(size);
    const std::size_t nul = data.find('\0');
    if (nul != std::string::npos)
        data.resize(nul);
    return fromAnsi(data);
}
#endif

void setInstallDirSource(InstallDirSource* source) {
    installedSource().store(source);
}

QString diraplicacion() {
    InstallDirSource* source = installedSource().load();
    const std::optional<QString> directory = (source ? *source : platformSource()).read();
    if (!directory) {
        dialogs().message(QStringLiteral(
            "No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\KDM\\VERTano2021\\Directorio"));
        return QString();
    }
    return *directory;
}

std::optional<QString> storedInstallDirectory() {
    InstallDirSource* source = installedSource().load();
    return (source ? *source : platformSource()).read();
}

QString applicationFile(const QString& literal) {
    QString name = literal;
    if (name.startsWith(QLatin1Char('\\')))
        name[0] = QDir::separator();
    return diraplicacion() + name;
}

} // namespace envio
