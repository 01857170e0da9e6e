#include "app/ServerList.h"

#include "app/InstallDirectory.h"

#include <QFile>
#include <algorithm>

namespace envio {

namespace {

// A server string holds at most this many bytes. The bytes of a longer line past this limit are dropped up
// to the line's end; the line is listed with its first kMaxLineLength bytes.
constexpr std::size_t kMaxLineLength = 255;

constexpr qint64 kBlockSize = 64 * 1024;

} // namespace

std::vector<std::string> readServerList(const QString& path) {
    std::vector<std::string> servers;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return servers;

    // The byte count is taken once at the start; bytes appended while reading are not looked at, and a file
    // that shrinks ends the loop early.
    qint64 remaining = file.size();
    std::string line;
    bool swallowNext = false;
    std::vector<char> block(static_cast<std::size_t>(kBlockSize));
    while (remaining > 0) {
        const qint64 got = file.read(block.data(), std::min(remaining, kBlockSize));
        if (got <= 0)
            break;
        remaining -= got;
        for (qint64 i = 0; i < got; ++i) {
            const char byte = block[static_cast<std::size_t>(i)];
            if (swallowNext) {
                swallowNext = false;
            } else if (byte == '\r' || byte == '\n') {
                servers.push_back(std::move(line));
                line.clear();
                swallowNext = byte == '\r';
            } else if (line.size() < kMaxLineLength) {
                line.push_back(byte);
            }
        }
    }
    // A last line without a line end is not listed.
    return servers;
}

std::vector<std::string> loadServerList() {
    return readServerList(applicationFile(QStringLiteral("\\SERVIDORES.cfg")));
}

} // namespace envio
