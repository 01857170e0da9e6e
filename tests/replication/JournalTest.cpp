#include "replication/Journal.h"

#include "base/Regional.h"
#include "support/InstallDirectorySettings.h"
#include "support/ScriptedDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace envio {
namespace {

using Kind = ScriptedDialogs::Kind;

const QString kMissingKeyMessage =
    QStringLiteral("No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\KDM\\VERTano2021\\Directorio");

// An installation directory found through a settings file under a temporary XDG_CONFIG_DIRS, fixed regional
// formats, and recorded message boxes.
class JournalTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(install_.isValid());
        // A middle dot (0xB7 in the code page) shows that the regional texts are converted, not written as
        // UTF-8.
        regional::setOverride(
            regional::Formats{QStringLiteral("dd·MM·yyyy"), QStringLiteral("HH:mm:ss"), QLatin1Char(',')});
        storeDirectory(install_.path());
    }
    void TearDown() override { regional::setOverride(std::nullopt); }

    void storeDirectory(const QString& directory) { settings_.storeDirectory(directory); }

    static QByteArray contents(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }
    QString audit() const { return install_.filePath(QStringLiteral("TARNELO.TXT")); }
    QString errors() const { return install_.filePath(QStringLiteral("errortarnelo.txt")); }

    // Splits "<date>,<time>,<rest>\r\n" written by one call, checks that date and time are one moment between
    // `before` and now in the regional formats, and gives the rest.
    static std::string fieldsOf(const QByteArray& line, const QDateTime& before) {
        EXPECT_TRUE(line.endsWith("\r\n")) << line.toStdString();
        const qsizetype firstComma = line.indexOf(',');
        const qsizetype secondComma = line.indexOf(',', firstComma + 1);
        EXPECT_GT(firstComma, 0);
        EXPECT_GT(secondComma, firstComma);
        const QByteArray date = line.left(firstComma);
        const QByteArray time = line.mid(firstComma + 1, secondComma - firstComma - 1);
        EXPECT_EQ(date.size(), 10);
        EXPECT_EQ(static_cast<unsigned char>(date.at(2)), 0xB7);
        EXPECT_EQ(static_cast<unsigned char>(date.at(5)), 0xB7);
        const QDateTime written(
            QDate::fromString(QString::fromLatin1(date), QStringLiteral("dd\u00B7MM\u00B7yyyy")),
            QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss")));
        EXPECT_TRUE(written.isValid()) << line.toStdString();
        const QDateTime after = QDateTime::currentDateTime();
        EXPECT_GE(written, before.addMSecs(-before.time().msec()));
        EXPECT_LE(written, after);
        return line.mid(secondComma + 1, line.size() - secondComma - 3).toStdString();
    }

    test::InstallDirectorySettings settings_;
    QTemporaryDir install_;
    ScriptedDialogs dialogs_;
    ScopedDialogs guard_{dialogs_};
};

TEST_F(JournalTest, FirstLineCreatesTheAuditJournal) {
    ASSERT_FALSE(QFile::exists(audit()));
    const QDateTime before = QDateTime::currentDateTime();
    archivo_auditoria("Inicio", "002", "0");
    const QByteArray text = contents(audit());
    EXPECT_EQ(text.count("\r\n"), 1);
    EXPECT_EQ(fieldsOf(text, before), "Inicio,002,0");
    EXPECT_TRUE(dialogs_.calls().empty());
    EXPECT_FALSE(QFile::exists(errors()));
}

TEST_F(JournalTest, LinesAreAppendedNeverReplaced) {
    const QDateTime before = QDateTime::currentDateTime();
    archivo_auditoria("17", "126", "ART-1");
    archivo_auditoria("18", "101", "ART-2");
    const QList<QByteArray> lines = contents(audit()).split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the empty piece after the last line end
    EXPECT_EQ(fieldsOf(lines[0] + '\n', before), "17,126,ART-1");
    EXPECT_EQ(fieldsOf(lines[1] + '\n', before), "18,101,ART-2");
    EXPECT_TRUE(lines[2].isEmpty());
}

TEST_F(JournalTest, ExistingJournalKeepsItsContents) {
    {
        QFile file(errors());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("earlier text without line end");
    }
    const QDateTime before = QDateTime::currentDateTime();
    archivo_errores("nuevo");
    const QByteArray text = contents(errors());
    ASSERT_TRUE(text.startsWith("earlier text without line end"));
    EXPECT_EQ(fieldsOf(text.mid(29), before), "nuevo");
}

TEST_F(JournalTest, FieldsAreWrittenUnchanged) {
    const QDateTime before = QDateTime::currentDateTime();
    const std::string message = "violation of FOREIGN KEY constraint \"FK_A\", on table \"PRECIOS\"\n"
                                "Foreign key reference target does not exist\r\nconexi\xF3n \x80";
    archivo_errores(message);
    const QByteArray text = contents(errors());
    EXPECT_EQ(fieldsOf(text, before), message);
    // The message brings its own line breaks, so the entry spans three lines of the journal.
    EXPECT_EQ(text.count('\n'), 3);
}

TEST_F(JournalTest, EmptyFieldsKeepTheirCommas) {
    const QDateTime before = QDateTime::currentDateTime();
    archivo_auditoria("19", "229", "");
    archivo_auditoria("", "", "");
    const QList<QByteArray> lines = contents(audit()).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(fieldsOf(lines[0] + '\n', before), "19,229,");
    EXPECT_EQ(fieldsOf(lines[1] + '\n', before), ",,");
    archivo_errores("");
    EXPECT_EQ(fieldsOf(contents(errors()), before), "");
}

TEST_F(JournalTest, DirectoryIsLookedUpForEveryLine) {
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    archivo_auditoria("a", "b", "c");
    storeDirectory(other.path() + QStringLiteral("/"));
    archivo_auditoria("d", "e", "f");
    EXPECT_EQ(contents(audit()).count("\r\n"), 1);
    EXPECT_EQ(contents(other.filePath(QStringLiteral("TARNELO.TXT"))).count("\r\n"), 1);
}

TEST_F(JournalTest, UnwritableLocationLosesTheLineSilently) {
    // A directory below a regular file cannot be created or written, even by root.
    {
        QFile blocker(install_.filePath(QStringLiteral("plain-file")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    storeDirectory(install_.filePath(QStringLiteral("plain-file/sub")));
    EXPECT_NO_THROW(archivo_auditoria("Inicio", "002", "3"));
    EXPECT_NO_THROW(archivo_errores("x"));
    storeDirectory(install_.filePath(QStringLiteral("missing/dir")));
    EXPECT_NO_THROW(archivo_errores("y"));
    EXPECT_FALSE(QFile::exists(install_.filePath(QStringLiteral("missing"))));
    EXPECT_TRUE(dialogs_.calls().empty());

    // A journal name taken by a directory cannot be appended to either.
    storeDirectory(install_.path());
    ASSERT_TRUE(QDir(install_.path()).mkdir(QStringLiteral("TARNELO.TXT")));
    EXPECT_NO_THROW(archivo_auditoria("1", "2", "3"));
    EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(JournalTest, MissingSettingsFileShowsTheMessageForEveryLine) {
    settings_.removeSettings();
    // Without a directory the journal goes to the root; leave the root as it was found.
    const QString rootJournal = QDir::rootPath() + QStringLiteral("errortarnelo.txt");
    const bool existed = QFile::exists(rootJournal);
    const qint64 sizeBefore = existed ? QFileInfo(rootJournal).size() : 0;

    archivo_errores("uno");
    archivo_errores("dos");
    EXPECT_EQ(dialogs_.texts(Kind::Message), (QStringList{kMissingKeyMessage, kMissingKeyMessage}));
    EXPECT_FALSE(QFile::exists(errors()));

    if (!existed) {
        QFile::remove(rootJournal);
    } else if (QFileInfo(rootJournal).size() > sizeBefore) {
        QFile::resize(rootJournal, sizeBefore);
    }
}

} // namespace
} // namespace envio
