#include "ui/Tfaccesopr.h"

#include "app/Dialogs.h"
#include "app/FailureTranslation.h"
#include "app/ServerList.h"
#include "base/AnsiCodec.h"
#include "db/Error.h"
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
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(pictureIcon(pictureName));
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    // The buttons never take the focus away from the boxes.
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumWidth(110);
    return button;
}

} // namespace

Tfaccesopr::Tfaccesopr(Connection& DbGeneraldes, LoginState& loginState, QWidget* parent)
    : QDialog(parent), login(DbGeneraldes), loginState_(loginState) {
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

    GroupBox1 = new QGroupBox(QStringLiteral("Destino:"), this);
    ServidorDes = new QComboBox(GroupBox1);
    ServidorDes->setEditable(true);
    ServidorDes->setInsertPolicy(QComboBox::NoInsert);
    ServidorDes->setMinimumWidth(220);
    TUsuades = new QLineEdit(GroupBox1);
    TClavedes = new QLineEdit(GroupBox1);
    TClavedes->setEchoMode(QLineEdit::Password);
    // Characters of the password show as "*".
    TClavedes->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    auto* form = new QFormLayout(GroupBox1);
    form->addRow(QStringLiteral("Servidor : "), ServidorDes);
    form->addRow(QStringLiteral("Usuario : "), TUsuades);
    form->addRow(QStringLiteral("Clave : "), TClavedes);

    SpeedButton1 = flatButton(QStringLiteral("F2: &Entrar"), "entrar", this);
    SpeedButton2 = flatButton(QStringLiteral("ESC: &Salir"), "salir", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);

    Panel2 = new QLabel(QStringLiteral("Conectando con el servidor"), this);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setMinimumHeight(24);
    QSizePolicy keepPlace = Panel2->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Panel2->setSizePolicy(keepPlace);
    Panel2->hide();

    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox1);
    right->addLayout(buttons);
    right->addWidget(Panel2);
    right->addStretch(1);

    auto* whole = new QHBoxLayout(this);
    whole->addLayout(pictures);
    whole->addLayout(right, 1);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(ServidorDes, TUsuades);
    setTabOrder(TUsuades, TClavedes);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { guarded([this] { SpeedButton1Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { guarded([this] { SpeedButton2Click(); }); });

    // The window sees the keys before its boxes do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    FormCreate();
}

Tfaccesopr::~Tfaccesopr() = default;

void Tfaccesopr::FormCreate() {
    for (const std::string& server : loadServerList())
        ServidorDes->addItem(fromAnsi(server));
    if (ServidorDes->count() > 0)
        ServidorDes->setCurrentIndex(0);
}

void Tfaccesopr::FormActivate() {
    TUsuades->setFocus(Qt::ActiveWindowFocusReason);
}

void Tfaccesopr::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // In the middle of the desktop.
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormActivate();
}

void Tfaccesopr::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void Tfaccesopr::showStatus(bool visible) {
    if (visible) {
        Panel2->setText(QStringLiteral("Conectando con el servidor Destino"));
        Panel2->show();
    } else {
        Panel2->hide();
    }
    // Painted at once: the connect that follows keeps the message loop waiting.
    repaint();
}

void Tfaccesopr::SpeedButton1Click() {
    login.run(toAnsi(ServidorDes->currentText()), toAnsi(TUsuades->text()), toAnsi(TClavedes->text()),
              loginState_, [this](bool visible) { showStatus(visible); });
    accept();
}

void Tfaccesopr::SpeedButton2Click() {
    reject();
    endProcess();
}

bool Tfaccesopr::FormKeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_F2 && event->key() != Qt::Key_Escape)
        return false;
    // Nothing happens while Shift, Ctrl or Alt is held; the key goes no further either.
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return true;
    if (event->key() == Qt::Key_F2)
        guarded([this] { SpeedButton1Click(); });
    else
        guarded([this] { SpeedButton2Click(); });
    return true;
}

bool Tfaccesopr::enterMovesOn(QObject* watched, QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    // Enter never logs in: server box, user box, password box, and round again.
    QWidget* next = nullptr;
    if (watched == ServidorDes || watched == ServidorDes->lineEdit())
        next = TUsuades;
    else if (watched == TUsuades)
        next = TClavedes;
    else if (watched == TClavedes)
        next = ServidorDes;
    if (!next)
        return false;
    next->setFocus(Qt::TabFocusReason);
    if (next == ServidorDes)
        ServidorDes->lineEdit()->selectAll();
    return true;
}

bool Tfaccesopr::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == this || isAncestorOf(qobject_cast<QWidget*>(watched)))) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key) || enterMovesOn(watched, key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tfaccesopr::ENoManejada(std::exception_ptr failure) {
    if (!failure)
        return;
    try {
        std::rethrow_exception(failure);
    } catch (const SilentAbort&) {
        // Already reported by whoever raised it.
    } catch (const std::exception& e) {
        dialogs().message(translateFailure(e.what()));
    } catch (...) {
        dialogs().message(translateFailure("Unknown failure"));
    }
}

} // namespace envio
