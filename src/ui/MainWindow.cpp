#include "ui/MainWindow.h"

#include "app/Dialogs.h"
#include "app/RunLock.h"
#include "app/StopRequest.h"
#include "base/AnsiCodec.h"
#include "replication/OperatorTexts.h"
#include "ui/Application.h"
#include "ui/CompanySelector.h"
#include "ui/DatasetGrid.h"
#include "ui/DatasetNavigator.h"
#include "ui/DatasetTableModel.h"
#include "ui/LoginWindow.h"
#include "ui/PendingEventsWindow.h"
#include "ui/Pictures.h"
#include "unattended/UnattendedSequence.h"

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

QPushButton* commandButton(const QString& text, const char* pictureName, QWidget* parent) {
    auto* button = new QPushButton(pictureIcon(pictureName), text, parent);
    button->setIconSize(QSize(20, 20));
    button->setMinimumHeight(30);
    button->setAutoDefault(false);
    return button;
}

// Connects a control's signal to an operation of the window; the operation's failure goes to the
// application-wide handler.
template <typename Sender, typename Signal>
void onSignal(MainWindow* window, Sender* sender, Signal signal, void (MainWindow::*operation)()) {
    QObject::connect(sender, signal, window,
                     [window, operation] { guarded([window, operation] { (window->*operation)(); }); });
}

} // namespace

namespace {

// The unattended start through the window's own operations, as the operator would perform them.
class WindowSteps : public UnattendedSteps {
public:
    WindowSteps(MainWindow& window, LoginWindow& login) : window_(window), login_(login) {}

    void logIn(const std::string& server, const std::string& user, const std::string& password) override {
        login_.fillIn(fromAnsi(server), fromAnsi(user), fromAnsi(password));
        login_.logIn();
    }
    void showServer() override { window_.showServer(fromAnsi(window_.session().loginState().server)); }
    void chooseCompany(const std::string& code) override { window_.setCompanyKey(code); }
    void tickNoRetry() override { window_.setNoRetryErrors(true); }
    void connectOrigin() override { window_.connectOrigin(); }
    RunOutcome send() override {
        const RunOutcome outcome = window_.send();
        if (outcome == RunOutcome::Busy)
            dialogs().message(runInProgressText());
        return outcome;
    }

private:
    MainWindow& window_;
    LoginWindow& login_;
};

} // namespace

MainWindow::MainWindow(StartArguments arguments, QWidget* parent)
    : QWidget(parent), arguments_(std::move(arguments)),
      destinations_(std::make_unique<DatasetTableModel>(session_.destinationList(), destinationColumns())) {
    // The error capture was bound to the providers and staged datasets when they were made; what nobody
    // handles goes to the application-wide handler from now on.
    setFailureHandler(&Application::showUnhandledFailure);
    buildWindow();
    wire();
    firstActivation_ = true;
}

MainWindow::~MainWindow() {
    controls_.sendTimer->stop();
    // The login window and the grids use the database objects and the rows model; they go first.
    login_.reset();
    const QObjectList children = this->children();
    for (QObject* child : children)
        if (child->isWidgetType())
            delete child;
    destinations_.reset();
}

void MainWindow::buildWindow() {
    setWindowTitle(QStringLiteral("Envío de información"));
    setWindowIcon(pictureIcon("icono"));
    resize(640, 460);
    Controls& c = controls_;

    // ---- upper area ------------------------------------------------------------------------------------
    auto* upper = new QWidget(this);
    auto* content = new QWidget(upper);

    auto* originLabel = new QLabel(QStringLiteral("Compañía Origen:"), content);
    c.serverField = new QLineEdit(content);
    c.serverField->setReadOnly(true);
    c.serverField->setMinimumWidth(150);
    c.companySelector = new CompanySelector(content);
    c.companySelector->setMinimumWidth(180);
    c.connectOriginButton = commandButton(QStringLiteral("Conectar"), "conectar", content);
    c.editDestinationsButton = commandButton(QStringLiteral("Configurar"), "configurar", content);
    auto* originRow = new QHBoxLayout;
    originRow->addWidget(c.serverField, 2);
    originRow->addWidget(c.companySelector, 3);
    originRow->addWidget(c.connectOriginButton);
    originRow->addWidget(c.editDestinationsButton);

    auto* listLabel = new QLabel(QStringLiteral("Compañías de Origen:"), content);
    c.destinationsGrid = new DatasetGrid(*destinations_, {30, 200, 200, 75}, false, content);
    c.destinationsNavigator =
        new DatasetNavigator(*destinations_,
                             {DatasetNavigator::Button::First, DatasetNavigator::Button::Prior,
                              DatasetNavigator::Button::Next, DatasetNavigator::Button::Last},
                             content);
    c.noRetryBox = new QCheckBox(QStringLiteral("No reintentar errores"), content);
    c.pendingButton = pictureButton(QStringLiteral("Pendientes"), "pendientes", 96, content);
    c.pendingButton->setAutoRaise(false);
    auto* underGrid = new QHBoxLayout;
    underGrid->addWidget(c.destinationsNavigator);
    underGrid->addStretch(1);
    underGrid->addWidget(c.noRetryBox);
    underGrid->addSpacing(12);
    underGrid->addWidget(c.pendingButton);

    // Receives a summary of the event being sent; never shown.
    c.eventSummary = new QLineEdit(content);
    c.eventSummary->setReadOnly(true);
    c.eventSummary->hide();

    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->addWidget(originLabel);
    contentLayout->addLayout(originRow);
    contentLayout->addSpacing(6);
    contentLayout->addWidget(listLabel);
    contentLayout->addWidget(c.destinationsGrid, 1);
    contentLayout->addLayout(underGrid);

    // The destination list editor, shown over the upper area.
    c.editorPanel = new QFrame(upper);
    c.editorPanel->setFrameShape(QFrame::StyledPanel);
    c.editorPanel->setAutoFillBackground(true);
    auto* editorCaption = new QLabel(QStringLiteral("Compañías a transmitir"), c.editorPanel);
    editorCaption->setStyleSheet(
        QStringLiteral("QLabel { background: #2c5d99; color: white; font-weight: bold; "
                       "padding: 4px; }"));
    c.editorGrid = new DatasetGrid(*destinations_, {26, 200, 200, 75}, true, c.editorPanel);
    c.editorNavigator = new DatasetNavigator(
        *destinations_,
        {DatasetNavigator::Button::First, DatasetNavigator::Button::Prior, DatasetNavigator::Button::Next,
         DatasetNavigator::Button::Last, DatasetNavigator::Button::Insert, DatasetNavigator::Button::Delete,
         DatasetNavigator::Button::Cancel},
        c.editorPanel);
    c.saveDestinationsButton = commandButton(QStringLiteral("Grabar"), "grabar", c.editorPanel);
    c.discardDestinationsButton = commandButton(QStringLiteral("Salir"), "salir", c.editorPanel);
    auto* editorBar = new QHBoxLayout;
    editorBar->addStretch(1);
    editorBar->addWidget(c.saveDestinationsButton);
    editorBar->addWidget(c.discardDestinationsButton);
    auto* editorLayout = new QVBoxLayout(c.editorPanel);
    editorLayout->setContentsMargins(4, 4, 4, 4);
    editorLayout->addWidget(editorCaption);
    editorLayout->addWidget(c.editorGrid, 1);
    editorLayout->addWidget(c.editorNavigator);
    editorLayout->addLayout(editorBar);
    c.editorPanel->hide();

    // The progress panel, shown over the upper area while a run is in progress.
    c.progressPanel = new QFrame(upper);
    c.progressPanel->setFrameShape(QFrame::Panel);
    c.progressPanel->setFrameShadow(QFrame::Raised);
    c.progressPanel->setLineWidth(2);
    c.progressPanel->setAutoFillBackground(true);
    c.progressPanel->setMinimumWidth(380);
    c.progressCaption = new QLabel(c.progressPanel);
    c.progressCaption->setAlignment(Qt::AlignCenter);
    QFont captionFont = c.progressCaption->font();
    captionFont.setBold(true);
    c.progressCaption->setFont(captionFont);
    c.progressMessage =
        new QLabel(QStringLiteral("Copiando información. Espere un momento..."), c.progressPanel);
    c.progressMessage->setAlignment(Qt::AlignCenter);
    c.progressBar = new QProgressBar(c.progressPanel);
    c.progressBar->setRange(0, 100);
    c.progressBar->setValue(0);
    c.progressBar->setTextVisible(false);
    auto* progressLayout = new QVBoxLayout(c.progressPanel);
    progressLayout->setContentsMargins(16, 12, 16, 12);
    progressLayout->addWidget(c.progressCaption);
    progressLayout->addWidget(c.progressMessage);
    progressLayout->addWidget(c.progressBar);
    c.progressPanel->hide();

    auto* upperLayout = new QGridLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(content, 0, 0);
    upperLayout->addWidget(c.editorPanel, 0, 0);
    upperLayout->addWidget(c.progressPanel, 0, 0, Qt::AlignCenter);

    // ---- bottom bar --------------------------------------------------------------------------------------
    auto* bottom = new QFrame(this);
    bottom->setFrameShape(QFrame::StyledPanel);
    bottom->setFixedHeight(42);
    c.sendButton = pictureButton(QStringLiteral("Enviar"), "enviar", 96, bottom);
    c.quitButton = pictureButton(QStringLiteral("Salir"), "salir", 96, bottom);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(6, 2, 6, 2);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(c.sendButton);
    bottomLayout->addWidget(c.quitButton);

    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(upper, 1);
    whole->addWidget(bottom);

    c.sendTimer = new QTimer(this);
    c.sendTimer->setInterval(60000);

    // Names for tracing the widgets at run time.
    c.serverField->setObjectName(QStringLiteral("serverField"));
    c.companySelector->setObjectName(QStringLiteral("LCiaDes"));
    c.connectOriginButton->setObjectName(QStringLiteral("BotonConectar"));
    c.editDestinationsButton->setObjectName(QStringLiteral("BotonConfigurar"));
    c.destinationsGrid->setObjectName(QStringLiteral("GridCompanias"));
    c.destinationsNavigator->setObjectName(QStringLiteral("destinationsNavigator"));
    c.noRetryBox->setObjectName(QStringLiteral("CkError"));
    c.pendingButton->setObjectName(QStringLiteral("BotonPendientes"));
    c.eventSummary->setObjectName(QStringLiteral("eventSummary"));
    c.editorPanel->setObjectName(QStringLiteral("PanelEditor"));
    c.editorGrid->setObjectName(QStringLiteral("GridEditor"));
    c.editorNavigator->setObjectName(QStringLiteral("editorNavigator"));
    c.saveDestinationsButton->setObjectName(QStringLiteral("BotonGrabar"));
    c.discardDestinationsButton->setObjectName(QStringLiteral("BotonSalirEditor"));
    c.progressPanel->setObjectName(QStringLiteral("progressPanel"));
    c.progressCaption->setObjectName(QStringLiteral("progressCaption"));
    c.progressMessage->setObjectName(QStringLiteral("progressMessage"));
    c.progressBar->setObjectName(QStringLiteral("progressBar"));
    c.sendButton->setObjectName(QStringLiteral("sendButton"));
    c.quitButton->setObjectName(QStringLiteral("quitButton"));
    c.sendTimer->setObjectName(QStringLiteral("sendTimer"));
}

void MainWindow::wire() {
    const Controls& c = controls_;
    destinations_->setGate([this](bool tellOperator) {
        if (!session_.sendInProgress())
            return true;
        if (tellOperator)
            dialogs().message(fromAnsi(busyText(ansi("modificar la lista de compañías").c_str())));
        return false;
    });

    onSignal(this, c.connectOriginButton, &QPushButton::clicked, &MainWindow::connectOrigin);
    onSignal(this, c.editDestinationsButton, &QPushButton::clicked, &MainWindow::editDestinations);
    onSignal(this, c.saveDestinationsButton, &QPushButton::clicked, &MainWindow::saveDestinations);
    onSignal(this, c.discardDestinationsButton, &QPushButton::clicked, &MainWindow::discardDestinations);
    onSignal(this, c.sendButton, &QToolButton::clicked, &MainWindow::sendNow);
    onSignal(this, c.quitButton, &QToolButton::clicked, &MainWindow::quit);
    onSignal(this, c.pendingButton, &QToolButton::clicked, &MainWindow::showPendingEvents);
    onSignal(this, c.sendTimer, &QTimer::timeout, &MainWindow::sendOnTimer);

    connect(c.companySelector, &CompanySelector::keyChosen, this,
            [this](const QString& code) { destinationList_.setCompanyKey(toAnsi(code)); });
}

// ---- start-up ---------------------------------------------------------------------------------------------

void MainWindow::scheduleFirstActivation() {
    if (!firstActivation_ || firstActivationScheduled_)
        return;
    firstActivationScheduled_ = true;
    // Taken up by the message loop once the window is on the screen, outside the event that announced it.
    QTimer::singleShot(0, this, [this] { guarded([this] { runFirstActivation(); }); });
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    scheduleFirstActivation();
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        scheduleFirstActivation();
    return QWidget::event(event);
}

void MainWindow::runFirstActivation() {
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    login_ = std::make_unique<LoginWindow>(session_.general(), session_.loginState(), this);
    if (arguments_.unattended()) {
        WindowSteps steps(*this, *login_);
        runUnattendedSequence(steps, arguments_);
        return;
    }
    if (login_->exec() == QDialog::Accepted) {
        // The login window is discarded once it has closed.
        login_.release()->deleteLater();
        showServer(fromAnsi(session_.loginState().server));
        // The operator goes on by choosing the origin company.
        controls_.companySelector->setFocus(Qt::OtherFocusReason);
    } else {
        endProcess();
    }
}

// ---- company list and "Conectar" ------------------------------------------------------------------------

void MainWindow::showServer(const QString& text) {
    if (controls_.serverField->text() == text)
        return;
    controls_.serverField->setText(text);
    loadCompanies();
}

void MainWindow::loadCompanies() {
    companies_.load();
    fillCompanySelector();
}

void MainWindow::fillCompanySelector() {
    std::vector<CompanySelector::Company> rows;
    for (const CompanyList::Company& c : companies_.rows())
        rows.push_back({fromAnsi(c.code), fromAnsi(c.name)});
    controls_.companySelector->setCompanies(rows);
    const auto& key = destinationList_.companyKey();
    controls_.companySelector->showKey(key ? std::optional<QString>(fromAnsi(*key)) : std::nullopt);
}

void MainWindow::setNoRetryErrors(bool noRetry) {
    controls_.noRetryBox->setChecked(noRetry);
}

void MainWindow::setCompanyKey(std::optional<std::string> key) {
    controls_.companySelector->showKey(key ? std::optional<QString>(fromAnsi(*key)) : std::nullopt);
    destinationList_.setCompanyKey(std::move(key));
}

bool MainWindow::idleFor(const char* action, bool pluralObject) {
    if (!session_.sendInProgress())
        return true;
    dialogs().message(fromAnsi(busyText(ansi(action).c_str(), pluralObject)));
    return false;
}

void MainWindow::connectOrigin() {
    if (!idleFor("conectar"))
        return;
    struct Reload {
        DatasetTableModel& rows;
        ~Reload() { rows.reload(); }
    } reload{*destinations_};
    destinationList_.connectOrigin();
}

// ---- destination list editor -----------------------------------------------------------------------------

void MainWindow::editDestinations() {
    // The editor works on the list read by "Conectar"; before that there is nothing to edit.
    if (!session_.destinationList().isOpen()) {
        dialogs().message(fromAnsi(notConnectedText("configurar la lista de compañías")));
        return;
    }
    controls_.editorPanel->show();
    controls_.editorPanel->raise();
    if (controls_.progressPanel->isVisible())
        controls_.progressPanel->raise();
    controls_.editorGrid->setFocus(Qt::OtherFocusReason);
}

void MainWindow::saveDestinations() {
    if (!idleFor("grabar la lista de compañías"))
        return;
    struct Reload {
        DatasetTableModel& rows;
        ~Reload() { rows.reload(); }
    } reload{*destinations_};
    destinationList_.save();
    controls_.editorPanel->hide();
}

void MainWindow::discardDestinations() {
    if (!idleFor("descartar los cambios de la lista de compañías", true))
        return;
    struct Reload {
        DatasetTableModel& rows;
        ~Reload() { rows.reload(); }
    } reload{*destinations_};
    // The panel always closes: with the list closed there is nothing to discard.
    if (session_.destinationList().isOpen())
        destinationList_.discard();
    controls_.editorPanel->hide();
}

// ---- send runs -------------------------------------------------------------------------------------------

void MainWindow::sendNow() {
    // Another process sending from the same installation directory is told to the operator who pressed.
    if (send() == RunOutcome::Busy)
        dialogs().message(runInProgressText());
}

void MainWindow::sendOnTimer() {
    // A tick that finds another process sending is skipped quietly; the timer tries again.
    send();
}

RunOutcome MainWindow::send() {
    // A click or a tick that arrives while a run processes the window's messages is ignored.
    if (session_.sendInProgress())
        return RunOutcome::Ignored;
    struct AfterRun {
        MainWindow& window;
        ~AfterRun() { window.afterRun(); }
    } after{*this};
    return SendRun(session_, *this).run();
}

void MainWindow::afterRun() {
    // The run walked the destination list; the grids show where it stopped.
    destinations_->reload();
    if (stop::requested()) {
        endProcess();
        return;
    }
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void MainWindow::showPendingEvents() {
    if (!idleFor("abrir los eventos pendientes", true))
        return;
    // A new window for every click, shown modally over this one.
    PendingEventsWindow pending(session_, this);
    pending.exec();
}

void MainWindow::quit() {
    // Rows typed in the editor and not yet saved are not dropped without asking.
    const StagedDataset& list = session_.destinationList();
    if (list.isOpen() && (list.changeCount() > 0 || list.state() != DatasetState::Browse) &&
        !dialogs().ask(QStringLiteral("La lista de compañías tiene cambios sin grabar. ¿Desea salir de todos "
                                      "modos?")))
        return;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (session_.sendInProgress()) {
        // The run is using this window's database objects: the window closes as soon as the run is over.
        closePending_ = true;
        event->ignore();
        return;
    }
    controls_.sendTimer->stop();
    QWidget::closeEvent(event);
}

// ---- what a send run sees of the window ------------------------------------------------------------------

QString MainWindow::originCompanyText() const {
    return fromAnsi(companies_.nameOf(destinationList_.companyKey()));
}

bool MainWindow::noRetryErrors() const {
    return controls_.noRetryBox->isChecked();
}

void MainWindow::setProgressVisible(bool visible) {
    controls_.progressPanel->setVisible(visible);
    if (visible) {
        controls_.progressPanel->raise();
        if (QLayout* layout = controls_.progressPanel->parentWidget()->layout())
            layout->activate();
    }
}

void MainWindow::setProgressCaption(const QString& caption) {
    controls_.progressCaption->setText(caption);
    repaint();
}

void MainWindow::setProgressRange(int maximum) {
    // A bar with no events to step through stays empty rather than turning into a busy indicator.
    controls_.progressBar->setRange(0, std::max(maximum, 1));
    controls_.progressBar->setValue(0);
}

void MainWindow::stepProgress() {
    controls_.progressBar->setValue(
        std::min(controls_.progressBar->value() + 1, controls_.progressBar->maximum()));
}

void MainWindow::setProgressPosition(int position) {
    controls_.progressBar->setValue(std::min(position, controls_.progressBar->maximum()));
}

void MainWindow::setEventSummary(const std::string& summary) {
    controls_.eventSummary->setText(fromAnsi(summary));
}

void MainWindow::processMessages() {
    QCoreApplication::processEvents();
}

void MainWindow::setTimerEnabled(bool enabled) {
    if (enabled)
        controls_.sendTimer->start();
    else
        controls_.sendTimer->stop();
}

} // namespace envio
