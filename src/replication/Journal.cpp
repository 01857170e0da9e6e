#include "replication/Journal.h"

#include "app/InstallDirectory.h"
#include "base/AnsiCodec.h"
#include "base/Regional.h"

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace envio {

namespace {

// Lines of the threads of one process never run into each other, and a block is written as one.
std::mutex& journalLock() {
    static std::mutex lock;
    return lock;
}

thread_local JournalBlock* heldBy = nullptr;

// Appends the line whole or not at all. Only a regular file is written: a pipe or a device named like a
// journal would block the run or swallow its lines, and counts as unwritable. Append mode creates a missing
// journal and never truncates an existing one. A line that does not fit (a full disk, the file-size limit) is
// cut back off, since a fragment would run into the next line.
void appendWhole(const char* path, const std::string& line) {
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
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

    std::string file = QFile::encodeName(path).toStdString();
    if (heldBy) {
        heldBy->hold(std::move(file), std::move(line));
        return;
    }
    const std::lock_guard guard(journalLock());
    appendWhole(file.c_str(), line);
}

} // namespace

void archivo_auditoria(const std::string& first, const std::string& second, const std::string& third) {
    appendLine(QStringLiteral("\\TARNELO.TXT"), {&first, &second, &third});
}

void archivo_errores(const std::string& text) {
    appendLine(QStringLiteral("\\errortarnelo.txt"), {&text});
}

JournalBlock::JournalBlock() : previous_(heldBy) {
    heldBy = this;
}

JournalBlock::~JournalBlock() {
    heldBy = previous_;
    const std::lock_guard guard(journalLock());
    // Journal by journal, in the order each was first written to.
    std::vector<std::string> files;
    for (const auto& [file, line] : lines_)
        if (std::find(files.begin(), files.end(), file) == files.end())
            files.push_back(file);
    for (const std::string& file : files)
        for (const auto& [lineFile, line] : lines_)
            if (lineFile == file)
                appendWhole(file.c_str(), line);
}

void JournalBlock::hold(std::string file, std::string line) {
    lines_.emplace_back(std::move(file), std::move(line));
}

} // namespace envio
