// Replays the seeds and the kept inputs of the server list fuzz target (fuzz/corpus/serverlist,
// fuzz/regressions/serverlist) through the target itself, which aborts on a reading that differs from a
// plain byte-at-a-time reading of the same bytes.

#include <QDir>
#include <QFile>
#include <cstdint>
#include <gtest/gtest.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int replay(const QString& directory) {
    int replayed = 0;
    const QDir dir(directory);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << name.toStdString();
            continue;
        }
        const QByteArray input = file.readAll();
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                         static_cast<std::size_t>(input.size())),
                  0);
        ++replayed;
    }
    return replayed;
}

TEST(ServerListFuzzReplay, SeedsAndKeptInputsReadAsTheByteAlgorithmReadsThem) {
    EXPECT_GT(replay(QStringLiteral(ENVIO_FUZZ_DIR "/corpus/serverlist")), 0);
    replay(QStringLiteral(ENVIO_FUZZ_DIR "/regressions/serverlist"));
}

} // namespace
