#include "app/RunLock.h"

#include "app/InstallDirectory.h"
#include "db/Error.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace envio {

RunLock::RunLock() {
    std::optional<QString> directory;
    try {
        directory = storedInstallDirectory();
    } catch (const Error&) {
        // A settings value of the wrong type: the run reports it where it reads the directory for its
        // journals.
    }
    // Without a stored directory the journals go to the root, which is then the directory to guard.
    take(directory && !directory->isEmpty() ? *directory : QStringLiteral("/"));
}

RunLock::RunLock(const QString& directory) {
    take(directory);
}

void RunLock::take(const QString& directory) {
    const QByteArray path = QFile::encodeName(directory);
    fd_ = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EWOULDBLOCK)
        taken_ = false;
}

RunLock::~RunLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString runInProgressText() {
    return QStringLiteral(
        "Ya hay un envío en curso para este directorio de instalación; este envío no se hace.");
}

} // namespace envio
