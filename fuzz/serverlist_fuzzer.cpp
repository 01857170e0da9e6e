// libFuzzer target over the server list reader. Each input is written to a file and read back with
// readServerList; the entries must be those of a plain byte-at-a-time reading of the same bytes. The input
// is read twice: as it is, and after a run of plain bytes that puts its first bytes next to the reader's
// block boundary (a CR at the end of one block swallows the first byte of the next). Built and run by
// scripts/fuzz-serverlist.

#include "app/ServerList.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The reading as the suite's program does it: the byte count taken first; one byte at a time; CR or LF
// ends an entry, and a CR takes the byte after it along, whatever it is; other bytes go into a line buffer
// of 255 characters (bytes past it are dropped); what is left without a line end is not listed.
std::vector<std::string> referenceReading(const std::string& bytes) {
    std::vector<std::string> entries;
    std::string buffer;
    const std::size_t size = bytes.size();
    std::size_t counter = 0;
    while (counter < size) {
        const char byte = bytes[counter];
        if (byte == '\r' || byte == '\n') {
            entries.push_back(buffer);
            buffer.clear();
            if (byte == '\r')
                ++counter; // the byte after a CR is read and thrown away
        } else if (buffer.size() < 255) {
            buffer.push_back(byte);
        }
        ++counter;
    }
    return entries;
}

// The file each input is written to, one per process, removed when the process ends (the text itself is
// never destroyed, so that the removal can still read it).
const QString& scratchFile() {
    static const QString* const path = [] {
        const char* dir = std::getenv("TMPDIR");
        auto* p = new QString(QString::fromLocal8Bit(dir && *dir ? dir : "/tmp") +
                              QStringLiteral("/envio-serverlist-fuzz-%1.cfg").arg(::getpid()));
        std::atexit([] { QFile::remove(scratchFile()); });
        return p;
    }();
    return *path;
}

[[noreturn]] void report(const char* what, const std::string& bytes, const std::vector<std::string>& expected,
                         const std::vector<std::string>& actual) {
    std::fprintf(stderr, "server list check failed (%s): %zu bytes, %zu entries expected, %zu read\n", what,
                 bytes.size(), expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size() || i < actual.size(); ++i) {
        const bool same = i < expected.size() && i < actual.size() && expected[i] == actual[i];
        if (!same) {
            std::fprintf(stderr, "first difference at entry %zu: expected %zu bytes, read %zu bytes\n", i,
                         i < expected.size() ? expected[i].size() : 0,
                         i < actual.size() ? actual[i].size() : 0);
            break;
        }
    }
    std::abort();
}

void check(const char* what, const std::string& bytes) {
    QFile file(scratchFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(scratchFile()));
        std::abort();
    }
    file.close();
    const std::vector<std::string> actual = envio::readServerList(scratchFile());
    const std::vector<std::string> expected = referenceReading(bytes);
    if (actual != expected)
        report(what, bytes, expected, actual);
    for (const std::string& entry : actual)
        if (entry.size() > 255)
            report("entry longer than 255 bytes", bytes, expected, actual);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    check("as given", bytes);
    if (size > 0) {
        // Plain bytes up to a few bytes short of the 64 KiB block, then the input from its second byte.
        const std::size_t shortBy = data[0] % 8;
        check("at a block boundary", std::string(64 * 1024 - shortBy, 'p') + bytes.substr(1));
    }
    return 0;
}
