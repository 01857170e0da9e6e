// Journals that cannot be written: an installation directory that does not exist, one under a regular file,
// a read-only file system and a full one. The run goes on and completes, every event is sent and stamped, no
// message is shown, and an existing journal is never emptied.

#include "faults/FaultFixture.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace envio;
using namespace envio::test;

namespace {

// A small tmpfs mounted on a directory of its own for the life of the object.
class TmpfsMount {
public:
    TmpfsMount(const QString& options, bool readOnly) {
        if (!dir_.isValid())
            return;
        const QByteArray target = QFile::encodeName(dir_.path());
        const QByteArray data = options.toLatin1();
        if (::mount("tmpfs", target.constData(), "tmpfs", readOnly ? MS_RDONLY : 0, data.constData()) == 0)
            mounted_ = true;
        else
            error_ = std::strerror(errno);
    }
    ~TmpfsMount() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }
    QString path() const { return dir_.path(); }

    bool remountReadOnly() {
        const QByteArray target = QFile::encodeName(dir_.path());
        return ::mount("tmpfs", target.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    // Fills the file system with one file until no byte more fits.
    void fill() {
        const QByteArray name = QFile::encodeName(dir_.path() + QStringLiteral("/filler"));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        EXPECT_EQ(errno, ENOSPC);
        ::close(fd);
    }
    void release() { QFile::remove(dir_.path() + QStringLiteral("/filler")); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    std::string error_;
};

class JournalStorageTest : public FaultTest {
protected:
    // An origin, Sucursal Norte and two events for it; with unreachableServer, a second destination whose
    // database cannot be connected, for a line in the error journal.
    void prepare(const std::string& unreachableServer = {}) {
        makeServerOrigin().run(
            "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', 'DEMO');"
            "INSERT INTO PRECIOS_ARTICULO (LIPR_COD, ARTI_COD, PRAR_FIJO) VALUES (1, 'A-0001', 1250)");
        norte_ = &addServerDestination("002", "Sucursal Norte");
        if (!unreachableServer.empty())
            addDestinationEntry("009", "Sucursal Cerrada", unreachableServer);
        events_ = {addEvent(EventSpec(1125, 1)), addEvent(EventSpec(126, 1, "A-0001"))};
        connectThrough(nullptr);
    }

    // One run that completes with every event sent, without a word to the operator.
    void expectRunCompletes() {
        dialogs_.clearCalls();
        ASSERT_EQ(run(), RunOutcome::Completed);
        for (int id : events_)
            EXPECT_EQ(state(id), "stamped") << id;
        EXPECT_EQ(norte_->scalar("select prfu_nombre from precios_futuros"), "LISTA ESCOLAR 2025");
        EXPECT_EQ(norte_->scalar("select prar_fijo from precios_articulo"), "1250.0000");
        EXPECT_TRUE(dialogs_.calls().empty());
        EXPECT_TRUE(view_.timerOn());
    }

    TestDatabase* norte_ = nullptr;
    std::vector<int> events_;
};

TEST_F(JournalStorageTest, DirectoryThatDoesNotExistLosesTheLines) {
    prepare();
    QTemporaryDir parent;
    const QString missing = parent.filePath(QStringLiteral("no/such/directory"));
    install_.storeDirectory(missing);

    expectRunCompletes();
    EXPECT_FALSE(QFileInfo::exists(parent.filePath(QStringLiteral("no"))))
        << "the journals create no directory";
}

TEST_F(JournalStorageTest, DirectoryUnderARegularFileLosesTheLines) {
    prepare();
    QTemporaryDir parent;
    const QString file = parent.filePath(QStringLiteral("plain.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a directory\n");
    }
    install_.storeDirectory(file + QStringLiteral("/journals"));

    expectRunCompletes();
    EXPECT_EQ(Installation::contents(file), QByteArray("not a directory\n"));
}

TEST_F(JournalStorageTest, ReadOnlyFileSystemLosesTheLinesAndKeepsTheJournals) {
    TmpfsMount mount(QStringLiteral("size=64k"), false);
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << mount.error();
    prepare("localhost:" + mount.path().toStdString());
    install_.storeDirectory(mount.path());
    // A first run writes both journals while the file system is writable.
    expectRunCompletes();
    const QByteArray audit = install_.audit();
    const QByteArray errors = install_.errors();
    ASSERT_FALSE(audit.isEmpty());
    ASSERT_FALSE(errors.isEmpty());

    ASSERT_TRUE(mount.remountReadOnly()) << std::strerror(errno);
    origin().run("UPDATE PRECIOS_FUTUROS SET PRFU_NOMBRE = 'LISTA ESCOLAR 2025' WHERE PRFU_ID = 1");
    events_.push_back(addEvent(EventSpec(1125, 1)));
    expectRunCompletes();
    EXPECT_EQ(install_.audit(), audit);
    EXPECT_EQ(install_.errors(), errors);
}

TEST_F(JournalStorageTest, EmptyReadOnlyFileSystemLosesTheLines) {
    TmpfsMount mount(QStringLiteral("size=64k"), true);
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a read-only tmpfs here: " << mount.error();
    prepare();
    install_.storeDirectory(mount.path());

    expectRunCompletes();
    EXPECT_FALSE(QFileInfo::exists(install_.auditPath()));
    EXPECT_FALSE(QFileInfo::exists(install_.errorsPath()));
}

// The file system fills up while the journal grows: the line that does not fit is lost, what is on disk stays
// whole, and once there is room again the journal goes on with whole lines.
TEST_F(JournalStorageTest, FullFileSystemLosesLinesButNeverCorruptsTheJournal) {
    TmpfsMount mount(QStringLiteral("size=16k"), false);
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << mount.error();
    prepare();
    install_.storeDirectory(mount.path());
    // An audit journal that ends ten bytes short of a page: the next line starts to fit and then does not.
    QByteArray earlier;
    for (int i = 0; earlier.size() < 4096 - 10; ++i) {
        QByteArray line = "01/01/2025,08:00:00," + QByteArray::number(i) + ",1125,";
        line += QByteArray(
            std::max<qsizetype>(0, std::min<qsizetype>(64, 4096 - 10 - earlier.size()) - line.size() - 2),
            'x');
        earlier += line + "\r\n";
    }
    ASSERT_EQ(earlier.size(), 4096 - 10);
    {
        QFile journal(install_.auditPath());
        ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
        ASSERT_EQ(journal.write(earlier), earlier.size());
    }
    const std::vector<std::string> before = Installation::entries(earlier);
    mount.fill();

    expectRunCompletes();
    EXPECT_EQ(install_.auditEntries(), before) << "the lines that did not fit are lost whole";

    mount.release();
    events_.push_back(addEvent(EventSpec(1125, 1)));
    expectRunCompletes();
    std::vector<std::string> expected = before;
    expected.push_back("Inicio,002,1");
    expected.push_back(std::to_string(events_.back()) + ",1125,");
    EXPECT_EQ(install_.auditEntries(), expected);
}

} // namespace
