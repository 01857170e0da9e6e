#include "ui/LoginWindow.h"

#include "Installation.h"
#include "replication/ReplicationSession.h"
#include "support/ScriptedDialogs.h"
#include "ui/Application.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace envio {
namespace {

using test::Installation;
using test::TestDatabase;
using Kind = ScriptedDialogs::Kind;

// A login window over the general database of an installation, as the main window makes it.
class LoginWindowTest : public testing::Test {
protected:
    LoginWindowTest() {
        setFailureHandler(&Application::showUnhandledFailure);
        window = std::make_unique<LoginWindow>(session.general(), session.loginState());
    }

    void showActive() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QWidget* focused() const {
        QWidget* f = window->focusWidget();
        return f == window->controls().serverBox->lineEdit() ? window->controls().serverBox : f;
    }

    // Runs the message loop until something ends the process; its exit code, or 99 when nothing did.
    static int runUntilTheProcessEnds(const std::function<void()>& action) {
        QTimer::singleShot(0, qApp, action);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
        guard.start(20000);
        return QApplication::exec();
    }

    Installation site;
    ScriptedDialogs desktop;
    ScopedDialogs scoped{desktop};
    ReplicationSession session;
    std::unique_ptr<LoginWindow> window;
};

TEST_F(LoginWindowTest, ShowsTheBoxesWithTheServerListAndTheStatusPanelHidden) {
    showActive();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Control de acceso"));
    EXPECT_EQ(window->controls().destinationBox->title(), QStringLiteral("Destino:"));
    EXPECT_TRUE(window->controls().serverBox->isEditable());
    ASSERT_EQ(window->controls().serverBox->count(), 1);
    EXPECT_EQ(window->controls().serverBox->currentIndex(), 0);
    EXPECT_EQ(window->controls().serverBox->currentText(), QString::fromStdString(site.server()));
    EXPECT_EQ(window->controls().passwordBox->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window->controls().logInButton->text(), QStringLiteral("F2: &Entrar"));
    EXPECT_EQ(window->controls().quitButton->text(), QStringLiteral("ESC: &Salir"));
    EXPECT_EQ(window->controls().logInButton->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window->controls().quitButton->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(window->controls().statusPanel->isVisible());
    EXPECT_EQ(focused(), window->controls().userBox);
}

TEST_F(LoginWindowTest, F2LogsInOnlyWithoutShiftCtrlOrAlt) {
    showActive();
    window->controls().userBox->setText(QStringLiteral("sysdba"));
    window->controls().passwordBox->setText(qEnvironmentVariable("ISC_PASSWORD"));
    for (Qt::KeyboardModifier held : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(window->controls().userBox, Qt::Key_F2, held);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Rejected);
        EXPECT_EQ(session.loginState().user, "");
        EXPECT_FALSE(session.general().isOpen());
    }
    QTest::keyClick(window->controls().passwordBox, Qt::Key_F2);
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(session.general().isOpen());
    EXPECT_EQ(session.loginState().user, "SYSDBA");
    EXPECT_EQ(session.loginState().server, site.server());
    EXPECT_FALSE(window->controls().statusPanel->isVisible());
    EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(LoginWindowTest, EnterMovesRoundTheThreeBoxesAndNeverLogsIn) {
    showActive();
    window->controls().userBox->setText(QStringLiteral("SYSDBA"));
    ASSERT_EQ(focused(), window->controls().userBox);
    QTest::keyClick(window->controls().userBox, Qt::Key_Return);
    EXPECT_EQ(focused(), window->controls().passwordBox);
    QTest::keyClick(window->controls().passwordBox, Qt::Key_Enter);
    EXPECT_EQ(focused(), window->controls().serverBox);
    QTest::keyClick(window->controls().serverBox->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(focused(), window->controls().userBox);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(session.general().isOpen());
    EXPECT_EQ(window->controls().serverBox->count(), 1); // Enter adds nothing to the server list
    EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(LoginWindowTest, AFailedLoginByTheButtonShowsTheTranslationAndKeepsTheWindowAndTheFocus) {
    showActive();
    const QString missing = QString::fromStdString(site.directory()) + QStringLiteral("/no-such-server");
    window->controls().serverBox->setEditText(missing);
    window->controls().passwordBox->setFocus();
    QTest::mouseClick(window->controls().logInButton, Qt::LeftButton);
    EXPECT_EQ(desktop.texts(Kind::Message),
              QStringList{QStringLiteral("No se encontró el archivo o la ruta ") + missing +
                          QStringLiteral("/datos/general.fdb")});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(focused(), window->controls().passwordBox);
    EXPECT_EQ(session.loginState().server, "");
    EXPECT_FALSE(window->controls().statusPanel->isVisible());
}

TEST_F(LoginWindowTest, AltELogsInLikeTheButton) {
    showActive();
    window->controls().userBox->setText(QStringLiteral("SYSDBA"));
    QTest::keyClick(window->controls().userBox, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->result() == QDialog::Accepted; }));
    EXPECT_EQ(session.loginState().user, "SYSDBA");
}

TEST_F(LoginWindowTest, EscWithShiftCtrlOrAltDoesNothing) {
    showActive();
    for (Qt::KeyboardModifier held : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
        QTest::keyClick(window->controls().userBox, Qt::Key_Escape, held);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(focused(), window->controls().userBox);
}

TEST_F(LoginWindowTest, EscEndsTheProcess) {
    showActive();
    EXPECT_EQ(runUntilTheProcessEnds([&] { QTest::keyClick(window->controls().userBox, Qt::Key_Escape); }),
              0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(session.general().isOpen());
}

TEST_F(LoginWindowTest, AltSEndsTheProcess) {
    showActive();
    EXPECT_EQ(runUntilTheProcessEnds(
                  [&] { QTest::keyClick(window->controls().userBox, Qt::Key_S, Qt::AltModifier); }),
              0);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(LoginWindowTest, ShownModallyItIsAcceptedOnlyByASuccessfulLogin) {
    bool openAfterFailure = false;
    QTimer::singleShot(0, window.get(), [&] {
        window->controls().serverBox->setEditText(QString::fromStdString(site.directory()) +
                                                  QStringLiteral("/nada"));
        QTest::keyClick(window->controls().userBox, Qt::Key_F2);
        openAfterFailure = window->isVisible();
        window->controls().serverBox->setEditText(QString::fromStdString(site.server()));
        window->controls().userBox->setText(QStringLiteral("sysdba"));
        QTest::keyClick(window->controls().userBox, Qt::Key_F2);
    });
    EXPECT_EQ(window->exec(), QDialog::Accepted);
    EXPECT_TRUE(openAfterFailure);
    EXPECT_EQ(desktop.texts(Kind::Message).size(), 1);
    EXPECT_EQ(session.loginState().user, "SYSDBA");
}

TEST_F(LoginWindowTest, ClosedWithoutALoginItIsNotAccepted) {
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    EXPECT_EQ(window->exec(), QDialog::Rejected);
    EXPECT_EQ(session.loginState().server, "");
}

// The server's own refusals, as the operator reads them.
TEST(LoginThroughTheServer, FailuresAreShownTranslated) {
    if (!test::serverAvailable())
        GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050";
    Installation site(TestDatabase::Route::Server);
    ScriptedDialogs desktop;
    ScopedDialogs scoped(desktop);
    setFailureHandler(&Application::showUnhandledFailure);
    ReplicationSession session;
    LoginWindow window(session.general(), session.loginState());
    window.show();

    auto attempt = [&](const QString& server, const QString& password) {
        desktop.clearCalls();
        window.controls().serverBox->setEditText(server);
        window.controls().userBox->setText(QStringLiteral("SYSDBA"));
        window.controls().passwordBox->setText(password);
        QTest::keyClick(window.controls().userBox, Qt::Key_F2);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
        const QStringList texts = desktop.texts(Kind::Message);
        return texts.isEmpty() ? QString() : texts.front();
    };

    const QString server = QString::fromStdString(site.server());
    EXPECT_EQ(attempt(server, QStringLiteral("not-the-password")),
              QStringLiteral("El nombre de Usuario o la clave son incorrectas."));
    EXPECT_EQ(attempt(QStringLiteral("nohost.invalid:/x"), qEnvironmentVariable("ISC_PASSWORD")),
              QStringLiteral("No se encontró el equipo servidor con nombre nohost.invalid"));
    EXPECT_EQ(attempt(QStringLiteral("localhost:/no-such-directory"), qEnvironmentVariable("ISC_PASSWORD")),
              QStringLiteral("No se encontró el archivo o la ruta /no-such-directory/datos/general.fdb"));

    window.controls().serverBox->setEditText(server);
    window.controls().passwordBox->setText(qEnvironmentVariable("ISC_PASSWORD"));
    QTest::keyClick(window.controls().userBox, Qt::Key_F2);
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

} // namespace
} // namespace envio
