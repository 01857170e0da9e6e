#pragma once

#include "replication/CompanyList.h"
#include "replication/DestinationList.h"
#include "replication/ReplicationSession.h"
#include "unattended/UnattendedSequence.h"
#include "replication/SendRunView.h"
#include "app/StartArguments.h"

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
class Tfaccesopr;

// The main window "Envío de información": the origin company, "Conectar", the destination list and its
// editor, and the send runs started by "Enviar" and by the 60-second timer. While a run is in progress
// nothing acts under it: a second "Enviar" is ignored, the actions that would change the origin connection or
// the destination list are refused with a message, and closing the window waits for the run to end.
class Tfprincipalpr : public QWidget, public SendRunView {
    Q_OBJECT
public:
    explicit Tfprincipalpr(StartArguments arguments = {}, QWidget* parent = nullptr);
    ~Tfprincipalpr() override;

    ReplicationSession& session() { return session_; }
    DestinationList& destinations() { return destinationList_; }
    // The login window, from the first activation until it is discarded after an accepted login.
    Tfaccesopr* loginWindow() const { return login_.get(); }
    // Whether the first activation is still to come.
    bool firstActivationPending() const { return firstActivation_; }

    QLineEdit* SerDes1;
    CompanySelector* LCiaDes;
    QPushButton* AdvGlowButton2; // "Conectar"
    QPushButton* AdvGlowButton1; // "Configurar"
    DatasetGrid* DBGridEh1;
    DatasetNavigator* DBNavigator1;
    QCheckBox* CkError;
    QToolButton* PngSpeedButton3; // "Pendientes"
    QToolButton* SpeedButton1;    // "Enviar"
    QToolButton* SpeedButton2;    // "Salir"
    QFrame* Panel4;
    QLabel* Panel4Caption;
    QLabel* Label4;
    QProgressBar* ProgressBar1;
    QLineEdit* Edit1;
    QFrame* AdvPanel1;
    DatasetGrid* DBGridEh3;
    DatasetNavigator* DBNavigator3;
    QPushButton* AdvGlowButton3; // "Grabar"
    QPushButton* AdvGlowButton4; // "Salir" of the editor panel
    QTimer* Timer1;

    // The destination list as both grids show it.
    DatasetTableModel& destinationRows() { return *destinations_; }

    // The server field: a new text loads the company list.
    void setSerDes1(const QString& text);
    // The origin company selector's key, set by program.
    void setCompanyKey(std::optional<std::string> key);
    // The steps of the unattended start, performed through this window's operations.
    UnattendedSteps& unattendedSteps();

    // The operations behind the controls. Each raises its failure to the caller; the controls hand it to the
    // application-wide failure handler.
    void FormActivate();
    void SerDes1Change();
    void AdvGlowButton2Click(); // "Conectar"
    void AdvGlowButton1Click(); // "Configurar"
    void AdvGlowButton3Click(); // "Grabar"
    void AdvGlowButton4Click(); // "Salir" of the editor panel
    void SpeedButton1Click();   // "Enviar"
    // One send run, whatever started it.
    RunOutcome send();
    void Timer1Timer();
    void PngSpeedButton3Click(); // "Pendientes": the pending-events window
    void SpeedButton2Click();    // "Salir"

    // SendRunView
    QString originCompanyText() const override;
    bool noRetryErrors() const override;
    void setProgressVisible(bool visible) override;
    void setProgressCaption(const QString& caption) override;
    void setProgressRange(int maximum) override;
    void stepProgress() override;
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
    bool idleFor(const char* action);
    void afterRun();
    void scheduleFirstActivation();

    ReplicationSession session_;
    CompanyList companies_{session_.companies()};
    DestinationList destinationList_{session_};
    StartArguments arguments_;
    std::unique_ptr<UnattendedSteps> unattendedSteps_;
    std::unique_ptr<DatasetTableModel> destinations_;
    std::unique_ptr<Tfaccesopr> login_;
    bool firstActivation_ = true;
    bool firstActivationScheduled_ = false;
    bool closePending_ = false;
};

} // namespace envio
