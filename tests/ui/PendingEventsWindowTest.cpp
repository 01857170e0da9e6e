#include "ui/PendingEventsWindow.h"

#include "base/Regional.h"
#include "replication/ReplicationSession.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"
#include "ui/Application.h"
#include "ui/EventGrid.h"
#include "ui/LoginWindow.h"
#include "ui/grid/ExportCsv.h"
#include "ui/grid/ExportSave.h"
#include "ui/grid/ExportText.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace envio {
namespace {

using test::TestDatabase;
using Kind = ScriptedDialogs::Kind;

// The events of the origin. Listed are the pending price events (1, 4, 5, 6, 7): 2 is an article event and 3
// was replicated already. Type 1125 has no name in TIPO_DOCUMENTO.
struct Event {
    int id;
    int type;
    const char* company;
    const char* code;
    const char* date; // as the regional short date shows it
    const char* time;
    const char* oper;
    const char* error; // nullptr for none
    bool stamped;
};

const Event events[] = {
    {1, 126, "002", "ab-100", "05/03/2024", "10:00:00", "M", nullptr, false},
    {2, 101, "002", "ART-1", "01/03/2024", "08:00:00", "I", nullptr, false},
    {3, 126, "003", "AB-200", "02/03/2024", "08:00:00", "M", nullptr, true},
    {4, 229, "003", "Ab-300", "05/03/2024", "09:30:00", "I", "Lock conflict; \"x\"", false},
    {5, 1125, "002", "zz-1", "04/03/2024", "15:00:00", "I", nullptr, false},
    {6, 2291, "004", "ab-101", "06/03/2024", "08:00:00", "D", nullptr, false},
    {7, 1126, "002", "cd-7", "04/03/2024", "16:00:00", "M", "Fallo", false},
};

const std::map<int, const char*> typeNames = {
    {101, "ARTICULO"}, {126, "PRECIO"}, {229, "DESCTO"}, {1126, "LINEA"}, {2291, "DESLIN"}};

std::string sqlDate(const char* shown) {
    const std::string s(shown);
    return s.substr(6, 4) + "-" + s.substr(3, 2) + "-" + s.substr(0, 2);
}

std::string insertOf(const Event& e) {
    return "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_FECREG, "
           "RPEV_HORAREG, "
           "RPEV_OPER, RPEV_ERROR, RPEV_FECREP) values (" +
           std::to_string(e.id) + ", '" + e.company + "', " + std::to_string(e.type) + ", '" + e.code +
           "', '" + sqlDate(e.date) + "', '" + e.time + "', '" + e.oper + "', " +
           (e.error ? "'" + std::string(e.error) + "'" : std::string("null")) + ", " +
           (e.stamped ? "'2024-03-07'" : "null") + ");";
}

const Event& eventById(int id) {
    for (const Event& e : events)
        if (e.id == id)
            return e;
    throw std::out_of_range("no event " + std::to_string(id));
}

const QStringList titles = {
    QStringLiteral("Tipo doc"),        QStringLiteral("Código"), QStringLiteral("Servidor"),
    QStringLiteral("Fecha"),           QStringLiteral("Hora"),   QStringLiteral("Op"),
    QStringLiteral("Mensaje de error")};

// What the grid should show for an event, column by column.
QStringList shownTexts(const Event& e) {
    const auto name = typeNames.find(e.type);
    return {name == typeNames.end() ? QString() : QString::fromUtf8(name->second),
            QString::fromUtf8(e.code),
            QString::fromUtf8(e.company),
            QString::fromUtf8(e.date),
            QString::fromUtf8(e.time),
            QString::fromUtf8(e.oper),
            e.error ? QString::fromUtf8(e.error) : QString()};
}

// The grid the test expects, built from the events alone: the seven titles and the given events' texts.
GridSnapshot expectedList(const std::vector<int>& ids) {
    GridSnapshot g;
    g.name = QStringLiteral("GridPendientes");
    for (const QString& t : titles)
        g.columns.push_back(GridColumn{t, 64, GridAlignment::Left, std::nullopt});
    for (int id : ids) {
        GridRow row;
        for (const QString& text : shownTexts(eventById(id)))
            row.push_back(GridCell{text, {}, {}});
        g.rows.push_back(row);
    }
    g.currentRow = ids.empty() ? -1 : 0;
    return g;
}

QByteArray withZero(QByteArray bytes) {
    bytes.append('\0');
    return bytes;
}

QByteArray fileContents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class PendingEventsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
        setFailureHandler(&Application::showUnhandledFailure);
        origin = std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"});
        std::string script;
        for (const auto& [code, name] : typeNames)
            script += "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (" + std::to_string(code) +
                      ", '" + name + "');";
        for (const Event& e : events)
            script += insertOf(e);
        origin->run(script);
        session = std::make_unique<ReplicationSession>();
        session->origin().setParameter("Database", origin->location());
        // The list is read over the origin connection alone.
        session->destination().setParameter("Database", origin->directory() + "/nowhere.fdb");
    }

    void TearDown() override {
        window.reset();
        session.reset();
        setFailureHandler({});
        regional::setOverride(std::nullopt);
    }

    // Makes the window, shows it and lets its activation read the list.
    PendingEventsWindow& open() {
        window = std::make_unique<PendingEventsWindow>(*session);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->activationPending(); }));
        QCoreApplication::processEvents();
        return *window;
    }

    EventGrid& grid() { return *window->controls().eventsGrid; }

    // The ids of the rows the grid shows, top to bottom.
    std::vector<int> shownIds() {
        StagedDataset& list = window->pending().list();
        const int id = list.fieldByName("RPEV_ID").index();
        std::vector<int> ids;
        for (int r = 0; r < grid().rows().rowCount(); ++r)
            ids.push_back(static_cast<int>(list.valueAt(r, id).asInteger()));
        return ids;
    }

    int currentId() {
        const int row = grid().currentRow();
        if (row < 0)
            return -1;
        StagedDataset& list = window->pending().list();
        return static_cast<int>(list.valueAt(row, list.fieldByName("RPEV_ID").index()).asInteger());
    }

    QStringList rowTexts(int row) {
        QStringList texts;
        for (int c = 0; c < grid().rows().columnCount(); ++c)
            texts << grid().rows().displayText(row, c);
        return texts;
    }

    void clickTitle(int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        EventGridHeader& header = grid().titles();
        QTest::mouseClick(header.viewport(), Qt::LeftButton, modifiers, header.titleRect(column).center());
    }

    std::unique_ptr<TestDatabase> origin;
    std::unique_ptr<ReplicationSession> session;
    std::unique_ptr<PendingEventsWindow> window;
    ScriptedDialogs desktop;
    ScopedDialogs scoped{desktop};
};

TEST_F(PendingEventsWindowTest, ShowsThePendingPriceEventsWithTheirColumns) {
    PendingEventsWindow& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Documentos pendientes por transmitir"));
    EXPECT_EQ(w.size(), QSize(740, 374));
    EXPECT_EQ(w.controls().filterRowBox->text(), QStringLiteral("Activar filtros"));
    EXPECT_FALSE(w.controls().filterRowBox->isChecked());
    EXPECT_FALSE(grid().filterRowVisible());
    EXPECT_EQ(w.controls().deleteButton->text(), QStringLiteral("Borrar"));
    EXPECT_EQ(w.controls().closeButton->text(), QStringLiteral("Cerrar"));
    EXPECT_EQ(w.controls().deleteButton->size(), QSize(60, 30));
    EXPECT_LT(w.controls().deleteButton->x(), w.controls().closeButton->x());
    EXPECT_TRUE(w.gridFocused());

    const std::vector<int> widths = {65, 86, 164, 76, 50, 18};
    ASSERT_EQ(grid().rows().columnCount(), 7);
    QStringList shownTitles;
    for (int c = 0; c < 7; ++c) {
        shownTitles << grid().rows().headerData(c, Qt::Horizontal).toString();
        if (c < 6) {
            EXPECT_EQ(grid().titles().sectionSize(c), widths[static_cast<std::size_t>(c)]) << c;
        }
    }
    EXPECT_EQ(shownTitles, titles);
    EXPECT_EQ(grid().shownColumns(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

    // Article events and replicated ones are never listed; failed ones are, like the others.
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 4, 5, 6, 7}));
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(rowTexts(row), shownTexts(eventById(shownIds()[static_cast<std::size_t>(row)]))) << row;
    EXPECT_EQ(rowTexts(2)[0], QString()) << "a type without a name shows an empty cell";
    EXPECT_EQ(grid().currentRow(), 0);
    EXPECT_EQ(grid().rows().headerData(0, Qt::Vertical).toString(), QStringLiteral("\u25B6"));
    EXPECT_FALSE(grid().selection().isAll());
    EXPECT_TRUE(grid().sortState().markedColumns().empty());

    QStringList menu;
    for (QAction* a : w.controls().gridMenu->actions())
        menu << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(menu, (QStringList{QStringLiteral("&Copiar"), QStringLiteral("Se&lecccionar todo"),
                                 QStringLiteral("-"), QStringLiteral("&Guardar selección")}));
    EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(PendingEventsWindowTest, BorrarDeletesTheCurrentEventOnlyWhenConfirmed) {
    open();
    grid().setCurrentCell(1, 1); // event 4
    ASSERT_EQ(currentId(), 4);

    desktop.setNextConfirm(false);
    window->controls().deleteButton->click();
    ASSERT_EQ(desktop.calls().size(), 1u);
    EXPECT_EQ(desktop.calls()[0].kind, Kind::Confirm);
    EXPECT_EQ(desktop.calls()[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(desktop.calls()[0].text,
              QStringLiteral("Esta seguro de borrar el evento para el documento Ab-300?"));
    EXPECT_EQ(origin->scalar("select count(*) from REPLICA_EVENTOS where RPEV_ID = 4"), "1");
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 4, 5, 6, 7}));

    desktop.setNextConfirm(true);
    window->controls().deleteButton->click();
    EXPECT_EQ(origin->scalar("select count(*) from REPLICA_EVENTOS where RPEV_ID = 4"), "0");
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 5, 6, 7}));
    EXPECT_EQ(grid().currentRow(), 1) << "the same ordinal position stays current";
    EXPECT_EQ(currentId(), 5);
    EXPECT_EQ(desktop.texts(Kind::Message), QStringList());
}

TEST_F(PendingEventsWindowTest, BorrarKeepsTheSortOrderAndTheFilter) {
    open();
    clickTitle(1);
    clickTitle(1); // "Código" descending: zz-1, cd-7, Ab-300, ab-101, ab-100
    grid().setFilterText(1, QStringLiteral("<>cd-7"));
    grid().applyFilter();
    ASSERT_EQ(shownIds(), (std::vector<int>{5, 4, 6, 1}));
    grid().setCurrentCell(1, 0);
    desktop.setNextConfirm(true);
    window->deleteCurrentEvent();
    EXPECT_EQ(shownIds(), (std::vector<int>{5, 6, 1}));
    EXPECT_EQ(currentId(), 6);
}

TEST_F(PendingEventsWindowTest, AnEmptyListDeletesNothingAndCopiesAnEmptyCell) {
    origin->run("delete from REPLICA_EVENTOS");
    open();
    EXPECT_EQ(grid().rows().rowCount(), 0);
    EXPECT_EQ(grid().currentRow(), -1);

    window->controls().deleteButton->click();
    window->controls().selectAllAction->trigger();
    EXPECT_FALSE(grid().selection().isAll());
    EXPECT_TRUE(desktop.calls().empty());

    window->controls().copyAction->trigger();
    ASSERT_FALSE(desktop.clipboard().empty());
    EXPECT_EQ(desktop.clipboard()[0].data, QByteArray(1, '\0'));

    QTemporaryDir dir;
    desktop.setNextSave(SaveChoice{dir.filePath(QStringLiteral("vacio")), 2});
    window->controls().saveSelectionAction->trigger();
    EXPECT_EQ(fileContents(dir.filePath(QStringLiteral("vacio.csv"))), QByteArray("\"\""));
}

TEST_F(PendingEventsWindowTest, UntickingActivarFiltrosHidesTheRowButKeepsTheFilter) {
    PendingEventsWindow& w = open();
    w.controls().filterRowBox->click();
    EXPECT_TRUE(grid().filterRowVisible());
    const int withFilterRow = grid().titles().sizeHint().height();
    grid().setFilterText(6, QStringLiteral("=Null"));
    grid().applyFilter();
    ASSERT_EQ(shownIds(), (std::vector<int>{1, 5, 6}));

    w.controls().filterRowBox->click();
    EXPECT_FALSE(grid().filterRowVisible());
    EXPECT_LT(grid().titles().sizeHint().height(), withFilterRow);
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 5, 6}));
    EXPECT_EQ(w.pending().list().filterText(), " [RPEV_ERROR] IS NULL");

    w.controls().filterRowBox->click();
    EXPECT_EQ(grid().filterRow().text("RPEV_ERROR"), QStringLiteral("=Null"));
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 5, 6}));
}

TEST_F(PendingEventsWindowTest, CopyOfASortedFilteredGridHoldsWhatItShows) {
    open();
    clickTitle(1);
    clickTitle(1); // "Código" descending
    grid().setFilterText(1, QStringLiteral("~ab%"));
    grid().applyFilter();
    const std::vector<int> shown = {4, 6, 1};
    ASSERT_EQ(shownIds(), shown);

    grid().setFocus();
    QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(grid().selection().isAll());
    QTest::keyClick(&grid(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_GE(desktop.clipboard().size(), 5u);
    const GridSnapshot expected = expectedList(shown);
    EXPECT_EQ(desktop.clipboard()[0].data, withZero(exportText(expected, GridSelection::State::All)));
    EXPECT_EQ(desktop.clipboard()[2].data, withZero(exportCsv(expected, GridSelection::State::All)));

    // The menu item copies the same while the grid has the focus.
    desktop.clearCalls();
    window->controls().copyAction->trigger();
    EXPECT_EQ(desktop.calls().size(), 1u);
    EXPECT_EQ(desktop.clipboard()[0].data, withZero(exportText(expected, GridSelection::State::All)));

    // A left click on a cell drops the selection: the copy is the focused cell alone.
    const QRect cell = grid().visualRect(grid().rows().index(2, 1));
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_FALSE(grid().selection().isAll());
    QTest::keyClick(&grid(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(desktop.clipboard()[0].data, QByteArray("ab-100", 7));
}

TEST_F(PendingEventsWindowTest, TheMenuActsOnlyWhileTheGridHasTheFocus) {
    PendingEventsWindow& w = open();
    w.controls().filterRowBox->setFocus();
    ASSERT_FALSE(w.gridFocused());
    w.controls().selectAllAction->trigger();
    w.controls().copyAction->trigger();
    desktop.setNextSave(SaveChoice{QStringLiteral("nunca"), 1});
    w.controls().saveSelectionAction->trigger();
    EXPECT_FALSE(grid().selection().isAll());
    EXPECT_TRUE(desktop.calls().empty());

    grid().setFocus();
    w.controls().selectAllAction->trigger();
    EXPECT_TRUE(grid().selection().isAll());
}

TEST_F(PendingEventsWindowTest, SavingAddsTheChosenTypesExtensionUnlessTheNameEndsInIt) {
    open();
    window->controls().selectAllAction->trigger();
    QTemporaryDir dir;
    const GridSnapshot expected = expectedList({1, 4, 5, 6, 7});

    desktop.setNextSave(SaveChoice{dir.filePath(QStringLiteral("report.txt")), 2});
    window->controls().saveSelectionAction->trigger();
    EXPECT_EQ(desktop.texts(Kind::SaveFile), QStringList{QStringLiteral("Pendientesreplica")});
    EXPECT_EQ(desktop.lastSaveFilters(), exportSaveFilters());
    EXPECT_EQ(fileContents(dir.filePath(QStringLiteral("report.txt.csv"))),
              exportCsv(expected, GridSelection::State::All));

    desktop.setNextSave(SaveChoice{dir.filePath(QStringLiteral("reportcsv")), 2});
    window->controls().saveSelectionAction->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("reportcsv"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("reportcsv.csv"))));

    desktop.setNextSave(SaveChoice{dir.filePath(QStringLiteral("lista")), 1});
    window->controls().saveSelectionAction->trigger();
    EXPECT_EQ(fileContents(dir.filePath(QStringLiteral("lista.txt"))),
              exportText(expected, GridSelection::State::All));

    // A file that cannot be created is reported by the application-wide handler.
    desktop.setNextSave(SaveChoice{dir.filePath(QStringLiteral("no/such/dir/lista")), 1});
    window->controls().saveSelectionAction->trigger();
    const QStringList messages = desktop.texts(Kind::Message);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(
        messages[0].startsWith(QStringLiteral("Se presento el siguiente error: Cannot create file \"")))
        << messages[0].toStdString();
}

TEST_F(PendingEventsWindowTest, AListThatCannotBeReadIsReportedAndTheWindowStaysOpen) {
    session->origin().setParameter("Database", origin->directory() + "/missing.fdb");
    open();
    EXPECT_EQ(desktop.texts(Kind::Message).size(), 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(grid().rows().rowCount(), 0);
    EXPECT_FALSE(window->controls().refreshButton->isEnabled());
    window->controls().deleteButton->click();
    EXPECT_EQ(desktop.texts(Kind::Message).size(), 1);
}

TEST_F(PendingEventsWindowTest, TheNavigatorMovesAndRereadsTheList) {
    open();
    EXPECT_FALSE(window->controls().firstButton->isEnabled());
    window->controls().lastButton->click();
    EXPECT_EQ(grid().currentRow(), 4);
    EXPECT_FALSE(window->controls().nextButton->isEnabled());
    window->controls().priorButton->click();
    EXPECT_EQ(grid().currentRow(), 3);
    window->controls().firstButton->click();
    EXPECT_EQ(grid().currentRow(), 0);
    window->controls().nextButton->click();
    EXPECT_EQ(currentId(), 4);

    origin->run(
        "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO) values (8, '002', 126, "
        "'nuevo')");
    window->controls().refreshButton->click();
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 4, 5, 6, 7, 8}));
    EXPECT_EQ(currentId(), 4);
}

TEST_F(PendingEventsWindowTest, OnlyCerrarOrTheCloseBoxCloseTheWindow) {
    PendingEventsWindow& w = open();
    w.controls().filterRowBox->setFocus();
    QTest::keyClick(&w, Qt::Key_Escape);
    QTest::keyClick(&grid(), Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    w.controls().closeButton->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
}

} // namespace
} // namespace envio
