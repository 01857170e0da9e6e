#include "ui/EventGrid.h"

#include "base/Regional.h"
#include "replication/ReplicationSession.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"
#include "ui/Application.h"
#include "ui/CustomFilterDialog.h"
#include "ui/FindDialog.h"
#include "ui/PendingEventsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace envio {
namespace {

using test::TestDatabase;
using Kind = ScriptedDialogs::Kind;

// Grid columns of the pending-events window.
enum Column { TipoDoc, Codigo, Servidor, Fecha, Hora, Op, Mensaje };

// The pending events, listed in this order (by id). Type 1125 has no name.
//   id  type  code    date        time      op  error
//   1   126   ab-100  05/03/2024  10:00:00  M
//   4   229   Ab-300  05/03/2024  09:30:00  I   Lock conflict
//   5   1125  zz-1    04/03/2024  15:00:00  I
//   6   2291  ab-101  06/03/2024  08:00:00  D
//   7   1126  cd-7    04/03/2024  16:00:00  M   Fallo
const char* const listScript =
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (126, 'PRECIO');"
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (229, 'DESCTO');"
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (1126, 'LINEA');"
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (2291, 'DESLIN');"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_FECREG, RPEV_HORAREG, "
    "RPEV_OPER, RPEV_ERROR) values (1, '002', 126, 'ab-100', '2024-03-05', '10:00:00', 'M', null);"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_FECREG, RPEV_HORAREG, "
    "RPEV_OPER, RPEV_ERROR) values (4, '003', 229, 'Ab-300', '2024-03-05', '09:30:00', 'I', 'Lock conflict');"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_FECREG, RPEV_HORAREG, "
    "RPEV_OPER, RPEV_ERROR) values (5, '002', 1125, 'zz-1', '2024-03-04', '15:00:00', 'I', null);"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_FECREG, RPEV_HORAREG, "
    "RPEV_OPER, RPEV_ERROR) values (6, '004', 2291, 'ab-101', '2024-03-06', '08:00:00', 'D', null);"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_FECREG, RPEV_HORAREG, "
    "RPEV_OPER, RPEV_ERROR) values (7, '002', 1126, 'cd-7', '2024-03-04', '16:00:00', 'M', 'Fallo');";

using Ids = std::vector<int>;
const Ids natural = {1, 4, 5, 6, 7};

class EventGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
        setFailureHandler(&Application::showUnhandledFailure);
        origin = std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"});
        origin->run(listScript);
        session = std::make_unique<ReplicationSession>();
        session->origin().setParameter("Database", origin->location());
        session->destination().setParameter("Database", origin->directory() + "/nowhere.fdb");
        window = std::make_unique<PendingEventsWindow>(*session);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->activationPending(); }));
        QCoreApplication::processEvents();
        grid().setFocus();
    }

    void TearDown() override {
        window.reset();
        session.reset();
        setFailureHandler({});
        regional::setOverride(std::nullopt);
    }

    EventGrid& grid() { return *window->controls().eventsGrid; }
    StagedDataset& list() { return window->pending().list(); }

    Ids shownIds() {
        const int id = list().fieldByName("RPEV_ID").index();
        Ids ids;
        for (int r = 0; r < grid().rows().rowCount(); ++r)
            ids.push_back(static_cast<int>(list().valueAt(r, id).asInteger()));
        return ids;
    }

    int currentId() {
        const int row = grid().currentRow();
        return row < 0 ? -1 : shownIds()[static_cast<std::size_t>(row)];
    }

    void clickTitle(int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        EventGridHeader& header = grid().titles();
        QTest::mouseClick(header.viewport(), Qt::LeftButton, modifiers, header.titleRect(column).center());
    }
    void ctrlClickTitle(int column) { clickTitle(column, Qt::ControlModifier); }
    void releaseCtrl() { QTest::keyRelease(&grid(), Qt::Key_Control); }

    // Opens the in-place editor of a filter cell by clicking it.
    QLineEdit* editFilterCell(int column) {
        grid().setFilterRowVisible(true);
        EventGridHeader& header = grid().titles();
        const QRect cell = header.filterRect(column);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(cell.left() + 1, cell.center().y()));
        return header.filterEditor();
    }
    void typeFilter(int column, const QString& text, bool enter = true) {
        QLineEdit* editor = editFilterCell(column);
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(grid().titles().filterEditorColumn(), column);
        editor->clear();
        QTest::keyClicks(editor, text);
        if (enter)
            QTest::keyClick(editor, Qt::Key_Return);
    }

    std::unique_ptr<TestDatabase> origin;
    std::unique_ptr<ReplicationSession> session;
    std::unique_ptr<PendingEventsWindow> window;
    ScriptedDialogs desktop;
    ScopedDialogs scoped{desktop};
};

// ---- title-click sorting
// ------------------------------------------------------------------------------------

TEST_F(EventGridTest, PlainTitleClicksSortAscendingDescendingAscending) {
    grid().setCurrentCell(3, Servidor);
    clickTitle(Codigo);
    EXPECT_EQ(grid().sortState().marker("RPEV_CODIGO"), SortMarker::Ascending);
    EXPECT_EQ(shownIds(), (Ids{1, 6, 4, 7, 5})) << "letter case does not order codes";
    EXPECT_EQ(grid().currentRow(), 0) << "a new order starts at its first row";
    EXPECT_EQ(list().indexName(), "SortIndexEh");

    clickTitle(Codigo);
    EXPECT_EQ(grid().sortState().marker("RPEV_CODIGO"), SortMarker::Descending);
    EXPECT_EQ(shownIds(), (Ids{5, 7, 4, 6, 1}));
    clickTitle(Codigo);
    EXPECT_EQ(shownIds(), (Ids{1, 6, 4, 7, 5}));

    // A plain click on another title sorts by that column alone.
    clickTitle(Fecha);
    EXPECT_EQ(grid().sortState().marker("RPEV_CODIGO"), SortMarker::None);
    EXPECT_EQ(grid().sortState().markedColumns(), std::vector<std::string>{"RPEV_FECREG"});
    EXPECT_EQ(shownIds().front(), 5);
    EXPECT_EQ(shownIds().back(), 6);
    ASSERT_EQ(list().indexes().size(), 1u);
    EXPECT_EQ(list().indexes()[0].fields, std::vector<std::string>{"RPEV_FECREG"});
}

TEST_F(EventGridTest, CtrlClicksCycleThroughNoneAndApplyWhenCtrlIsReleased) {
    ctrlClickTitle(Codigo);
    EXPECT_EQ(grid().sortState().marker("RPEV_CODIGO"), SortMarker::Ascending);
    EXPECT_EQ(shownIds(), natural) << "nothing is reordered while Ctrl is held";
    releaseCtrl();
    EXPECT_EQ(shownIds(), (Ids{1, 6, 4, 7, 5}));

    ctrlClickTitle(Codigo);
    releaseCtrl();
    EXPECT_EQ(shownIds(), (Ids{5, 7, 4, 6, 1}));

    ctrlClickTitle(Codigo);
    releaseCtrl();
    EXPECT_EQ(grid().sortState().marker("RPEV_CODIGO"), SortMarker::None);
    EXPECT_EQ(shownIds(), natural);
    EXPECT_EQ(list().indexName(), "");
    EXPECT_TRUE(list().indexes().empty());
}

TEST_F(EventGridTest, CtrlClicksOnDateThenTimeOrderByBothWithPositionNumbers) {
    ctrlClickTitle(Fecha);
    EXPECT_EQ(grid().sortState().shownPosition("RPEV_FECREG"), 0) << "a single marked column shows no number";
    ctrlClickTitle(Hora);
    releaseCtrl();
    EXPECT_EQ(shownIds(), (Ids{5, 7, 4, 1, 6}));
    EXPECT_EQ(grid().sortState().shownPosition("RPEV_FECREG"), 1);
    EXPECT_EQ(grid().sortState().shownPosition("RPEV_HORAREG"), 2);
    ASSERT_EQ(list().indexes().size(), 1u);
    EXPECT_EQ(list().indexes()[0].fields, (std::vector<std::string>{"RPEV_FECREG", "RPEV_HORAREG"}));

    // Date descending keeps the time ascending within a day.
    ctrlClickTitle(Fecha);
    releaseCtrl();
    EXPECT_EQ(shownIds(), (Ids{6, 4, 1, 5, 7}));
    EXPECT_EQ(list().indexes()[0].descending, std::vector<std::string>{"RPEV_FECREG"});
}

TEST_F(EventGridTest, APendingSortIsAppliedWhenTheGridLosesTheFocus) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(grid().hasFocus());
    ctrlClickTitle(Codigo);
    window->controls().filterRowBox->setFocus();
    EXPECT_EQ(shownIds(), (Ids{1, 6, 4, 7, 5}));
    EXPECT_FALSE(grid().sortState().applyPending());
}

TEST_F(EventGridTest, TipoDocSortsByTheNamesItShows) {
    clickTitle(TipoDoc);
    // The event without a type name comes first, then DESCTO, DESLIN, LINEA, PRECIO.
    EXPECT_EQ(shownIds(), (Ids{5, 4, 6, 7, 1}));
}

// ---- incremental search
// -------------------------------------------------------------------------------------

TEST_F(EventGridTest, TypingJumpsToTheFirstRowWhoseTextBeginsWithIt) {
    grid().setCurrentCell(4, Codigo);
    QTest::keyClicks(&grid(), QStringLiteral("ab-3"));
    EXPECT_EQ(currentId(), 4);
    EXPECT_TRUE(grid().search().active());
    EXPECT_EQ(grid().search().text(), QStringLiteral("Ab-3"))
        << "the text takes the found cell's letter case";
    EXPECT_TRUE(grid().searchTimerRunning());
    EXPECT_EQ(grid().searchTimeout(), 1500);

    // A character that matches no row is dropped.
    QTest::keyClicks(&grid(), QStringLiteral("x"));
    EXPECT_EQ(currentId(), 4);
    EXPECT_EQ(grid().search().text(), QStringLiteral("Ab-3"));

    QTest::keyClick(&grid(), Qt::Key_Backspace);
    EXPECT_EQ(grid().search().text(), QStringLiteral("Ab-"));

    grid().searchTimedOut();
    EXPECT_FALSE(grid().search().active());
    EXPECT_EQ(grid().search().text(), QString());
    EXPECT_FALSE(grid().searchTimerRunning());

    // After the time-out typing starts afresh, in the shown order.
    clickTitle(Codigo);
    clickTitle(Codigo);
    grid().setCurrentCell(0, Codigo);
    QTest::keyClicks(&grid(), QStringLiteral("AB"));
    EXPECT_EQ(currentId(), 4) << "descending: Ab-300 comes before ab-101 and ab-100";
    EXPECT_EQ(grid().search().text(), QStringLiteral("Ab"));
}

TEST_F(EventGridTest, CtrlEnterFindsTheNextAndCtrlShiftEnterThePreviousMatch) {
    grid().setCurrentCell(2, Codigo);
    QTest::keyClicks(&grid(), QStringLiteral("ab"));
    EXPECT_EQ(currentId(), 1);
    QTest::keyClick(&grid(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(currentId(), 4);
    QTest::keyClick(&grid(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(currentId(), 6);
    QTest::keyClick(&grid(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(currentId(), 6) << "no match below";
    QTest::keyClick(&grid(), Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(currentId(), 4);
    EXPECT_TRUE(grid().search().active());
}

TEST_F(EventGridTest, EnterEscAndF2EndTheSearchAndKeepTheirOrdinaryEffect) {
    grid().setCurrentCell(0, Codigo);
    QTest::keyClicks(&grid(), QStringLiteral("zz"));
    ASSERT_EQ(currentId(), 5);
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_FALSE(grid().search().active());
    EXPECT_EQ(grid().currentColumn(), Servidor) << "Enter moves on like Tab";
    EXPECT_EQ(currentId(), 5);

    QTest::keyClicks(&grid(), QStringLiteral("0"));
    ASSERT_TRUE(grid().search().active());
    QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(grid().selection().isAll());
    QTest::keyClick(&grid(), Qt::Key_Escape);
    EXPECT_FALSE(grid().search().active());
    EXPECT_FALSE(grid().selection().isAll()) << "Esc also clears the selection";

    QTest::keyClicks(&grid(), QStringLiteral("0"));
    QTest::keyClick(&grid(), Qt::Key_F2);
    EXPECT_FALSE(grid().search().active());
}

TEST_F(EventGridTest, CtrlFStartsASearchWithoutTimeOutAndASecondOneOpensTheFindDialog) {
    grid().setCurrentCell(0, Codigo);
    QTest::keyClick(&grid(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(grid().search().active());
    EXPECT_FALSE(grid().search().hasTimeout());
    QTest::keyClicks(&grid(), QStringLiteral("cd"));
    EXPECT_EQ(currentId(), 7);
    EXPECT_FALSE(grid().searchTimerRunning());

    bool shown = false;
    int presetColumn = -1;
    QTimer::singleShot(0, [&] {
        FindDialog* dialog = FindDialog::existing();
        if (!dialog)
            return;
        shown = dialog->isVisible();
        presetColumn = dialog->findIn->currentIndex();
        dialog->reject();
    });
    QTest::keyClick(&grid(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(shown);
    EXPECT_EQ(presetColumn, Codigo);
    EXPECT_FALSE(grid().search().active());
}

// ---- keys and selection
// -------------------------------------------------------------------------------------

TEST_F(EventGridTest, TabAndEnterMoveAcrossColumnsWrappingToTheNextRow) {
    grid().setCurrentCell(0, Op);
    QTest::keyClick(&grid(), Qt::Key_Tab);
    EXPECT_EQ(grid().currentColumn(), Mensaje);
    QTest::keyClick(&grid(), Qt::Key_Tab);
    EXPECT_EQ(grid().currentRow(), 1);
    EXPECT_EQ(grid().currentColumn(), TipoDoc);
    QTest::keyClick(&grid(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid().currentRow(), 0);
    EXPECT_EQ(grid().currentColumn(), Mensaje);
    QTest::keyClick(&grid(), Qt::Key_Return);
    EXPECT_EQ(grid().currentRow(), 1);
    EXPECT_EQ(grid().currentColumn(), TipoDoc);
    EXPECT_EQ(list().recNo(), 2) << "the dataset follows the grid";

    grid().setCurrentCell(4, Mensaje);
    QTest::keyClick(&grid(), Qt::Key_Tab);
    EXPECT_EQ(grid().currentRow(), 4);
    EXPECT_EQ(grid().currentColumn(), Mensaje);
}

TEST_F(EventGridTest, TheSelectionFollowsKeysAndClicks) {
    grid().setCurrentCell(1, Codigo);
    QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(grid().selection().isAll());
    QTest::keyClick(&grid(), Qt::Key_Down);
    EXPECT_TRUE(grid().selection().isAll()) << "Down moves but keeps the selection";
    EXPECT_EQ(grid().currentRow(), 2);
    QTest::keyClick(&grid(), Qt::Key_Left);
    EXPECT_FALSE(grid().selection().isAll());

    QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&grid(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_FALSE(grid().selection().isAll());
    EXPECT_EQ(grid().currentRow(), 0);

    QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
    const QPoint cell = grid().visualRect(grid().rows().index(3, Servidor)).center();
    QTest::mouseClick(grid().viewport(), Qt::RightButton, Qt::NoModifier, cell);
    EXPECT_TRUE(grid().selection().isAll()) << "a right click on a selected cell keeps the selection";
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    EXPECT_FALSE(grid().selection().isAll());
    EXPECT_EQ(grid().currentRow(), 3);
    EXPECT_EQ(list().recNo(), 4);
}

// ---- filter row
// ---------------------------------------------------------------------------------------------

TEST_F(EventGridTest, AFilterCellEditedInPlaceFiltersOnEnter) {
    typeFilter(Codigo, QStringLiteral("ab%"));
    EXPECT_EQ(grid().titles().filterEditor(), nullptr);
    EXPECT_EQ(grid().filterRow().text("RPEV_CODIGO"), QStringLiteral("ab%"));
    EXPECT_EQ(list().filterText(), " [RPEV_CODIGO] Like 'ab%'");
    EXPECT_TRUE(list().filtered());
    EXPECT_EQ(shownIds(), (Ids{1, 4, 6}));
    EXPECT_EQ(grid().currentRow(), 0);

    // Like without a wildcard matches the whole text only.
    typeFilter(Codigo, QStringLiteral("ab"));
    EXPECT_EQ(shownIds(), Ids{});
    typeFilter(Codigo, QStringLiteral("zz-1"));
    EXPECT_EQ(shownIds(), Ids{5});
}

TEST_F(EventGridTest, LeavingAFilterCellStoresItsTextWithoutApplyingIt) {
    typeFilter(Op, QStringLiteral("I"), false);
    grid().titles().endFilterEdit();
    EXPECT_EQ(grid().filterRow().text("RPEV_OPER"), QStringLiteral("I"));
    EXPECT_EQ(shownIds(), natural);

    // Enter in another cell applies both, joined with AND.
    typeFilter(Fecha, QStringLiteral("05/03/2024"));
    EXPECT_EQ(list().filterText(), " [RPEV_FECREG] = '05/03/2024' AND  [RPEV_OPER] Like 'I'");
    EXPECT_EQ(shownIds(), Ids{4});

    // Moving the focus away ends editing as well.
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QLineEdit* editor = editFilterCell(Op);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("x"));
    grid().setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid().titles().filterEditor() == nullptr; }));
    EXPECT_EQ(grid().filterRow().text("RPEV_OPER"), QStringLiteral("x"));
}

TEST_F(EventGridTest, EscInAFilterCellDropsWhatWasTyped) {
    typeFilter(Op, QStringLiteral("M"));
    QLineEdit* editor = editFilterCell(Op);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("M"));
    QTest::keyClicks(editor, QStringLiteral("D"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(grid().titles().filterEditor(), nullptr);
    EXPECT_EQ(grid().filterRow().text("RPEV_OPER"), QStringLiteral("M"));
    EXPECT_EQ(shownIds(), (Ids{1, 7}));
}

TEST_F(EventGridTest, AFilterTextThatDoesNotParseIsShownAndNotStored) {
    typeFilter(Codigo, QStringLiteral("cd%"));
    ASSERT_EQ(shownIds(), Ids{7});
    typeFilter(Codigo, QStringLiteral("'abc"));
    EXPECT_EQ(desktop.texts(Kind::Message),
              QStringList{QStringLiteral("Se presento el siguiente error: Quote is absent: 'abc")});
    EXPECT_EQ(grid().filterRow().text("RPEV_CODIGO"), QStringLiteral("cd%"));
    EXPECT_EQ(shownIds(), Ids{7});
}

TEST_F(EventGridTest, FilterListEntries) {
    const int error = Mensaje;
    grid().filterListChosen(error, FilterMenuEntry::Empty);
    EXPECT_EQ(grid().filterRow().text("RPEV_ERROR"), QStringLiteral("=Null"));
    EXPECT_EQ(shownIds(), (Ids{1, 5, 6}));
    grid().filterListChosen(error, FilterMenuEntry::NotEmpty);
    EXPECT_EQ(grid().filterRow().text("RPEV_ERROR"), QStringLiteral("<>Null"));
    EXPECT_EQ(shownIds(), (Ids{4, 7}));

    grid().setFilterText(Codigo, QStringLiteral("cd%"));
    grid().applyFilter();
    EXPECT_EQ(list().filterText(), " [RPEV_CODIGO] Like 'cd%' AND  [RPEV_ERROR] IS NOT NULL");
    EXPECT_EQ(shownIds(), Ids{7});

    grid().filterListChosen(error, FilterMenuEntry::All);
    EXPECT_EQ(grid().filterRow().text("RPEV_ERROR"), QString());
    EXPECT_EQ(shownIds(), Ids{7});

    grid().filterListChosen(error, FilterMenuEntry::ClearFilter);
    EXPECT_EQ(grid().filterRow().text("RPEV_CODIGO"), QString());
    EXPECT_EQ(list().filterText(), "1=1");
    EXPECT_EQ(shownIds(), natural);

    // The order entries keep the other columns' markers.
    clickTitle(Fecha);
    grid().filterListChosen(Hora, FilterMenuEntry::OrderDescending);
    EXPECT_EQ(grid().sortState().markedColumns(), (std::vector<std::string>{"RPEV_FECREG", "RPEV_HORAREG"}));
    EXPECT_EQ(shownIds(), (Ids{7, 5, 1, 4, 6}));
    grid().filterListChosen(Hora, FilterMenuEntry::OrderAscending);
    EXPECT_EQ(shownIds(), (Ids{5, 7, 4, 1, 6}));
}

TEST_F(EventGridTest, TheDropDownButtonOfAFilterCellOpensTheFilterList) {
    grid().setFilterRowVisible(true);
    QStringList captions;
    QTimer::singleShot(0, [&] {
        auto* list = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!list)
            return;
        QAction* empty = nullptr;
        for (QAction* a : list->actions()) {
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
            if (a->text() == QStringLiteral("(Empty)"))
                empty = a;
        }
        list->setActiveAction(empty);
        QTest::keyClick(list, Qt::Key_Return);
    });
    EventGridHeader& header = grid().titles();
    QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier,
                      header.filterButtonRect(Mensaje).center());
    EXPECT_EQ(
        captions,
        (QStringList{QStringLiteral("(Order by ascending)"), QStringLiteral("(Order by descending)"),
                     QStringLiteral("-"), QStringLiteral("(Clear filter)"), QStringLiteral("(Custom...)"),
                     QStringLiteral("(All)"), QStringLiteral("(Not empty)"), QStringLiteral("(Empty)")}));
    EXPECT_EQ(grid().filterRow().text("RPEV_ERROR"), QStringLiteral("=Null"));
    EXPECT_EQ(shownIds(), (Ids{1, 5, 6}));
}

TEST_F(EventGridTest, TipoDocIsFilteredByTheTypeNames) {
    grid().setFilterText(TipoDoc, QStringLiteral("DESCTO"));
    grid().applyFilter();
    EXPECT_EQ(shownIds(), Ids{4});
    grid().setFilterText(TipoDoc, QStringLiteral("in (PRECIO, LINEA)"));
    grid().applyFilter();
    EXPECT_EQ(shownIds(), (Ids{1, 7}));
    EXPECT_THROW(grid().setFilterText(TipoDoc, QStringLiteral("NINGUNO")), Error);
    EXPECT_EQ(grid().filterRow().text("NomTipo"), QStringLiteral("in (PRECIO, LINEA)"));
}

TEST_F(EventGridTest, TheCustomFilterDialogOpensWithTheColumnsFilterAndAppliesOnOk) {
    grid().setFilterText(Codigo, QStringLiteral("~ab%"));
    grid().applyFilter();

    CustomFilterFields opened;
    QString caption;
    QTimer::singleShot(0, [&] {
        CustomFilterDialog* dialog = CustomFilterDialog::existing();
        if (!dialog)
            return;
        caption = dialog->windowTitle();
        opened = dialog->fields();
        dialog->secondOperator->setCurrentIndex(static_cast<int>(CustomFilterOperator::EndsWith));
        dialog->secondValue->setText(QStringLiteral("7"));
        dialog->orChoice->setChecked(true);
        dialog->okButton->click();
    });
    grid().filterListChosen(Codigo, FilterMenuEntry::Custom);
    EXPECT_EQ(caption, QStringLiteral("Custom filter"));
    EXPECT_EQ(opened.first.op, CustomFilterOperator::BeginsWith);
    EXPECT_EQ(opened.first.value, QStringLiteral("ab"));
    EXPECT_EQ(opened.second.op, CustomFilterOperator::Empty);
    EXPECT_EQ(grid().filterRow().text("RPEV_CODIGO"), QStringLiteral("~ab% OR ~%7"));
    EXPECT_EQ(shownIds(), (Ids{1, 4, 6, 7}));

    QTimer::singleShot(0, [&] {
        if (CustomFilterDialog* dialog = CustomFilterDialog::existing()) {
            dialog->firstOperator->setCurrentIndex(static_cast<int>(CustomFilterOperator::IsBlank));
            dialog->cancelButton->click();
        }
    });
    grid().filterListChosen(Codigo, FilterMenuEntry::Custom);
    EXPECT_EQ(grid().filterRow().text("RPEV_CODIGO"), QStringLiteral("~ab% OR ~%7"));
    EXPECT_EQ(shownIds(), (Ids{1, 4, 6, 7}));
}

// ---- columns and what an export sees
// ------------------------------------------------------------------------

TEST_F(EventGridTest, MovedAndResizedColumnsAreExportedAsShown) {
    grid().titles().moveSection(grid().titles().visualIndex(Servidor), 0);
    grid().titles().resizeSection(Codigo, 120);
    EXPECT_EQ(grid().shownColumns(), (std::vector<int>{Servidor, TipoDoc, Codigo, Fecha, Hora, Op, Mensaje}));

    grid().setCurrentCell(1, Codigo);
    const GridSnapshot all = grid().snapshot(GridSelection::State::All);
    ASSERT_EQ(all.columns.size(), 7u);
    EXPECT_EQ(all.columns[0].title, QStringLiteral("Servidor"));
    EXPECT_EQ(all.columns[2].width, 120);
    EXPECT_EQ(all.focusedColumn, 2);
    EXPECT_EQ(all.rows.size(), 5u);
    EXPECT_EQ(all.currentRow, 1);
    EXPECT_EQ(all.name, QStringLiteral("GridPendientes"));
    EXPECT_EQ(all.pixelsPerInch, grid().logicalDpiX());
    const QColor base = grid().palette().color(QPalette::Base);
    EXPECT_EQ(all.palette.window,
              (GridRgb{static_cast<std::uint8_t>(base.red()), static_cast<std::uint8_t>(base.green()),
                       static_cast<std::uint8_t>(base.blue())}));

    // The looked-up column carries its key; dates keep their values.
    const GridCell& type = all.rows[1][1];
    EXPECT_EQ(type.text, QStringLiteral("DESCTO"));
    EXPECT_EQ(type.keyValues, QStringList{QStringLiteral("229")});
    ASSERT_TRUE(all.columns[1].field);
    EXPECT_TRUE(all.columns[1].field->lookup);
    EXPECT_EQ(all.rows[1][3].value, Value::date(QDate(2024, 3, 5)));
    EXPECT_EQ(all.rows[1][3].text, QStringLiteral("05/03/2024"));

    const GridSnapshot focused = grid().snapshot(GridSelection::State::None);
    ASSERT_EQ(focused.rows.size(), 1u);
    EXPECT_EQ(focused.cell(focused.currentRow, focused.focusedColumn).text, QStringLiteral("Ab-300"));

    // The filter expression follows the shown column order.
    grid().setFilterText(Codigo, QStringLiteral("~a%"));
    grid().setFilterText(Servidor, QStringLiteral("003"));
    grid().applyFilter();
    EXPECT_EQ(list().filterText(), " [RPEV_COMPANIA] Like '003' AND  [RPEV_CODIGO] Like 'a%'");
    EXPECT_EQ(shownIds(), Ids{4});
}

TEST(EventGridModelTest, NumbersAreRightAlignedAndTextsLeft) {
    regional::setOverride(
        regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
    TestDatabase origin({"company.sql"});
    origin.run(listScript);
    ReplicationSession session;
    session.origin().setParameter("Database", origin.location());
    PendingEvents pending(session);
    pending.open();
    EventGridModel model(pending.list(), {{"RPEV_ID", QStringLiteral("Id"), 40, {}},
                                          {"RPEV_CODIGO", QStringLiteral("C"), 40, {}}});
    EXPECT_EQ(model.alignment(0), GridAlignment::Right);
    EXPECT_EQ(model.alignment(1), GridAlignment::Left);
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("4"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Código"));
    regional::setOverride(std::nullopt);
}

} // namespace
} // namespace envio
