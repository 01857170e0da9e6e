#include "ui/LoginWindow.h"

#include "app/ServerList.h"
#include "base/AnsiCodec.h"
#include "ui/Application.h"
#include "ui/Pictures.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace envio {

namespace {

QToolButton* flatButton(const QString& text, const char* pictureName, QWidget* parent) {
    QToolButton* button = pictureButton(text, pictureName, 110, parent);
    // The buttons never take the focus away from the boxes.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

LoginWindow::LoginWindow(Connection& DbGeneraldes, LoginState& loginState, QWidget* parent)
    : QDialog(parent), login_(DbGeneraldes), loginState_(loginState) {
    buildWindow();

    Controls& c = controls_;
    connect(c.logInButton, &QToolButton::clicked, this, [this] { guarded([this] { logIn(); }); });
    connect(c.quitButton, &QToolButton::clicked, this, [this] { guarded([this] { quit(); }); });

    // The window sees the keys before its boxes do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    fillServerBox();
}

LoginWindow::~LoginWindow() = default;

void LoginWindow::buildWindow() {
    setWindowTitle(QStringLiteral("Control de acceso"));
    setWindowIcon(pictureIcon("icono"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* pictures = new QVBoxLayout;
    pictures->setSpacing(6);
    for (const char* name : {"logo_precios", "logo_bases"}) {
        auto* label = new QLabel(this);
        label->setPixmap(picture(name));
        label->setAlignment(Qt::AlignCenter);
        pictures->addWidget(label);
    }
    pictures->addStretch(1);

    Controls& c = controls_;
    c.destinationBox = new QGroupBox(QStringLiteral("Destino:"), this);
    c.destinationBox->setObjectName(QStringLiteral("destinationBox"));
    c.serverBox = new QComboBox(c.destinationBox);
    c.serverBox->setObjectName(QStringLiteral("ServidorDes"));
    c.serverBox->setEditable(true);
    c.serverBox->setInsertPolicy(QComboBox::NoInsert);
    c.serverBox->setMinimumWidth(220);
    c.userBox = new QLineEdit(c.destinationBox);
    c.userBox->setObjectName(QStringLiteral("TUsuades"));
    c.passwordBox = new QLineEdit(c.destinationBox);
    c.passwordBox->setObjectName(QStringLiteral("TClavedes"));
    c.passwordBox->setEchoMode(QLineEdit::Password);
    // Characters of the password show as "*".
    c.passwordBox->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    auto* form = new QFormLayout(c.destinationBox);
    form->addRow(QStringLiteral("Servidor : "), c.serverBox);
    form->addRow(QStringLiteral("Usuario : "), c.userBox);
    form->addRow(QStringLiteral("Clave : "), c.passwordBox);

    c.logInButton = flatButton(QStringLiteral("F2: &Entrar"), "entrar", this);
    c.logInButton->setObjectName(QStringLiteral("logInButton"));
    c.quitButton = flatButton(QStringLiteral("ESC: &Salir"), "salir", this);
    c.quitButton->setObjectName(QStringLiteral("quitButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(c.logInButton);
    buttons->addWidget(c.quitButton);

    c.statusPanel = new QLabel(QStringLiteral("Conectando con el servidor"), this);
    c.statusPanel->setObjectName(QStringLiteral("statusPanel"));
    c.statusPanel->setFrameShape(QFrame::Panel);
    c.statusPanel->setFrameShadow(QFrame::Sunken);
    c.statusPanel->setAlignment(Qt::AlignCenter);
    c.statusPanel->setMinimumHeight(24);
    QSizePolicy keepPlace = c.statusPanel->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    c.statusPanel->setSizePolicy(keepPlace);
    c.statusPanel->hide();

    auto* right = new QVBoxLayout;
    right->addWidget(c.destinationBox);
    right->addLayout(buttons);
    right->addWidget(c.statusPanel);
    right->addStretch(1);

    auto* whole = new QHBoxLayout(this);
    whole->addLayout(pictures);
    whole->addLayout(right, 1);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(c.serverBox, c.userBox);
    setTabOrder(c.userBox, c.passwordBox);
}

void LoginWindow::fillServerBox() {
    QComboBox* servers = controls_.serverBox;
    for (const std::string& server : loadServerList())
        servers->addItem(fromAnsi(server));
    if (servers->count() > 0)
        servers->setCurrentIndex(0);
}

void LoginWindow::focusUserBox() {
    controls_.userBox->setFocus(Qt::ActiveWindowFocusReason);
}

void LoginWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // In the middle of the desktop.
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    focusUserBox();
}

void LoginWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        focusUserBox();
}

void LoginWindow::showStatus(bool visible) {
    QLabel* status = controls_.statusPanel;
    if (visible) {
        status->setText(QStringLiteral("Conectando con el servidor Destino"));
        status->show();
    } else {
        status->hide();
    }
    // Painted at once: the connect that follows keeps the message loop waiting.
    repaint();
}

void LoginWindow::fillIn(const QString& server, const QString& user, const QString& password) {
    controls_.serverBox->setEditText(server);
    controls_.userBox->setText(user);
    controls_.passwordBox->setText(password);
}

void LoginWindow::logIn() {
    const Controls& c = controls_;
    try {
        login_.run(toAnsi(c.serverBox->currentText()), toAnsi(c.userBox->text()),
                   toAnsi(c.passwordBox->text()), loginState_, [this](bool visible) { showStatus(visible); });
    } catch (...) {
        // A failed login leaves no "Conectando..." behind its message.
        showStatus(false);
        throw;
    }
    accept();
}

void LoginWindow::quit() {
    reject();
    endProcess();
}

bool LoginWindow::loginKeys(QKeyEvent* event) {
    if (event->key() != Qt::Key_F2 && event->key() != Qt::Key_Escape)
        return false;
    // Nothing happens while Shift, Ctrl or Alt is held; the key goes no further either.
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return true;
    if (event->key() == Qt::Key_F2)
        guarded([this] { logIn(); });
    else
        guarded([this] { quit(); });
    return true;
}

bool LoginWindow::enterMovesOn(QObject* watched, QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    // Enter never logs in: server box, user box, password box, and round again.
    const Controls& c = controls_;
    QWidget* next = nullptr;
    if (watched == c.serverBox || watched == c.serverBox->lineEdit())
        next = c.userBox;
    else if (watched == c.userBox)
        next = c.passwordBox;
    else if (watched == c.passwordBox)
        next = c.serverBox;
    if (!next)
        return false;
    next->setFocus(Qt::TabFocusReason);
    if (next == c.serverBox)
        c.serverBox->lineEdit()->selectAll();
    return true;
}

bool LoginWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == this || isAncestorOf(qobject_cast<QWidget*>(watched)))) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (loginKeys(key) || enterMovesOn(watched, key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace envio
