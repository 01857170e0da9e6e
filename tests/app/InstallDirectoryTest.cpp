#include "app/InstallDirectory.h"

#include "db/Error.h"
#include "support/InstallDirectorySettings.h"
#include "support/ScriptedDialogs.h"

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

// A settings file in a temporary configuration directory, followed by a second one that must not be looked
// at, and the operator's message boxes recorded.
class InstallDirectoryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(otherRoot_.isValid());
        setInstallDirSource(nullptr);
    }

    static void writeFile(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(content), content.size());
    }
    void writeSettings(const QByteArray& content) { settings_.writeSettings(content); }
    void storeDirectory(const QString& directory) { settings_.storeDirectory(directory); }

    QTemporaryDir otherRoot_;
    test::InstallDirectorySettings settings_{otherRoot_.path()};
    ScriptedDialogs dialogs_;
    ScopedDialogs guard_{dialogs_};
};

TEST_F(InstallDirectoryTest, ReadsTheDirectoryFromTheFirstConfigDirectory) {
    storeDirectory(QStringLiteral("/opt/kdm/vertano 2021"));
    writeFile(otherRoot_.path() + QStringLiteral("/KDM/VERTano2021.conf"),
              "[General]\nDirectorio=/elsewhere\n");
    EXPECT_EQ(SettingsFileSource::settingsFilePath(), settings_.settingsFile());
    EXPECT_EQ(diraplicacion(), QStringLiteral("/opt/kdm/vertano 2021"));
    EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(InstallDirectoryTest, ReadsTheValueAfreshAtEveryCall) {
    storeDirectory(QStringLiteral("/first"));
    EXPECT_EQ(diraplicacion(), QStringLiteral("/first"));
    writeSettings("[General]\nDirectorio=/second/longer\n");
    EXPECT_EQ(diraplicacion(), QStringLiteral("/second/longer"));
    QFile::remove(settings_.settingsFile());
    EXPECT_EQ(diraplicacion(), QString());
    EXPECT_EQ(dialogs_.texts(Kind::Message), QStringList{kMissingKeyMessage});
}

TEST_F(InstallDirectoryTest, AbsentSettingsFileShowsTheMessageAtEveryCall) {
    EXPECT_EQ(diraplicacion(), QString());
    EXPECT_EQ(diraplicacion(), QString());
    const std::vector<ScriptedDialogs::Call> expected(
        2, ScriptedDialogs::Call{Kind::Message, QStringLiteral("Envio precios"), kMissingKeyMessage});
    EXPECT_EQ(dialogs_.calls(), expected);
}

TEST_F(InstallDirectoryTest, DirectoryInPlaceOfTheSettingsFileCountsAsAbsent) {
    ASSERT_TRUE(QDir().mkpath(settings_.settingsFile()));
    EXPECT_EQ(diraplicacion(), QString());
    EXPECT_EQ(dialogs_.texts(Kind::Message), QStringList{kMissingKeyMessage});
}

TEST_F(InstallDirectoryTest, AbsentOrEmptyValueGivesEmptyTextWithoutMessage) {
    writeSettings("[General]\nOtro=/x\n");
    EXPECT_EQ(diraplicacion(), QString());
    writeSettings("[General]\nDirectorio=\n");
    EXPECT_EQ(diraplicacion(), QString());
    writeSettings("");
    EXPECT_EQ(diraplicacion(), QString());
    EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(InstallDirectoryTest, ValueIsCutAtItsFirstNul) {
    storeDirectory(QStringLiteral("/opt/kdm") + QChar(0) + QStringLiteral("rest"));
    EXPECT_EQ(diraplicacion(), QStringLiteral("/opt/kdm"));
}

TEST_F(InstallDirectoryTest, ValueWithCommasIsTheTextAsWritten) {
    writeSettings("[General]\nDirectorio=/srv/a,b\n");
    EXPECT_EQ(diraplicacion(), QStringLiteral("/srv/a,b"));
    storeDirectory(QStringLiteral("/srv/c, d"));
    EXPECT_EQ(diraplicacion(), QStringLiteral("/srv/c, d"));
}

TEST_F(InstallDirectoryTest, NonTextValueFailsWithTheRegistryMessage) {
    writeSettings("[General]\nDirectorio=@Rect(1 2 3 4)\n");
    try {
        diraplicacion();
        FAIL() << "no failure";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Invalid data type for 'Directorio'");
    }
    EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(InstallDirectoryTest, ApplicationFileReplacesOnlyTheLeadingBackslash) {
    storeDirectory(QStringLiteral("/opt/kdm"));
    EXPECT_EQ(applicationFile(QStringLiteral("\\TARNELO.TXT")),
              QStringLiteral("/opt/kdm") + QDir::separator() + QStringLiteral("TARNELO.TXT"));
    EXPECT_EQ(applicationFile(QStringLiteral("\\errortarnelo.txt")),
              QStringLiteral("/opt/kdm/errortarnelo.txt"));
    EXPECT_EQ(applicationFile(QStringLiteral("\\sub\\x.txt")), QStringLiteral("/opt/kdm/sub\\x.txt"));
    // A trailing separator in the stored value gives two in a row.
    storeDirectory(QStringLiteral("/opt/kdm/"));
    EXPECT_EQ(applicationFile(QStringLiteral("\\SERVIDORES.cfg")),
              QStringLiteral("/opt/kdm//SERVIDORES.cfg"));
}

TEST_F(InstallDirectoryTest, ApplicationFileWithoutKeyIsAtTheRoot) {
    EXPECT_EQ(applicationFile(QStringLiteral("\\SERVIDORES.cfg")), QStringLiteral("/SERVIDORES.cfg"));
    EXPECT_EQ(dialogs_.texts(Kind::Message), QStringList{kMissingKeyMessage});
}

// A source of the installation directory as the registry would give it.
class FixedSource : public InstallDirSource {
public:
    explicit FixedSource(std::optional<QString> value, bool invalidType = false)
        : value_(std::move(value)), invalidType_(invalidType) {}
    std::optional<QString> read() override {
        ++reads;
        if (invalidType_)
            throw Error("Invalid data type for 'Directorio'");
        return value_;
    }
    int reads = 0;

private:
    std::optional<QString> value_;
    bool invalidType_;
};

TEST_F(InstallDirectoryTest, InstalledSourceIsAskedAtEveryCallAndCanBeRemoved) {
    FixedSource source(QStringLiteral("C:\\KDM"));
    setInstallDirSource(&source);
    EXPECT_EQ(diraplicacion(), QStringLiteral("C:\\KDM"));
    EXPECT_EQ(applicationFile(QStringLiteral("\\TARNELO.TXT")), QStringLiteral("C:\\KDM/TARNELO.TXT"));
    EXPECT_EQ(source.reads, 2);

    FixedSource absent(std::nullopt);
    setInstallDirSource(&absent);
    EXPECT_EQ(diraplicacion(), QString());
    EXPECT_EQ(dialogs_.texts(Kind::Message), QStringList{kMissingKeyMessage});

    FixedSource invalid(QString(), true);
    setInstallDirSource(&invalid);
    EXPECT_THROW(applicationFile(QStringLiteral("\\TARNELO.TXT")), Error);

    setInstallDirSource(nullptr);
    storeDirectory(QStringLiteral("/back/to/file"));
    EXPECT_EQ(diraplicacion(), QStringLiteral("/back/to/file"));
}

} // namespace
} // namespace envio
