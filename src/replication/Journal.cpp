#include "replication/Journal.h"

#include "app/InstallDirectory.h"
#include "base/AnsiCodec.h"
#include "base/Regional.h"

#include <QDateTime>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace envio {

namespace {

// Appends the line whole or not at all. Only a regular file is written: a pipe or a device named like a
// journal would block the run or swallow its lines, and counts as unwritable. Append mode creates a missing
// journal and never truncates an existing one. A line that does not fit (a full disk, the file-size limit) is
// cut back off, since a fragment would run into the next line.
void appendWhole(const QByteArray& path, const std::string& line) {
    const int fd =
        ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    const off_t before = st.st_size;
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    if (written != line.size() && written > 0) {
        while (::ftruncate(fd, before) != 0 && errno == EINTR) {
        }
    }
    ::close(fd);
}

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

    appendWhole(QFile::encodeName(path), line);
}

} // namespace

void archivo_auditoria(const std::string& first, const std::string& second, const std::string& third) {
    appendLine(QStringLiteral("\\TARNELO.TXT"), {&first, &second, &third});
}

void archivo_errores(const std::string& text) {
    appendLine(QStringLiteral("\\errortarnelo.txt"), {&text});
}

} // namespace envio
