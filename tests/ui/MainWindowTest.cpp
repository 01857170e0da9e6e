#include "ui/MainWindow.h"

#include "Installation.h"
#include "db/Error.h"
#include "support/ScriptedDialogs.h"
#include "ui/Application.h"
#include "ui/CompanySelector.h"
#include "ui/DatasetGrid.h"
#include "ui/DatasetTableModel.h"
#include "ui/FindDialog.h"
#include "ui/LoginWindow.h"
#include "ui/PendingEventsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <gtest/gtest.h>

namespace envio {
namespace {

using test::Installation;
using Kind = ScriptedDialogs::Kind;

// An installation with the origin company 001 sending to 002, one future price list to copy and two pending
// events for 002: the list's event, and one that failed before.
struct Site {
    Site() {
        install.listCompany("001", "Casa matriz");
        install.listCompany("002", "Sucursal Norte");
        install.company("002");
        install.setReplicationCredentials("001");
        install.addDestination("001", 1, "Sucursal Norte", "002");
        install.company("001").run(
            "INSERT INTO PRECIOS_FUTUROS (PRFU_ID, PRFU_NOMBRE, PRFU_FECHA, PRFU_PORC) "
            "VALUES (7, 'Lista de junio', '2024-06-01', 5)");
        listEvent = install.addEvent("001", "002", 1125, "I", "", 7);
        failedEvent = install.addEvent("001", "002", 1125, "I", "", 7, "Fallo anterior");
    }

    bool stamped(int event) {
        return install.company("001").scalar("SELECT RPEV_FECREP FROM REPLICA_EVENTOS WHERE RPEV_ID = " +
                                             std::to_string(event)) != "<null>";
    }
    int startLines() const {
        const auto lines = install.journal("TARNELO.TXT");
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.find(",Inicio,") != std::string::npos;
        }));
    }
    QStringList arguments(const QString& company, const std::optional<QString>& noRetry) const {
        QStringList a{QStringLiteral("envio-precios"), QString::fromStdString(install.server()),
                      QStringLiteral("SYSDBA"), qEnvironmentVariable("ISC_PASSWORD"), company};
        if (noRetry)
            a << *noRetry;
        return a;
    }

    Installation install;
    int listEvent = 0;
    int failedEvent = 0;
};

class MainWindowTest : public testing::Test {
protected:
    // Shows the window and lets its first activation run to its end.
    void start(MainWindow& window) {
        window.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.firstActivationPending(); }));
        QCoreApplication::processEvents();
    }

    // Logs in and connects as the operator would, without the modal login window.
    void connectByHand(MainWindow& window, const std::string& company = "001") {
        LoginWindow login(window.session().general(), window.session().loginState());
        login.controls().serverBox->setEditText(QString::fromStdString(site.install.server()));
        login.controls().userBox->setText(QStringLiteral("SYSDBA"));
        login.controls().passwordBox->setText(qEnvironmentVariable("ISC_PASSWORD"));
        login.logIn();
        window.showServer(QString::fromStdString(window.session().loginState().server));
        window.setCompanyKey(company);
        window.connectOrigin();
    }

    Site site;
    ScriptedDialogs desktop;
    ScopedDialogs scoped{desktop};
};

TEST_F(MainWindowTest, TheFiveArgumentsLogInConnectAndSendWithoutShowingTheLogin) {
    MainWindow window(
        StartArguments::fromCommandLine(site.arguments(QStringLiteral("001"), QStringLiteral("1"))));
    start(window);

    ASSERT_NE(window.loginWindow(), nullptr);
    EXPECT_FALSE(window.loginWindow()->isVisible());
    EXPECT_EQ(window.controls().serverField->text(), QString::fromStdString(site.install.server()));
    EXPECT_EQ(window.controls().companySelector->currentText(), QStringLiteral("Casa matriz"));
    EXPECT_TRUE(window.controls().noRetryBox->isChecked());
    EXPECT_TRUE(window.session().origin().isOpen());
    EXPECT_EQ(window.destinationRows().rowCount(), 1);

    // The list's event was applied and stamped; with "No reintentar errores" the failed one was not read.
    EXPECT_TRUE(site.stamped(site.listEvent));
    EXPECT_FALSE(site.stamped(site.failedEvent));
    EXPECT_EQ(site.install.company("002").scalar("SELECT PRFU_NOMBRE FROM PRECIOS_FUTUROS WHERE PRFU_ID = 7"),
              "Lista de junio");
    EXPECT_EQ(site.startLines(), 1);
    EXPECT_FALSE(window.controls().progressPanel->isVisible());
    EXPECT_TRUE(window.controls().sendTimer->isActive());
    EXPECT_EQ(window.controls().sendTimer->interval(), 60000);
    EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(MainWindowTest, OnlyAFifthArgumentOfExactlyOneTicksNoRetry) {
    for (const std::optional<QString>& fifth :
         {std::optional<QString>(QStringLiteral("01")), std::optional<QString>(QStringLiteral(" 1")),
          std::optional<QString>()}) {
        Site fresh;
        MainWindow window(StartArguments::fromCommandLine(fresh.arguments(QStringLiteral("001"), fifth)));
        start(window);
        EXPECT_FALSE(window.controls().noRetryBox->isChecked()) << (fifth ? fifth->toStdString() : "none");
        // Unticked, the event that failed before is tried again.
        EXPECT_TRUE(fresh.stamped(fresh.failedEvent));
        EXPECT_TRUE(window.controls().sendTimer->isActive());
    }
}

TEST_F(MainWindowTest, ACompanyMissingFromTheListIsConnectedButNotSentFrom) {
    site.install.company("004");
    MainWindow window(StartArguments::fromCommandLine(site.arguments(QStringLiteral("004"), {})));
    start(window);
    EXPECT_TRUE(window.session().origin().isOpen());
    EXPECT_EQ(window.controls().companySelector->currentText(), QString());
    EXPECT_EQ(desktop.texts(Kind::Message),
              QStringList{QStringLiteral("Debe indicar las compañías origen y destino.")});
    EXPECT_FALSE(window.controls().sendTimer->isActive());
    EXPECT_EQ(site.startLines(), 0);
}

TEST_F(MainWindowTest, AFailedLoginAbandonsTheUnattendedStartAndLeavesTheWindowOpen) {
    QStringList arguments = site.arguments(QStringLiteral("001"), QStringLiteral("1"));
    const QString missing = QString::fromStdString(site.install.directory()) + QStringLiteral("/otro");
    arguments[1] = missing;
    MainWindow window(StartArguments::fromCommandLine(arguments));
    start(window);
    EXPECT_EQ(desktop.texts(Kind::Message),
              QStringList{QStringLiteral("No se encontró el archivo o la ruta ") + missing +
                          QStringLiteral("/datos/general.fdb")});
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.loginWindow()->isVisible());
    EXPECT_EQ(window.controls().serverField->text(), QString());
    EXPECT_FALSE(window.controls().noRetryBox->isChecked());
    EXPECT_FALSE(window.session().origin().isOpen());
    EXPECT_FALSE(window.controls().sendTimer->isActive());
    EXPECT_FALSE(site.stamped(site.listEvent));

    // A later activation offers no login and repeats nothing.
    LoginWindow* login = window.loginWindow();
    window.runFirstActivation();
    EXPECT_EQ(window.loginWindow(), login);
    EXPECT_EQ(desktop.texts(Kind::Message).size(), 1);
}

TEST_F(MainWindowTest, AFailedConnectAbandonsTheSend) {
    MainWindow window(
        StartArguments::fromCommandLine(site.arguments(QStringLiteral("005"), QStringLiteral("1"))));
    start(window);
    const QStringList messages = desktop.texts(Kind::Message);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.front(), QStringLiteral("No se encontró el archivo o la ruta ") +
                                    QString::fromStdString(site.install.directory()) +
                                    QStringLiteral("/datos/005/vertano.fdb"));
    EXPECT_TRUE(window.controls().noRetryBox->isChecked());
    EXPECT_FALSE(window.session().origin().isOpen());
    EXPECT_FALSE(window.controls().sendTimer->isActive());
    EXPECT_EQ(site.startLines(), 0);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, InteractiveStartShowsTheLoginModallyAndThenTheCompanies) {
    MainWindow window;
    bool loginWasModal = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        LoginWindow* login = window.loginWindow();
        if (!login || !login->isVisible())
            return;
        poll.stop();
        loginWasModal = login->isModal();
        login->controls().userBox->setText(QStringLiteral("sysdba"));
        login->controls().passwordBox->setText(qEnvironmentVariable("ISC_PASSWORD"));
        QTest::keyClick(login->controls().passwordBox, Qt::Key_F2);
    });
    poll.start(10);
    start(window);
    EXPECT_TRUE(loginWasModal);
    EXPECT_EQ(window.controls().serverField->text(), QString::fromStdString(site.install.server()));
    EXPECT_EQ(window.session().loginState().user, "SYSDBA");
    EXPECT_EQ(window.controls().companySelector->count(), 2);
    EXPECT_EQ(window.controls().companySelector->currentIndex(), -1);
    EXPECT_FALSE(window.session().origin().isOpen());
    EXPECT_FALSE(window.controls().sendTimer->isActive());

    // The operator picks the origin company in the selector.
    window.controls().companySelector->setCurrentIndex(0);
    emit window.controls().companySelector->activated(0);
    EXPECT_EQ(window.destinations().companyKey(), std::optional<std::string>("001"));
    EXPECT_EQ(window.originCompanyText(), QStringLiteral("Casa matriz"));
}

TEST_F(MainWindowTest, TheTimerStartsOnlyAfterACompletedRun) {
    MainWindow window;
    connectByHand(window);
    EXPECT_FALSE(window.controls().sendTimer->isActive());
    window.controls().sendButton->click();
    EXPECT_TRUE(window.controls().sendTimer->isActive());
    EXPECT_TRUE(site.stamped(site.listEvent));

    // A run refused for want of an origin company ends the cycle.
    window.setCompanyKey(std::nullopt);
    window.controls().sendButton->click();
    EXPECT_FALSE(window.controls().sendTimer->isActive());
    EXPECT_EQ(desktop.texts(Kind::Message),
              QStringList{QStringLiteral("Debe indicar las compañías origen y destino.")});

    // So does a run abandoned by a failure: an event without its document number.
    window.setCompanyKey("001");
    window.controls().sendButton->click();
    EXPECT_TRUE(window.controls().sendTimer->isActive());
    site.install.addEvent("001", "002", 1125, "I", "", std::nullopt);
    desktop.clearCalls();
    EXPECT_THROW(window.sendNow(), Error);
    EXPECT_FALSE(window.controls().sendTimer->isActive());
    // The abandoned run leaves its progress panel up.
    EXPECT_FALSE(window.controls().progressPanel->isHidden());
}

TEST_F(MainWindowTest, NothingActsUnderARunningSend) {
    MainWindow window(
        StartArguments::fromCommandLine(site.arguments(QStringLiteral("001"), QStringLiteral("1"))));
    start(window);
    site.install.addEvent("001", "002", 1125, "I", "", 7);
    const int startsBefore = site.startLines();
    bool closedDuringRun = true;
    int ticks = 0;
    QTimer::singleShot(0, &window, [&] {
        ASSERT_TRUE(window.session().sendInProgress());
        window.controls().sendButton->click();
        window.sendOnTimer();
        ++ticks;
        window.controls().connectOriginButton->click();
        window.controls().editDestinationsButton->click();
        window.controls().editorGrid->model()->setData(window.controls().editorGrid->model()->index(0, 1),
                                                       QStringLiteral("Otra"));
        window.controls().saveDestinationsButton->click();
        window.controls().pendingButton->click();
        window.close();
        closedDuringRun = !window.isVisible();
    });
    window.sendNow();
    EXPECT_EQ(ticks, 1);
    // One run only, and it went through the whole list.
    EXPECT_EQ(site.startLines(), startsBefore + 1);
    EXPECT_TRUE(window.controls().sendTimer->isActive());
    EXPECT_FALSE(closedDuringRun);
    const QStringList refused = desktop.texts(Kind::Message);
    ASSERT_EQ(refused.size(), 4);
    for (const QString& text : refused)
        EXPECT_TRUE(text.startsWith(QStringLiteral("No se puede ")) ||
                    text.startsWith(QStringLiteral("No se pueden ")))
            << text.toStdString();
    // The verb agrees with a plural object.
    EXPECT_TRUE(refused.contains(QStringLiteral("No se pueden abrir los eventos pendientes mientras se envía "
                                                "información; espere a que termine el envío.")));
    EXPECT_EQ(site.install.company("001").scalar("SELECT RPPR_NOMBRE FROM REPLICA_PRECIOS"),
              "Sucursal Norte");
    // The window closes once the run is over.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    EXPECT_FALSE(window.controls().sendTimer->isActive());
}

TEST_F(MainWindowTest, PendientesOpensANewPendingEventsWindowModallyEachTime) {
    MainWindow window(
        StartArguments::fromCommandLine(site.arguments(QStringLiteral("001"), QStringLiteral("1"))));
    start(window);
    std::vector<QWidget*> opened;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        auto* pending = qobject_cast<PendingEventsWindow*>(QApplication::activeModalWidget());
        if (!pending)
            return;
        opened.push_back(pending);
        EXPECT_EQ(pending->windowTitle(), QStringLiteral("Documentos pendientes por transmitir"));
        pending->close();
    });
    poll.start(10);
    window.controls().pendingButton->click();
    window.controls().pendingButton->click();
    poll.stop();
    ASSERT_EQ(opened.size(), 2u);
    // Each click made its own window, gone once it was closed.
    EXPECT_TRUE(window.findChildren<PendingEventsWindow*>().isEmpty());
}

TEST_F(MainWindowTest, SalirEndsTheProcess) {
    MainWindow window(
        StartArguments::fromCommandLine(site.arguments(QStringLiteral("001"), QStringLiteral("1"))));
    start(window);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    ASSERT_TRUE(window.controls().sendTimer->isActive());
    QTimer::singleShot(0, &window, [&] { window.controls().quitButton->click(); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.controls().sendTimer->isActive());
}

TEST_F(MainWindowTest, TheEditorChangesTheListAndGrabarSavesIt) {
    MainWindow window;
    window.show();
    connectByHand(window);
    DatasetTableModel& rows = window.destinationRows();
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Id"));
    EXPECT_EQ(rows.headerData(3, Qt::Horizontal).toString(), QStringLiteral("CodCia"));

    window.controls().editDestinationsButton->click();
    EXPECT_TRUE(window.controls().editorPanel->isVisible());

    // Typing edits the current row; both grids show it at once.
    ASSERT_TRUE(rows.setData(rows.index(0, 1), QStringLiteral("Sucursal Nueva")));
    EXPECT_EQ(window.controls().destinationsGrid->model()->index(0, 1).data().toString(),
              QStringLiteral("Sucursal Nueva"));

    // A new row, typed in and left: posted.
    rows.insertRow();
    ASSERT_EQ(rows.rowCount(), 2);
    const int inserted = rows.currentRow();
    rows.setData(rows.index(inserted, 0), QStringLiteral("2"));
    rows.setData(rows.index(inserted, 1), QStringLiteral("Sucursal Sur"));
    rows.setData(rows.index(inserted, 2), QString::fromStdString(site.install.server()));
    rows.setData(rows.index(inserted, 3), QStringLiteral("003"));
    rows.moveTo(inserted == 0 ? 1 : 0);
    EXPECT_EQ(rows.rowCount(), 2);

    window.controls().saveDestinationsButton->click();
    EXPECT_FALSE(window.controls().editorPanel->isVisible());
    EXPECT_EQ(site.install.company("001").rows(
                  "SELECT RPPR_ID, RPPR_NOMBRE, RPPR_COD FROM REPLICA_PRECIOS ORDER BY 1"),
              (std::vector<std::string>{"1|Sucursal Nueva|002", "2|Sucursal Sur|003"}));
    EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(MainWindowTest, DeleteAsksAndSalirOfTheEditorRestoresTheList) {
    site.install.addDestination("001", 2, "Sucursal Sur", "003");
    MainWindow window;
    window.show();
    connectByHand(window);
    DatasetTableModel& rows = window.destinationRows();
    ASSERT_EQ(rows.rowCount(), 2);
    window.editDestinations();

    desktop.setNextConfirm(false);
    rows.deleteRow();
    EXPECT_EQ(rows.rowCount(), 2);
    desktop.setNextConfirm(true);
    rows.deleteRow();
    EXPECT_EQ(rows.rowCount(), 1);
    ASSERT_EQ(desktop.texts(Kind::Confirm),
              (QStringList{QStringLiteral("Delete record?"), QStringLiteral("Delete record?")}));
    EXPECT_EQ(desktop.calls().front().caption, QStringLiteral("Confirm"));

    rows.setData(rows.index(rows.currentRow(), 1), QStringLiteral("Cambiado"));
    rows.cancelRow();
    rows.insertRow();
    rows.setData(rows.index(rows.currentRow(), 0), QStringLiteral("9"));

    window.controls().discardDestinationsButton->click();
    EXPECT_FALSE(window.controls().editorPanel->isVisible());
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.index(0, 1).data().toString(), QStringLiteral("Sucursal Norte"));
    EXPECT_EQ(rows.index(1, 1).data().toString(), QStringLiteral("Sucursal Sur"));
    EXPECT_EQ(site.install.company("001").scalar("SELECT COUNT(*) FROM REPLICA_PRECIOS"), "2");
}

TEST_F(MainWindowTest, ClickingACellOfAnotherRowKeepsTheClickedColumn) {
    site.install.addDestination("001", 2, "Sucursal Sur", "003");
    MainWindow window(
        StartArguments::fromCommandLine(site.arguments(QStringLiteral("001"), QStringLiteral("1"))));
    start(window);
    window.editDestinations();
    for (DatasetGrid* grid : {window.controls().editorGrid, window.controls().destinationsGrid}) {
        for (const auto& [row, column] : {std::pair{1, 2}, std::pair{0, 1}}) {
            const QModelIndex target = grid->model()->index(row, column);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(target).center());
            QCoreApplication::processEvents();
            EXPECT_EQ(window.destinationRows().currentRow(), row) << grid->objectName().toStdString();
            EXPECT_EQ(grid->currentIndex(), target) << grid->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, SalirAsksFirstOnlyWhileTheListHasUnsavedChanges) {
    MainWindow window;
    connectByHand(window);
    window.show();
    window.editDestinations();
    DatasetTableModel& rows = window.destinationRows();
    rows.setData(rows.index(0, 1), QStringLiteral("Sin grabar"));
    desktop.setNextConfirm(false);
    window.controls().quitButton->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(
        desktop.texts(Kind::Confirm),
        QStringList{QStringLiteral("La lista de compañías tiene cambios sin grabar. ¿Desea salir de todos "
                                   "modos?")});

    window.controls().saveDestinationsButton->click();
    window.controls().quitButton->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(desktop.texts(Kind::Confirm).size(), 1);
}

TEST_F(MainWindowTest, ConfigurarBeforeConectarIsRefusedAndTheEditorAlwaysCloses) {
    MainWindow window;
    window.show();
    window.controls().editDestinationsButton->click();
    EXPECT_FALSE(window.controls().editorPanel->isVisible());
    const QStringList messages = desktop.texts(Kind::Message);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.front(),
              QStringLiteral("Debe conectarse a la compañía origen (botón \"Conectar\") antes "
                             "de configurar la lista de compañías."));

    // Shown by program over a closed list, the panel still closes with its "Salir".
    window.controls().editorPanel->show();
    window.controls().discardDestinationsButton->click();
    EXPECT_FALSE(window.controls().editorPanel->isVisible());
    EXPECT_EQ(desktop.texts(Kind::Message).size(), 1);
}

TEST_F(MainWindowTest, ASecondConectarShowsTheOtherCompanysDestinations) {
    site.install.addDestination("002", 5, "Casa matriz", "001");
    MainWindow window;
    window.show();
    connectByHand(window);
    ASSERT_EQ(window.destinationRows().rowCount(), 1);
    EXPECT_EQ(window.destinationRows().index(0, 1).data().toString(), QStringLiteral("Sucursal Norte"));

    window.controls().companySelector->setCurrentIndex(1);
    emit window.controls().companySelector->activated(1);
    window.controls().connectOriginButton->click();
    ASSERT_EQ(window.destinationRows().rowCount(), 1);
    EXPECT_EQ(window.controls().destinationsGrid->model()->index(0, 1).data().toString(),
              QStringLiteral("Casa matriz"));
    EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(MainWindowTest, ARequiredFieldLeftEmptyIsReportedByTheErrorCaptureAndTheRowStays) {
    MainWindow window;
    window.show();
    connectByHand(window);
    DatasetTableModel& rows = window.destinationRows();
    window.editDestinations();
    rows.insertRow();
    const int inserted = rows.currentRow();
    rows.setData(rows.index(inserted, 1), QStringLiteral("Sin código"));
    rows.moveTo(inserted == 0 ? 1 : 0);
    // The post was refused: the capture's box, no further message, and the new row is still being typed.
    EXPECT_EQ(desktop.texts(Kind::Error),
              QStringList{QStringLiteral("Los campos RPPR_ID, RPPR_COD,  son obligatorios.")});
    EXPECT_TRUE(desktop.texts(Kind::Message).isEmpty());
    EXPECT_EQ(rows.currentRow(), inserted);
    EXPECT_EQ(window.session().destinationList().state(), DatasetState::Insert);
}

TEST_F(MainWindowTest, TheFindDialogOverTheDestinationGridMovesToTheRowFound) {
    MainWindow window;
    connectByHand(window);
    window.session().destinationList().insert();
    window.session().destinationList().fieldByName("RPPR_ID").setAsInteger(9);
    window.session().destinationList().fieldByName("RPPR_NOMBRE").setAsString("Sucursal Oeste");
    window.session().destinationList().fieldByName("RPPR_COD").setAsString("009");
    window.session().destinationList().post();
    window.session().destinationList().first();
    QCoreApplication::processEvents();
    window.controls().destinationsGrid->setCurrentIndex(
        window.controls().destinationsGrid->datasetModel().index(0, 1));

    bool ran = false;
    QTimer::singleShot(0, [&] {
        FindDialog* dialog = FindDialog::existing();
        if (!dialog || !dialog->isVisible())
            return;
        ran = true;
        dialog->findWhat->setEditText(QStringLiteral("oeste"));
        EXPECT_TRUE(dialog->findNext(false));
        dialog->closeButton->click();
    });
    emit window.controls().destinationsGrid->findRequested(); // what Ctrl+F in the grid sends
    EXPECT_TRUE(ran) << "the find dialog opens over the grid";
    QCoreApplication::processEvents();
    EXPECT_EQ(window.session().destinationList().fieldByName("RPPR_NOMBRE").AsString(), "Sucursal Oeste");
}

} // namespace
} // namespace envio
