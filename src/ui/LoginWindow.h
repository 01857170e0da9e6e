#pragma once

#include "access/Login.h"
#include "access/LoginState.h"
#include "db/Connection.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace envio {

// The login window "Control de acceso": server, user and password are proved by connecting the general
// database of that server. Shown modally it is accepted only by a successful login; F2 logs in, Esc ends the
// process, and Enter only moves between the three boxes.
class LoginWindow : public QDialog {
    Q_OBJECT
public:
    // The window's widgets; the window owns them.
    struct Controls {
        QGroupBox* destinationBox; // "Destino:"
        QComboBox* serverBox;      // the server list, editable
        QLineEdit* userBox;
        QLineEdit* passwordBox;   // shows "*"
        QToolButton* logInButton; // "F2: &Entrar"
        QToolButton* quitButton;  // "ESC: &Salir"
        QLabel* statusPanel;      // "Conectando con el servidor Destino" while the login connects
    };

    // The general database connection and the login state belong to the main window.
    LoginWindow(Connection& DbGeneraldes, LoginState& loginState, QWidget* parent = nullptr);
    ~LoginWindow() override;

    const Controls& controls() const { return controls_; }

    // Puts a server, a user and a password into the three boxes, as if typed.
    void fillIn(const QString& server, const QString& user, const QString& password);

    // The login ("F2: &Entrar"): connects the general database with the three boxes, keeps the login state
    // and accepts the window. A failure is raised to the caller and leaves the window open.
    void logIn();
    // "ESC: &Salir": ends the process at once.
    void quit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildWindow();
    void fillServerBox();
    void focusUserBox();
    bool loginKeys(QKeyEvent* event);
    bool enterMovesOn(QObject* watched, QKeyEvent* event);
    void showStatus(bool visible);

    Controls controls_{};
    Login login_;
    LoginState& loginState_;
};

} // namespace envio
