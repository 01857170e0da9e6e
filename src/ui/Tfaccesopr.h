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
class Tfaccesopr : public QDialog {
    Q_OBJECT
public:
    // The general database connection and the login state belong to the main window.
    Tfaccesopr(Connection& DbGeneraldes, LoginState& loginState, QWidget* parent = nullptr);
    ~Tfaccesopr() override;

    QGroupBox* GroupBox1;
    QComboBox* ServidorDes;
    QLineEdit* TUsuades;
    QLineEdit* TClavedes;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QLabel* Panel2;

    Login login;

    // The login ("F2: &Entrar"): connects the general database with the three boxes, keeps the login state
    // and accepts the window. A failure is raised to the caller and leaves the window open.
    void SpeedButton1Click();
    // "ESC: &Salir": ends the process at once.
    void SpeedButton2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    bool FormKeyDown(QKeyEvent* event);
    bool enterMovesOn(QObject* watched, QKeyEvent* event);
    void showStatus(bool visible);

    LoginState& loginState_;
};

} // namespace envio
