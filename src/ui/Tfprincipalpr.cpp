#include "ui/Tfprincipalpr.h"

#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "ui/Application.h"
#include "ui/CompanySelector.h"
#include "ui/DatasetGrid.h"
#include "ui/DatasetNavigator.h"
#include "ui/DatasetTableModel.h"
#include "ui/Pictures.h"
#include "ui/Tfaccesopr.h"
#include "ui/Tfpendientespr.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace envio {

namespace {

std::vector<DatasetColumn> destinationColumns() {
    return {{"RPPR_ID", QStringLiteral("Id")},
            {"RPPR_NOMBRE", QStringLiteral("Nombre")},
            {"RPPR_SERVIDOR", QStringLiteral("Servidor")},
            {"RPPR_COD", QStringLiteral("CodCia")}};
}

QPushButton* glowButton(const QString& text, const char* pictureName, QWidget* parent) {
    auto* button = new QPushButton(pictureIcon(pictureName), text, parent);
    button->setIconSize(QSize(20, 20));
    button->setMinimumHeight(30);
    button->setAutoDefault(false);
    return button;
}

QToolButton* barButton(const QString& text, const char* pictureName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(pictureIcon(pictureName));
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(96);
    return button;
}

// Connects a control's signal to an operation of the window; the operation's failure goes to the
// application-wide handler.
template <typename Sender, typename Signal>
void onSignal(Tfprincipalpr* window, Sender* sender, Signal signal, void (Tfprincipalpr::*operation)()) {
    QObject::connect(sender, signal, window,
                     [window, operation] { guarded([window, operation] { (window->*operation)(); }); });
}

} // namespace

Tfprincipalpr::Tfprincipalpr(StartArguments arguments, QWidget* parent)
    : QWidget(parent), arguments_(std::move(arguments)),
      destinations_(std::make_unique<DatasetTableModel>(principal_.Creplicac, destinationColumns())) {
    // The error capture was bound to the providers and staged datasets when they were made; what nobody
    // handles goes to the application-wide handler from now on.
    setFailureHandler(&Tfaccesopr::ENoManejada);
    buildWindow();
    wire();
    firstActivation_ = true;
}

Tfprincipalpr::~Tfprincipalpr() {
    Timer1->stop();
    // The login window and the grids use the database objects and the rows model; they go first.
    login_.reset();
    const QObjectList children = this->children();
    for (QObject* child : children)
        if (child->isWidgetType())
            delete child;
    destinations_.reset();
}

void Tfprincipalpr::buildWindow() {
    setWindowTitle(QStringLiteral("Envío de información"));
    setWindowIcon(pictureIcon("icono"));
    resize(640, 460);

    // ---- upper area ------------------------------------------------------------------------------------
    auto* upper = new QWidget(this);
    auto* content = new QWidget(upper);

    auto* originLabel = new QLabel(QStringLiteral("Compañía Origen:"), content);
    SerDes1 = new QLineEdit(content);
    SerDes1->setReadOnly(true);
    SerDes1->setMinimumWidth(150);
    LCiaDes = new CompanySelector(content);
    LCiaDes->setMinimumWidth(180);
    AdvGlowButton2 = glowButton(QStringLiteral("Conectar"), "conectar", content);
    AdvGlowButton1 = glowButton(QStringLiteral("Configurar"), "configurar", content);
    auto* originRow = new QHBoxLayout;
    originRow->addWidget(SerDes1, 2);
    originRow->addWidget(LCiaDes, 3);
    originRow->addWidget(AdvGlowButton2);
    originRow->addWidget(AdvGlowButton1);

    auto* listLabel = new QLabel(QStringLiteral("Compañías de Origen:"), content);
    DBGridEh1 = new DatasetGrid(*destinations_, {30, 200, 200, 75}, false, content);
    DBNavigator1 = new DatasetNavigator(*destinations_,
                                        {DatasetNavigator::Button::First, DatasetNavigator::Button::Prior,
                                         DatasetNavigator::Button::Next, DatasetNavigator::Button::Last},
                                        content);
    CkError = new QCheckBox(QStringLiteral("No reintentar errores"), content);
    PngSpeedButton3 = barButton(QStringLiteral("Pendientes"), "pendientes", content);
    PngSpeedButton3->setAutoRaise(false);
    auto* underGrid = new QHBoxLayout;
    underGrid->addWidget(DBNavigator1);
    underGrid->addStretch(1);
    underGrid->addWidget(CkError);
    underGrid->addSpacing(12);
    underGrid->addWidget(PngSpeedButton3);

    // Receives a summary of the event being sent; never shown.
    Edit1 = new QLineEdit(content);
    Edit1->setReadOnly(true);
    Edit1->hide();

    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->addWidget(originLabel);
    contentLayout->addLayout(originRow);
    contentLayout->addSpacing(6);
    contentLayout->addWidget(listLabel);
    contentLayout->addWidget(DBGridEh1, 1);
    contentLayout->addLayout(underGrid);

    // The destination list editor, shown over the upper area.
    AdvPanel1 = new QFrame(upper);
    AdvPanel1->setFrameShape(QFrame::StyledPanel);
    AdvPanel1->setAutoFillBackground(true);
    auto* editorCaption = new QLabel(QStringLiteral("Compañías a transmitir"), AdvPanel1);
    editorCaption->setStyleSheet(
        QStringLiteral("QLabel { background: #2c5d99; color: white; font-weight: bold; "
                       "padding: 4px; }"));
    DBGridEh3 = new DatasetGrid(*destinations_, {26, 200, 200, 75}, true, AdvPanel1);
    DBNavigator3 = new DatasetNavigator(*destinations_,
                                        {DatasetNavigator::Button::First, DatasetNavigator::Button::Prior,
                                         DatasetNavigator::Button::Next, DatasetNavigator::Button::Last,
                                         DatasetNavigator::Button::Insert, DatasetNavigator::Button::Delete,
                                         DatasetNavigator::Button::Cancel},
                                        AdvPanel1);
    AdvGlowButton3 = glowButton(QStringLiteral("Grabar"), "grabar", AdvPanel1);
    AdvGlowButton4 = glowButton(QStringLiteral("Salir"), "salir", AdvPanel1);
    auto* editorBar = new QHBoxLayout;
    editorBar->addStretch(1);
    editorBar->addWidget(AdvGlowButton3);
    editorBar->addWidget(AdvGlowButton4);
    auto* editorLayout = new QVBoxLayout(AdvPanel1);
    editorLayout->setContentsMargins(4, 4, 4, 4);
    editorLayout->addWidget(editorCaption);
    editorLayout->addWidget(DBGridEh3, 1);
    editorLayout->addWidget(DBNavigator3);
    editorLayout->addLayout(editorBar);
    AdvPanel1->hide();

    // The progress panel, shown over the upper area while a run is in progress.
    Panel4 = new QFrame(upper);
    Panel4->setFrameShape(QFrame::Panel);
    Panel4->setFrameShadow(QFrame::Raised);
    Panel4->setLineWidth(2);
    Panel4->setAutoFillBackground(true);
    Panel4->setMinimumWidth(380);
    Panel4Caption = new QLabel(Panel4);
    Panel4Caption->setAlignment(Qt::AlignCenter);
    QFont captionFont = Panel4Caption->font();
    captionFont.setBold(true);
    Panel4Caption->setFont(captionFont);
    Label4 = new QLabel(QStringLiteral("Copiando información. Espere un momento..."), Panel4);
    Label4->setAlignment(Qt::AlignCenter);
    ProgressBar1 = new QProgressBar(Panel4);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    auto* progressLayout = new QVBoxLayout(Panel4);
    progressLayout->setContentsMargins(16, 12, 16, 12);
    progressLayout->addWidget(Panel4Caption);
    progressLayout->addWidget(Label4);
    progressLayout->addWidget(ProgressBar1);
    Panel4->hide();

    auto* upperLayout = new QGridLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(content, 0, 0);
    upperLayout->addWidget(AdvPanel1, 0, 0);
    upperLayout->addWidget(Panel4, 0, 0, Qt::AlignCenter);

    // ---- bottom bar --------------------------------------------------------------------------------------
    auto* bottom = new QFrame(this);
    bottom->setFrameShape(QFrame::StyledPanel);
    bottom->setFixedHeight(42);
    SpeedButton1 = barButton(QStringLiteral("Enviar"), "enviar", bottom);
    SpeedButton2 = barButton(QStringLiteral("Salir"), "salir", bottom);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(6, 2, 6, 2);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(SpeedButton1);
    bottomLayout->addWidget(SpeedButton2);

    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(upper, 1);
    whole->addWidget(bottom);

    Timer1 = new QTimer(this);
    Timer1->setInterval(60000);
}

void Tfprincipalpr::wire() {
    destinations_->setGate([this](bool tellOperator) {
        if (!principal_.running())
            return true;
        if (tellOperator)
            dialogs().message(fromAnsi(busyText(ansi("modificar la lista de compañías").c_str())));
        return false;
    });

    onSignal(this, AdvGlowButton2, &QPushButton::clicked, &Tfprincipalpr::AdvGlowButton2Click);
    onSignal(this, AdvGlowButton1, &QPushButton::clicked, &Tfprincipalpr::AdvGlowButton1Click);
    onSignal(this, AdvGlowButton3, &QPushButton::clicked, &Tfprincipalpr::AdvGlowButton3Click);
    onSignal(this, AdvGlowButton4, &QPushButton::clicked, &Tfprincipalpr::AdvGlowButton4Click);
    onSignal(this, SpeedButton1, &QToolButton::clicked, &Tfprincipalpr::SpeedButton1Click);
    onSignal(this, SpeedButton2, &QToolButton::clicked, &Tfprincipalpr::SpeedButton2Click);
    onSignal(this, PngSpeedButton3, &QToolButton::clicked, &Tfprincipalpr::PngSpeedButton3Click);
    onSignal(this, Timer1, &QTimer::timeout, &Tfprincipalpr::Timer1Timer);

    connect(LCiaDes, &CompanySelector::keyChosen, this,
            [this](const QString& code) { principal_.setCompanyKey(toAnsi(code)); });
}

// ---- start-up ---------------------------------------------------------------------------------------------

void Tfprincipalpr::scheduleFirstActivation() {
    if (!firstActivation_ || firstActivationScheduled_)
        return;
    firstActivationScheduled_ = true;
    // Taken up by the message loop once the window is on the screen, outside the event that announced it.
    QTimer::singleShot(0, this, [this] { guarded([this] { FormActivate(); }); });
}

void Tfprincipalpr::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    scheduleFirstActivation();
}

bool Tfprincipalpr::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        scheduleFirstActivation();
    return QWidget::event(event);
}

void Tfprincipalpr::FormActivate() {
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    login_ = std::make_unique<Tfaccesopr>(principal_.DbGeneraldes, principal_.loginState, this);
    if (arguments_.unattended()) {
        runUnattendedStart(*this, *login_, arguments_);
        return;
    }
    if (login_->exec() == QDialog::Accepted) {
        // The login window is discarded once it has closed.
        login_.release()->deleteLater();
        setSerDes1(fromAnsi(principal_.loginState.server));
        // The operator goes on by choosing the origin company.
        LCiaDes->setFocus(Qt::OtherFocusReason);
    } else {
        endProcess();
    }
}

// ---- company list and "Conectar" ------------------------------------------------------------------------

void Tfprincipalpr::setSerDes1(const QString& text) {
    if (SerDes1->text() == text)
        return;
    SerDes1->setText(text);
    SerDes1Change();
}

void Tfprincipalpr::SerDes1Change() {
    principal_.loadCompanies();
    fillCompanySelector();
}

void Tfprincipalpr::fillCompanySelector() {
    StagedDataset& companies = principal_.TCompaniades;
    std::vector<CompanySelector::Company> rows;
    const Field* code = companies.findField("COMP_COD");
    const Field* name = companies.findField("COM_NOMBRE");
    if (companies.isOpen() && code && name) {
        for (int r = 0; r < companies.recordCount(); ++r) {
            const Value& c = companies.valueAt(r, code->index());
            const Value& n = companies.valueAt(r, name->index());
            rows.push_back({c.isNull() ? QString() : fromAnsi(c.asString()),
                            n.isNull() ? QString() : fromAnsi(n.asString())});
        }
    }
    LCiaDes->setCompanies(rows);
    const auto& key = principal_.companyKey();
    LCiaDes->showKey(key ? std::optional<QString>(fromAnsi(*key)) : std::nullopt);
}

void Tfprincipalpr::setCompanyKey(std::optional<std::string> key) {
    LCiaDes->showKey(key ? std::optional<QString>(fromAnsi(*key)) : std::nullopt);
    principal_.setCompanyKey(std::move(key));
}

bool Tfprincipalpr::idleFor(const char* action) {
    if (!principal_.running())
        return true;
    dialogs().message(fromAnsi(busyText(ansi(action).c_str())));
    return false;
}

void Tfprincipalpr::AdvGlowButton2Click() {
    if (!idleFor("conectar"))
        return;
    struct Reload {
        DatasetTableModel& rows;
        ~Reload() { rows.reload(); }
    } reload{*destinations_};
    principal_.Conectar();
}

// ---- destination list editor -----------------------------------------------------------------------------

void Tfprincipalpr::AdvGlowButton1Click() {
    AdvPanel1->show();
    AdvPanel1->raise();
    if (Panel4->isVisible())
        Panel4->raise();
    DBGridEh3->setFocus(Qt::OtherFocusReason);
}

void Tfprincipalpr::AdvGlowButton3Click() {
    if (!idleFor("grabar la lista de compañías"))
        return;
    struct Reload {
        DatasetTableModel& rows;
        ~Reload() { rows.reload(); }
    } reload{*destinations_};
    principal_.GrabarDestinos();
    AdvPanel1->hide();
}

void Tfprincipalpr::AdvGlowButton4Click() {
    if (!idleFor("descartar los cambios de la lista de compañías"))
        return;
    struct Reload {
        DatasetTableModel& rows;
        ~Reload() { rows.reload(); }
    } reload{*destinations_};
    principal_.DescartarDestinos();
    AdvPanel1->hide();
}

// ---- send runs -------------------------------------------------------------------------------------------

void Tfprincipalpr::SpeedButton1Click() {
    // A click or a tick that arrives while a run processes the window's messages is ignored.
    if (principal_.running())
        return;
    struct AfterRun {
        Tfprincipalpr& window;
        ~AfterRun() { window.afterRun(); }
    } after{*this};
    principal_.SendRun(*this);
}

void Tfprincipalpr::Timer1Timer() {
    SpeedButton1Click();
}

void Tfprincipalpr::afterRun() {
    // The run walked the destination list; the grids show where it stopped.
    destinations_->reload();
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void Tfprincipalpr::PngSpeedButton3Click() {
    if (!idleFor("abrir los eventos pendientes"))
        return;
    // A new window for every click, shown modally over this one.
    Tfpendientespr pending(principal_, this);
    pending.exec();
}

void Tfprincipalpr::SpeedButton2Click() {
    close();
}

void Tfprincipalpr::closeEvent(QCloseEvent* event) {
    if (principal_.running()) {
        // The run is using this window's database objects: the window closes as soon as the run is over.
        closePending_ = true;
        event->ignore();
        return;
    }
    Timer1->stop();
    QWidget::closeEvent(event);
}

// ---- what a send run sees of the window ------------------------------------------------------------------

QString Tfprincipalpr::originCompanyText() const {
    return fromAnsi(const_cast<Principal&>(principal_).companyShownText());
}

bool Tfprincipalpr::noRetryErrors() const {
    return CkError->isChecked();
}

void Tfprincipalpr::setProgressVisible(bool visible) {
    Panel4->setVisible(visible);
    if (visible) {
        Panel4->raise();
        if (QLayout* layout = Panel4->parentWidget()->layout())
            layout->activate();
    }
}

void Tfprincipalpr::setProgressCaption(const QString& caption) {
    Panel4Caption->setText(caption);
    repaint();
}

void Tfprincipalpr::setProgressRange(int maximum) {
    // A bar with no events to step through stays empty rather than turning into a busy indicator.
    ProgressBar1->setRange(0, std::max(maximum, 1));
    ProgressBar1->setValue(0);
}

void Tfprincipalpr::stepProgress() {
    ProgressBar1->setValue(std::min(ProgressBar1->value() + 1, ProgressBar1->maximum()));
}

void Tfprincipalpr::setEventSummary(const std::string& summary) {
    Edit1->setText(fromAnsi(summary));
}

void Tfprincipalpr::processMessages() {
    QCoreApplication::processEvents();
}

void Tfprincipalpr::setTimerEnabled(bool enabled) {
    if (enabled)
        Timer1->start();
    else
        Timer1->stop();
}

} // namespace envio
