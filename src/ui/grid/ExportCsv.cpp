#include "ui/grid/ExportCsv.h"

#include "base/AnsiCodec.h"
#include "ui/grid/ExportText.h"

namespace envio {

QByteArray exportCsv(const GridSnapshot& grid, GridSelection::State selection) {
    const std::string bytes = toAnsi(delimitedText(grid, selection, QLatin1Char(';'), true));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace envio
