#include "ui/FindDialog.h"

#include "base/Regional.h"
#include "replication/ReplicationSession.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"
#include "ui/Application.h"
#include "ui/EventGrid.h"
#include "ui/PendingEventsWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace envio {
namespace {

using test::TestDatabase;

enum Column { TipoDoc, Codigo, Servidor, Fecha, Hora, Op, Mensaje };

// Rows in the order listed:
//   0: id 1  PRECIO  ab-100  002
//   1: id 4  DESCTO  Ab-300  003  "Lock conflict"
//   2: id 5          zz-1    002
//   3: id 6  DESLIN  ab-101  004
//   4: id 7  LINEA   cd-7    002  "Fallo"
const char* const listScript =
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (126, 'PRECIO');"
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (229, 'DESCTO');"
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (1126, 'LINEA');"
    "insert into TIPO_DOCUMENTO (TIDO_COD, TIDO_NOMCORTO) values (2291, 'DESLIN');"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_ERROR) "
    "values (1, '002', 126, 'ab-100', null);"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_ERROR) "
    "values (4, '003', 229, 'Ab-300', 'Lock conflict');"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_ERROR) "
    "values (5, '002', 1125, 'zz-1', null);"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_ERROR) "
    "values (6, '004', 2291, 'ab-101', null);"
    "insert into REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_CODIGO, RPEV_ERROR) "
    "values (7, '002', 1126, 'cd-7', 'Fallo');";

class FindDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        setFailureHandler(&Application::showUnhandledFailure);
        origin = std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"});
        origin->run(listScript);
        session = std::make_unique<ReplicationSession>();
        session->origin().setParameter("Database", origin->location());
        window = std::make_unique<PendingEventsWindow>(*session);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->activationPending(); }));
        ASSERT_EQ(grid().rows().rowCount(), 5);
    }

    void TearDown() override {
        window.reset();
        session.reset();
        setFailureHandler({});
    }

    EventGrid& grid() { return *window->controls().eventsGrid; }

    // Opens the dialog over the grid (Ctrl+F twice), runs the steps in it, then closes it with "Close".
    void withDialog(const std::function<void(FindDialog&)>& steps) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            FindDialog* dialog = FindDialog::existing();
            if (!dialog || !dialog->isVisible())
                return;
            ran = true;
            steps(*dialog);
            dialog->closeButton->click();
        });
        QTest::keyClick(&grid(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(&grid(), Qt::Key_F, Qt::ControlModifier);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(FindDialog::existing() && FindDialog::existing()->isVisible());
    }

    struct Cell {
        int row;
        int column;
        bool operator==(const Cell&) const = default;
    };
    Cell at() { return Cell{grid().currentRow(), grid().currentColumn()}; }

    std::unique_ptr<TestDatabase> origin;
    std::unique_ptr<ReplicationSession> session;
    std::unique_ptr<PendingEventsWindow> window;
    ScriptedDialogs desktop;
    ScopedDialogs scoped{desktop};
};

TEST_F(FindDialogTest, OneDialogPresetAtEveryOpeningKeepsTheTextsSearched) {
    grid().setCurrentCell(0, Codigo);
    FindDialog* first = nullptr;
    withDialog([&](FindDialog& d) {
        first = &d;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Find text"));
        QStringList entries;
        for (int i = 0; i < d.findIn->count(); ++i)
            entries << d.findIn->itemText(i);
        EXPECT_EQ(entries, (QStringList{QStringLiteral("Tipo doc"), QStringLiteral("Código"),
                                        QStringLiteral("Servidor"), QStringLiteral("Fecha"),
                                        QStringLiteral("Hora"), QStringLiteral("Op"),
                                        QStringLiteral("Mensaje de error"), QStringLiteral("<All>")}));
        EXPECT_EQ(d.findIn->currentIndex(), Codigo);
        EXPECT_EQ(d.matchBox->currentText(), QStringLiteral("From any part of field"));
        EXPECT_EQ(d.searchBox->currentText(), QStringLiteral("All"));
        EXPECT_FALSE(d.matchCase->isChecked());
        EXPECT_TRUE(d.matchFormat->isChecked());
        EXPECT_FALSE(d.findInTreeLabel->isVisible());
        EXPECT_EQ(d.findWhat->currentText(), QString());

        d.findWhat->setEditText(QStringLiteral("zz-"));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{2, Codigo}));
        d.findWhat->setEditText(QStringLiteral("cd-"));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{4, Codigo}));
        d.matchCase->setChecked(true);
        d.searchBox->setCurrentIndex(0);
    });

    grid().setCurrentCell(0, Servidor);
    withDialog([&](FindDialog& d) {
        EXPECT_EQ(&d, first) << "one dialog for the whole process";
        EXPECT_EQ(d.findWhat->currentText(), QString());
        ASSERT_GE(d.findWhat->count(), 2);
        EXPECT_EQ(d.findWhat->itemText(0), QStringLiteral("cd-"));
        EXPECT_EQ(d.findWhat->itemText(1), QStringLiteral("zz-"));
        EXPECT_EQ(d.findIn->currentIndex(), Servidor);
        EXPECT_FALSE(d.matchCase->isChecked());
        EXPECT_EQ(d.searchBox->currentText(), QStringLiteral("All"));
    });
}

TEST_F(FindDialogTest, AllStartsAtTheTopThenGoesOnDownwards) {
    grid().setCurrentCell(2, Codigo);
    withDialog([&](FindDialog& d) {
        d.findWhat->setEditText(QStringLiteral("ab"));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{0, Codigo}));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{1, Codigo}));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{3, Codigo}));
        EXPECT_FALSE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{3, Codigo})) << "nothing found: the grid stays";

        // Ctrl turns "All" upwards.
        EXPECT_TRUE(d.findNext(true));
        EXPECT_EQ(at(), (Cell{1, Codigo}));
    });
}

TEST_F(FindDialogTest, UpAndDownGoOnFromTheCurrentRowAndCtrlSwapsThem) {
    grid().setCurrentCell(2, Codigo);
    withDialog([&](FindDialog& d) {
        d.findWhat->setEditText(QStringLiteral("ab"));
        d.searchBox->setCurrentIndex(d.searchBox->findText(QStringLiteral("Down")));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{3, Codigo}));
        EXPECT_FALSE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{3, Codigo}));

        d.searchBox->setCurrentIndex(d.searchBox->findText(QStringLiteral("Up")));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{1, Codigo}));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{0, Codigo}));
        EXPECT_TRUE(d.findNext(true)) << "Ctrl makes Up search down";
        EXPECT_EQ(at(), (Cell{1, Codigo}));
    });
}

TEST_F(FindDialogTest, EveryColumnAndTheMatchOptions) {
    grid().setCurrentCell(0, Codigo);
    withDialog([&](FindDialog& d) {
        d.findIn->setCurrentIndex(d.findIn->count() - 1); // <All>
        d.findWhat->setEditText(QStringLiteral("lock"));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{1, Mensaje})) << "the found column becomes the focused one";

        d.findIn->setCurrentIndex(Codigo);
        d.matchBox->setCurrentIndex(d.matchBox->findText(QStringLiteral("Whole field")));
        d.findWhat->setEditText(QStringLiteral("AB-101"));
        EXPECT_TRUE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{3, Codigo}));
        d.matchCase->setChecked(true);
        d.findWhat->setEditText(QStringLiteral("AB-300"));
        EXPECT_FALSE(d.findNext(false));
        EXPECT_EQ(at(), (Cell{3, Codigo}));

        d.matchCase->setChecked(false);
        d.matchBox->setCurrentIndex(d.matchBox->findText(QStringLiteral("From beging of field")));
        d.findWhat->setEditText(QStringLiteral("b-"));
        EXPECT_FALSE(d.findNext(false));
        d.matchBox->setCurrentIndex(d.matchBox->findText(QStringLiteral("From any part of field")));
        EXPECT_FALSE(d.findNext(false)) << "a later search goes on below the current row";
        d.findWhat->setEditText(QStringLiteral("b-1"));
        EXPECT_TRUE(d.findNext(false)) << "a new text starts at the top again";
        EXPECT_EQ(at(), (Cell{0, Codigo}));
    });
}

} // namespace
} // namespace envio
