#include "GridTestList.h"
#include "support/ScriptedDialogs.h"
#include "ui/grid/ExportSave.h"

#include <QDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace envio {
namespace {

using gridtest::column;
using gridtest::integer;
using gridtest::null;
using gridtest::text;

GridCell number(double v, const char* shown) {
    return GridCell{QString::fromUtf8(shown), Value::floating(v), {}};
}

// The list scripts/check-exports reads back with an office suite; keep both in step.
GridSnapshot checkedList() {
    GridSnapshot g;
    g.name = QStringLiteral("GridPendientes");
    g.columns = {
        column("Tipo doc", 65, GridAlignment::Left, "NomTipo", FieldType::String, true),
        column("Código", 86, GridAlignment::Left, "RPEV_CODIGO", FieldType::String),
        column("PtVt", 40, GridAlignment::Right, "RPEV_PTVT", FieldType::Integer),
        column("Precio", 60, GridAlignment::Right, "PRECIO", FieldType::Float),
        column("Mensaje de error", 200, GridAlignment::Left, "RPEV_ERROR", FieldType::String),
    };
    g.rows = {
        {text("Precio"), text("A;\"1\""), integer(3), number(2.5, "2.5"), text("C:\\datos\\{x} <a & b>")},
        {text("Señal"), text("Ñandú á"), integer(-7), number(1234.75, "1234.75"), null()},
        {null(), text("x"), integer(536870912), number(-0.5, "-0.5"), text("fin")},
    };
    g.currentRow = 0;
    g.palette = GridPalette{GridRgb{255, 255, 255}, GridRgb{0, 0, 0}, GridRgb{240, 240, 240}};
    return g;
}

// Writes sample.xls, sample.csv, sample.htm and sample.rtf of the whole list into the directory named by
// ENVIO_EXPORT_SAMPLES, through the save sequence.
TEST(ExportSamples, WriteSampleFilesForTheOfficeCheck) {
    const char* target = std::getenv("ENVIO_EXPORT_SAMPLES");
    if (target == nullptr || *target == '\0')
        GTEST_SKIP() << "ENVIO_EXPORT_SAMPLES is not set";
    const QDir dir(QString::fromLocal8Bit(target));
    ASSERT_TRUE(dir.exists()) << target;

    ScriptedDialogs desktop;
    ScopedDialogs installed(desktop);
    const GridSnapshot grid = checkedList();
    for (int filter : {2, 3, 4, 5}) {
        desktop.setNextSave(SaveChoice{dir.filePath(QStringLiteral("sample")), filter});
        const std::optional<QString> written = saveGridSelection(
            QStringLiteral("Pendientesreplica"), true, [&] { return grid; }, GridSelection::State::All);
        ASSERT_TRUE(written) << filter;
    }
}

} // namespace
} // namespace envio
