#include "app/ServerList.h"

#include "support/InstallDirectorySettings.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace envio {
namespace {

using List = std::vector<std::string>;

class ServerListTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString write(const std::string& content, const QString& name = QStringLiteral("SERVIDORES.cfg")) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(content.data(), static_cast<qint64>(content.size())),
                  static_cast<qint64>(content.size()));
        return path;
    }
    List read(const std::string& content) { return readServerList(write(content)); }

    QTemporaryDir dir_;
};

TEST_F(ServerListTest, LinesEndedByCrLfLfOrCrAreListed) {
    EXPECT_EQ(read("A\r\nB\r\n"), (List{"A", "B"}));
    EXPECT_EQ(read("A\nB\n"), (List{"A", "B"}));
    EXPECT_EQ(read("srv1:/vertano\rsrv2:/vertano\r"), (List{"srv1:/vertano", "rv2:/vertano"}));
}

TEST_F(ServerListTest, LastLineWithoutLineEndIsDropped) {
    EXPECT_EQ(read("A\r\nB"), (List{"A"}));
    EXPECT_EQ(read("A\nB"), (List{"A"}));
    EXPECT_EQ(read("only"), List{});
}

TEST_F(ServerListTest, EmptyLinesGiveEmptyEntries) {
    EXPECT_EQ(read("A\n\nB\n"), (List{"A", "", "B"}));
    EXPECT_EQ(read("\n\n"), (List{"", ""}));
    EXPECT_EQ(read("\r\n"), (List{""}));
    EXPECT_EQ(read(""), List{});
}

TEST_F(ServerListTest, CrSwallowsTheNextByteWhateverItIs) {
    // The first CR ends A and eats the B; the second CR ends the entry and eats the LF.
    EXPECT_EQ(read("A\rB\r\n"), (List{"A", ""}));
    EXPECT_EQ(read("A\rBC\r\n"), (List{"A", "C"}));
    // LF, then CR whose LF is swallowed: an empty entry between A and B.
    EXPECT_EQ(read("A\n\r\nB\n"), (List{"A", "", "B"}));
    // A CR swallows a following CR or LF that would otherwise end a line.
    EXPECT_EQ(read("A\r\rB\n"), (List{"A", "B"}));
    // A CR as the very last byte ends its line; there is nothing left to swallow.
    EXPECT_EQ(read("A\nB\r"), (List{"A", "B"}));
}

TEST_F(ServerListTest, DuplicatesAndBytesAreKeptVerbatim) {
    const std::string odd = std::string("  srv\tx \xF1\x81", 10) + std::string(1, '\0') + "z ";
    EXPECT_EQ(read("s:/v\ns:/v\n" + odd + "\n"), (List{"s:/v", "s:/v", odd}));
}

TEST_F(ServerListTest, LongLinesKeepTheirFirst255Bytes) {
    const std::string exact(255, 'e');
    const std::string longer = std::string(255, 'a') + "OVERFLOW";
    EXPECT_EQ(read(exact + "\n" + longer + "\r\nnext\n"), (List{exact, std::string(255, 'a'), "next"}));
    // The line end after the cut still ends the line, and a CR there still swallows its byte.
    EXPECT_EQ(read(std::string(300, 'x') + "\rYes\n"), (List{std::string(255, 'x'), "es"}));
    // An over-long last line without a line end is dropped like any other.
    EXPECT_EQ(read("a\n" + std::string(1000, 'y')), (List{"a"}));
}

TEST_F(ServerListTest, MissingOrUnreadablePathGivesAnEmptyList) {
    EXPECT_EQ(readServerList(dir_.filePath(QStringLiteral("absent.cfg"))), List{});
    EXPECT_EQ(readServerList(dir_.path()), List{});
    EXPECT_EQ(readServerList(QString()), List{});
}

// Lines of random bytes (no line-end bytes inside), some far longer than 255, joined with every kind of line
// end. After a lone CR the next line starts with a throw-away byte, which may itself be CR or LF.
TEST_F(ServerListTest, LargeBinaryFileGivesEveryLineCut) {
    std::mt19937 random(20210);
    std::uniform_int_distribution<int> byteDist(0, 255);
    std::uniform_int_distribution<int> lengthDist(0, 400);
    std::uniform_int_distribution<int> endDist(0, 2);
    std::string content;
    List expected;
    content.reserve(11 * 1024 * 1024);
    while (content.size() < 10 * 1024 * 1024) {
        std::string line;
        const int length = lengthDist(random) == 0 ? 3000 : lengthDist(random);
        for (int i = 0; i < length; ++i) {
            char b = static_cast<char>(byteDist(random));
            if (b == '\r' || b == '\n')
                b = '\0';
            line.push_back(b);
        }
        expected.push_back(line.substr(0, 255));
        content += line;
        switch (endDist(random)) {
        case 0:
            content += "\r\n";
            break;
        case 1:
            content += "\n";
            break;
        default:
            content += "\r";
            content.push_back(static_cast<char>(byteDist(random)));
            break;
        }
    }
    content += std::string(10, 'T'); // unterminated tail
    ASSERT_GT(content.size(), 10u * 1024 * 1024);
    const List actual = readServerList(write(content));
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "entry " << i;
}

class LoadServerListTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(install_.isValid()); }
    void storeDirectory(const QString& directory) { settings_.storeDirectory(directory); }

    test::InstallDirectorySettings settings_;
    QTemporaryDir install_;
    ScriptedDialogs dialogs_;
    ScopedDialogs guard_{dialogs_};
};

TEST_F(LoadServerListTest, ReadsServidoresCfgOfTheInstallationDirectory) {
    storeDirectory(install_.path());
    QFile file(install_.filePath(QStringLiteral("SERVIDORES.cfg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("127.0.0.1:/opt/vertano\r\nbackup:/srv/vertano\r\n");
    file.close();
    EXPECT_EQ(loadServerList(), (List{"127.0.0.1:/opt/vertano", "backup:/srv/vertano"}));
    EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(LoadServerListTest, NoFileInTheInstallationDirectoryGivesAnEmptyListSilently) {
    storeDirectory(install_.path());
    EXPECT_EQ(loadServerList(), List{});
    EXPECT_TRUE(dialogs_.calls().empty());
}

} // namespace
} // namespace envio
