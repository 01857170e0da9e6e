#include "ui/grid/ExportSave.h"

#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "db/Error.h"
#include "ui/grid/ExportBiff.h"
#include "ui/grid/ExportCsv.h"
#include "ui/grid/ExportHtml.h"
#include "ui/grid/ExportRtf.h"
#include "ui/grid/ExportText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace envio {

namespace {

QString fullPath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList exportSaveFilters() {
    return {
        QStringLiteral("Text files (*.txt)"),
        QStringLiteral("Comma separated values (*.csv)"),
        QStringLiteral("HTML file (*.htm)"),
        QStringLiteral("Rich Text Format (*.rtf)"),
        QStringLiteral("Microsoft Excel Workbook (*.xls)"),
    };
}

std::optional<ExportFileType> exportFileType(int filterIndex) {
    switch (filterIndex) {
    case 1:
        return ExportFileType{QStringLiteral("txt"), ExportFileFormat::Text};
    case 2:
        return ExportFileType{QStringLiteral("csv"), ExportFileFormat::Csv};
    case 3:
        return ExportFileType{QStringLiteral("htm"), ExportFileFormat::Html};
    case 4:
        return ExportFileType{QStringLiteral("rtf"), ExportFileFormat::Rtf};
    case 5:
        return ExportFileType{QStringLiteral("xls"), ExportFileFormat::Spreadsheet};
    default:
        return std::nullopt;
    }
}

QString exportFileName(const QString& chosen, const QString& extension) {
    if (chosen.right(3).toUpper() == extension.toUpper())
        return chosen;
    return chosen + QLatin1Char('.') + extension;
}

QByteArray exportGrid(ExportFileFormat format, const GridSnapshot& grid, GridSelection::State selection) {
    switch (format) {
    case ExportFileFormat::Text:
        return exportText(grid, selection);
    case ExportFileFormat::Csv:
        return exportCsv(grid, selection);
    case ExportFileFormat::Html:
        return exportHtml(grid, selection);
    case ExportFileFormat::Rtf:
        return exportRtf(grid, selection);
    case ExportFileFormat::Spreadsheet:
        return exportBiff(grid, selection);
    }
    return {};
}

void writeExportFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw Error(toAnsi(QStringLiteral("Cannot create file \"") + fullPath(path) + QStringLiteral("\". ") +
                           file.errorString()));
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        throw Error(toAnsi(QStringLiteral("Cannot write file \"") + fullPath(path) + QStringLiteral("\". ") +
                           file.errorString()));
    }
}

std::optional<QString> saveGridSelection(const QString& defaultName, bool gridFocused,
                                         const std::function<GridSnapshot()>& snapshot,
                                         GridSelection::State selection) {
    if (!gridFocused)
        return std::nullopt;
    const std::optional<SaveChoice> choice = dialogs().saveFile(defaultName, exportSaveFilters());
    if (!choice)
        return std::nullopt;
    const std::optional<ExportFileType> type = exportFileType(choice->filterIndex);
    if (!type)
        return std::nullopt;
    const QString path = exportFileName(choice->path, type->extension);
    writeExportFile(path, exportGrid(type->format, snapshot(), selection));
    return path;
}

} // namespace envio
