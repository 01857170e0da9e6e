#pragma once

#include "app/StartArguments.h"
#include "replication/CompanyList.h"
#include "replication/DestinationList.h"
#include "replication/ReplicationSession.h"
#include "replication/SendRun.h"
#include "replication/SendRunView.h"
#include "ui/CloseRequestWatch.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;

namespace envio {

class CompanySelector;
class DatasetGrid;
class DatasetNavigator;
class DatasetTableModel;
class LoginWindow;

// The main window "Envío de información": the origin company, "Conectar", the destination list and its
// editor, and the send runs started by "Enviar" and by the 60-second timer. While a run is in progress
// nothing acts under it: a second "Enviar" is ignored, the actions that would change the origin connection or
// the destination list are refused with a message, and closing the window waits for the run to end.
class MainWindow : public QWidget, public SendRunView {
    Q_OBJECT
public:
    // The window's widgets; the window owns them.
    struct Controls {
        QLineEdit* serverField;                  // the server logged into, read-only
        CompanySelector* companySelector;        // the origin company
        QPushButton* connectOriginButton;        // "Conectar"
        QPushButton* editDestinationsButton;     // "Configurar"
        DatasetGrid* destinationsGrid;           // the destination list, read-only
        DatasetNavigator* destinationsNavigator; // first, prior, next, last
        QCheckBox* noRetryBox;                   // "No reintentar errores"
        QToolButton* pendingButton;              // "Pendientes"
        QToolButton* sendButton;                 // "Enviar"
        QToolButton* quitButton;                 // "Salir"
        QFrame* progressPanel;                   // shown while a run is in progress
        QLabel* progressCaption;                 // the destination being sent to
        QLabel* progressMessage;                 // "Copiando información. Espere un momento..."
        QProgressBar* progressBar;               // one step per event
        QLineEdit* eventSummary;                 // the event being sent; never shown
        QFrame* editorPanel;                     // "Compañías a transmitir"
        DatasetGrid* editorGrid;                 // the destination list, editable
        DatasetNavigator* editorNavigator;       // also insert, delete, cancel
        QPushButton* saveDestinationsButton;     // "Grabar"
        QPushButton* discardDestinationsButton;  // "Salir" of the editor panel
        QTimer* sendTimer;                       // 60 seconds, started by each completed run
    };

    explicit MainWindow(StartArguments arguments = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    const Controls& controls() const { return controls_; }

    ReplicationSession& session() { return session_; }
    DestinationList& destinations() { return destinationList_; }
    // The login window, from the first activation until it is discarded after an accepted login.
    LoginWindow* loginWindow() const { return login_.get(); }
    // Whether the first activation is still to come.
    bool firstActivationPending() const { return firstActivation_; }

    // The destination list as both grids show it.
    DatasetTableModel& destinationRows() { return *destinations_; }

    // The server field: a new text loads the company list.
    void showServer(const QString& text);
    // The origin company selector's key, set by program.
    void setCompanyKey(std::optional<std::string> key);
    // Ticks or unticks "No reintentar errores".
    void setNoRetryErrors(bool noRetry);

    // The operations behind the controls. Each raises its failure to the caller; the controls hand it to the
    // application-wide failure handler.
    void runFirstActivation();  // the login, or the unattended start
    void loadCompanies();       // the company list of the server logged into
    void connectOrigin();       // "Conectar"
    void editDestinations();    // "Configurar": the destination list editor
    void saveDestinations();    // "Grabar"
    void discardDestinations(); // "Salir" of the editor panel
    void sendNow();             // "Enviar"
    void sendOnTimer();         // a tick of the send timer
    RunOutcome send();          // one send run, whatever started it
    void showPendingEvents();   // "Pendientes": the pending-events window
    void quit();                // "Salir"

    // SendRunView
    QString originCompanyText() const override;
    bool noRetryErrors() const override;
    void setProgressVisible(bool visible) override;
    void setProgressCaption(const QString& caption) override;
    void setProgressRange(int maximum) override;
    void stepProgress() override;
    void setProgressPosition(int position) override;
    void setEventSummary(const std::string& summary) override;
    void processMessages() override;
    void setTimerEnabled(bool enabled) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void wire();
    void fillCompanySelector();
    // True when no send run is in progress; otherwise tells the operator that `action` must wait.
    bool idleFor(const char* action, bool pluralObject = false);
    void afterRun();
    void scheduleFirstActivation();

    Controls controls_{};
    ReplicationSession session_;
    CompanyList companies_{session_.companies()};
    DestinationList destinationList_{session_};
    StartArguments arguments_;
    std::unique_ptr<DatasetTableModel> destinations_;
    std::unique_ptr<LoginWindow> login_;
    bool firstActivation_ = true;
    bool firstActivationScheduled_ = false;
    bool closePending_ = false;
    // A close asked for while a box of the run blocks the window still closes it when the run is over.
    CloseRequestWatch closeWatch_{*this, [this] {
                                      if (session_.sendInProgress())
                                          closePending_ = true;
                                  }};
};

} // namespace envio
