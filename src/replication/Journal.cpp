#include "replication/Journal.h"

#include "app/InstallDirectory.h"
#include "base/AnsiCodec.h"
#include "base/Regional.h"

#include <QDateTime>
#include <QFile>
#include <initializer_list>

namespace envio {

namespace {

void appendLine(const QString& literal, std::initializer_list<const std::string*> fields) {
    const QString path = applicationFile(literal);

    // One clock reading, so that date and time agree across midnight.
    const QDateTime now = QDateTime::currentDateTime();
    std::string line = toAnsi(regional::formatDate(now.date()));
    line += ',';
    line += toAnsi(regional::formatTime(now.time()));
    for (const std::string* field : fields) {
        line += ',';
        line += *field;
    }
    line += "\r\n";

    // Append mode creates a missing journal and never truncates an existing one. Failures lose the line.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    const qint64 before = file.size();
    const qint64 written = file.write(line.data(), static_cast<qint64>(line.size()));
    if (written != static_cast<qint64>(line.size()) || !file.flush()) {
        // A line that does not fit (a full disk) is lost whole: a fragment would run into the next line.
        file.resize(before);
    }
    file.close();
}

} // namespace

void archivo_auditoria(const std::string& first, const std::string& second, const std::string& third) {
    appendLine(QStringLiteral("\\TARNELO.TXT"), {&first, &second, &third});
}

void archivo_errores(const std::string& text) {
    appendLine(QStringLiteral("\\errortarnelo.txt"), {&text});
}

} // namespace envio
