#pragma once

#include "ui/grid/GridSelection.h"
#include "ui/grid/GridSnapshot.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace envio {

enum class ExportFileFormat { Text, Csv, Html, Rtf, Spreadsheet };

struct ExportFileType {
    QString extension; // without the dot
    ExportFileFormat format;
};

// The save dialog's filters, in the order their 1-based positions map to file types.
QStringList exportSaveFilters();

// The file type of a filter position of the save dialog; nothing for a position without one.
std::optional<ExportFileType> exportFileType(int filterIndex);

// The name a file is saved under: the chosen name, followed by "." and the extension unless its last three
// characters already spell the extension (in any letter case; a missing dot is not looked at).
QString exportFileName(const QString& chosen, const QString& extension);

// The selection in one of the file formats.
QByteArray exportGrid(ExportFileFormat format, const GridSnapshot& grid, GridSelection::State selection);

// Creates (or truncates) the file and writes the bytes into it. Raises Error "Cannot create file "<full
// path>". <reason>" when the file cannot be created; nothing is written then.
void writeExportFile(const QString& path, const QByteArray& bytes);

// The save sequence of a grid's "save selection": asks for a file with the default name, adds the chosen
// type's extension when the name lacks it and writes the selection in that type. Does nothing when the grid
// does not have the focus or the operator cancels. Returns the path written. The snapshot is taken only
// when a file was chosen.
std::optional<QString> saveGridSelection(const QString& defaultName, bool gridFocused,
                                         const std::function<GridSnapshot()>& snapshot,
                                         GridSelection::State selection);

} // namespace envio
