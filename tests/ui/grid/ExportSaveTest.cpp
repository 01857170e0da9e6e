#include "ui/grid/ExportSave.h"

#include "GridTestList.h"
#include "db/Error.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::bytes;
using gridtest::sampleList;
using State = GridSelection::State;

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

TEST(ExportFileName, ExtensionAddedUnlessTheLastThreeCharactersSpellIt) {
    const QString csv = QStringLiteral("csv");
    EXPECT_EQ(exportFileName(QStringLiteral("report.txt"), csv), QStringLiteral("report.txt.csv"));
    EXPECT_EQ(exportFileName(QStringLiteral("reportcsv"), csv), QStringLiteral("reportcsv"));
    EXPECT_EQ(exportFileName(QStringLiteral("Pendientesreplica"), csv),
              QStringLiteral("Pendientesreplica.csv"));
    EXPECT_EQ(exportFileName(QStringLiteral("/tmp/a/REPORT.CSV"), csv), QStringLiteral("/tmp/a/REPORT.CSV"));
    EXPECT_EQ(exportFileName(QStringLiteral("lista.Xls"), QStringLiteral("xls")),
              QStringLiteral("lista.Xls"));
    EXPECT_EQ(exportFileName(QStringLiteral("cs"), csv), QStringLiteral("cs.csv"));
    EXPECT_EQ(exportFileName(QStringLiteral("lista.html"), QStringLiteral("htm")),
              QStringLiteral("lista.html.htm"));
}

TEST(ExportFileType, FilterPositionsMapToExtensionsAndFormats) {
    EXPECT_EQ(
        exportSaveFilters(),
        QStringList({QStringLiteral("Text files (*.txt)"), QStringLiteral("Comma separated values (*.csv)"),
                     QStringLiteral("HTML file (*.htm)"), QStringLiteral("Rich Text Format (*.rtf)"),
                     QStringLiteral("Microsoft Excel Workbook (*.xls)")}));
    const QStringList extensions = {QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("htm"),
                                    QStringLiteral("rtf"), QStringLiteral("xls")};
    const ExportFileFormat formats[] = {ExportFileFormat::Text, ExportFileFormat::Csv, ExportFileFormat::Html,
                                        ExportFileFormat::Rtf, ExportFileFormat::Spreadsheet};
    for (int i = 1; i <= 5; ++i) {
        const std::optional<ExportFileType> type = exportFileType(i);
        ASSERT_TRUE(type) << i;
        EXPECT_EQ(type->extension, extensions[i - 1]);
        EXPECT_EQ(type->format, formats[i - 1]);
    }
    EXPECT_FALSE(exportFileType(0));
    EXPECT_FALSE(exportFileType(6));
}

class ExportSave : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::optional<QString> save(bool focused = true) {
        return saveGridSelection(
            QStringLiteral("Pendientesreplica"), focused,
            [this] {
                ++snapshots;
                return grid;
            },
            State::None);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir;
    ScriptedDialogs desktop;
    ScopedDialogs installed{desktop};
    GridSnapshot grid = sampleList();
    int snapshots = 0;
};

TEST_F(ExportSave, CsvUnderATxtNameGetsTheCsvExtensionAndTheCsvLayout) {
    grid.focusedColumn = 1;
    desktop.setNextSave(SaveChoice{path("report.txt"), 2});
    EXPECT_EQ(save(), path("report.txt.csv"));
    EXPECT_EQ(readFile(path("report.txt.csv")), bytes("\"A;\"\"1\"\"\""));
    EXPECT_FALSE(QFile::exists(path("report.txt")));
    EXPECT_EQ(desktop.texts(ScriptedDialogs::Kind::SaveFile),
              QStringList{QStringLiteral("Pendientesreplica")});
    EXPECT_EQ(desktop.lastSaveFilters(), exportSaveFilters());
}

TEST_F(ExportSave, NameEndingInTheExtensionLettersIsKept) {
    desktop.setNextSave(SaveChoice{path("reportcsv"), 2});
    EXPECT_EQ(save(), path("reportcsv"));
    EXPECT_EQ(readFile(path("reportcsv")), bytes("\"Precio\""));
}

TEST_F(ExportSave, EachFilterWritesItsFormat) {
    desktop.setNextSave(SaveChoice{path("Pendientesreplica"), 1});
    desktop.setNextSave(SaveChoice{path("Pendientesreplica"), 3});
    desktop.setNextSave(SaveChoice{path("Pendientesreplica"), 4});
    desktop.setNextSave(SaveChoice{path("Pendientesreplica"), 5});
    EXPECT_EQ(save(), path("Pendientesreplica.txt"));
    EXPECT_EQ(save(), path("Pendientesreplica.htm"));
    EXPECT_EQ(save(), path("Pendientesreplica.rtf"));
    EXPECT_EQ(save(), path("Pendientesreplica.xls"));
    EXPECT_EQ(readFile(path("Pendientesreplica.txt")), bytes("Precio"));
    EXPECT_TRUE(readFile(path("Pendientesreplica.htm")).startsWith("<!DOCTYPE HTML PUBLIC"));
    EXPECT_TRUE(readFile(path("Pendientesreplica.rtf")).startsWith("{\\rtf0\\ansi\r\n"));
    EXPECT_EQ(readFile(path("Pendientesreplica.xls")),
              bytes("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00"
                    "\x04\x02\x0E\x00"
                    "\x00\x00\x00\x00\x00\x00\x06\x00"
                    "Precio"
                    "\x0A\x00\x00\x00"));
}

TEST_F(ExportSave, ExistingFileIsOverwrittenWithoutAQuestion) {
    {
        QFile old(path("lista.txt"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("a much longer earlier content");
    }
    desktop.setNextSave(SaveChoice{path("lista.txt"), 1});
    EXPECT_EQ(save(), path("lista.txt"));
    EXPECT_EQ(readFile(path("lista.txt")), bytes("Precio"));
    EXPECT_TRUE(desktop.texts(ScriptedDialogs::Kind::Confirm).isEmpty());
}

TEST_F(ExportSave, NothingHappensWhenCancelledUnfocusedOrWithAnUnknownFilter) {
    EXPECT_FALSE(save(false));
    EXPECT_TRUE(desktop.calls().empty());

    EXPECT_FALSE(save()); // no queued answer: the dialog is cancelled
    EXPECT_EQ(desktop.calls().size(), 1u);

    desktop.setNextSave(SaveChoice{path("x"), 6});
    EXPECT_FALSE(save());
    EXPECT_EQ(snapshots, 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ExportSave, FileThatCannotBeCreatedRaisesTheCreateFailure) {
    const QString missing = path("no-such-dir/lista");
    desktop.setNextSave(SaveChoice{missing, 1});
    try {
        save();
        FAIL() << "no failure raised";
    } catch (const Error& e) {
        const std::string start = "Cannot create file \"" + missing.toStdString() + ".txt\". ";
        EXPECT_EQ(e.message().substr(0, start.size()), start);
        EXPECT_GT(e.message().size(), start.size()) << "the platform's reason follows";
    }
    EXPECT_FALSE(QFile::exists(missing + QStringLiteral(".txt")));
}

TEST_F(ExportSave, RelativeNameIsReportedWithItsFullPathWhenItCannotBeCreated) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    try {
        writeExportFile(QStringLiteral("falta/lista.txt"), QByteArray("x"));
        ADD_FAILURE() << "no failure raised";
    } catch (const Error& e) {
        EXPECT_EQ(
            e.message().rfind("Cannot create file \"" + path("falta/lista.txt").toStdString() + "\". ", 0),
            0u)
            << e.message();
    }
    QDir::setCurrent(previous);
}

} // namespace
} // namespace envio
