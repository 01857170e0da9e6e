#pragma once

#include "replication/PendingEvents.h"

#include <QDialog>
#include <map>

class QAction;
class QCheckBox;
class QFrame;
class QMenu;
class QToolButton;

namespace envio {

class EventGrid;
class ReplicationSession;

// The window "Documentos pendientes por transmitir": the price events of the origin not replicated yet, which
// the operator can sort, search, filter, copy or save, and delete one by one. Made by the main window's
// "Pendientes" for one modal showing (exec()); it reads the list when it is first activated.
class Tfpendientespr : public QDialog {
    Q_OBJECT
public:
    Tfpendientespr(ReplicationSession& session, QWidget* parent = nullptr);
    ~Tfpendientespr() override;

    // The list, the type names and the delete, over the main window's queries.
    PendingEvents pending;

    QFrame* Panel2;
    QCheckBox* ckfiltro;
    EventGrid* DBGridEh1;
    QFrame* DBNavigator1;
    QFrame* Panel1;
    QToolButton* PngSpeedButton2; // "Borrar"
    QToolButton* PngSpeedButton1; // "Cerrar"
    QMenu* PopupMenu1;
    QAction* ppmCopy;
    QAction* ppmSelectAll;
    QAction* ppmSaveSelection;

    enum class NavigatorButton { First, Prior, Next, Last, Refresh };
    QToolButton* navigatorButton(NavigatorButton which) const;

    // The file name the save dialog proposes.
    static QString defaultSaveName();

    // The operations behind the controls. Each raises its failure to the caller; the controls hand it to the
    // application-wide failure handler.
    void FormActivate();
    void ckfiltroClick();
    void ppmCopyClick();
    void ppmSelectAllClick();
    void ppmSaveSelectionClick();
    void PngSpeedButton2Click(); // "Borrar"
    void PngSpeedButton1Click(); // "Cerrar"
    void DBNavigator1Click(NavigatorButton which);

    // Whether the grid is the window's focused control (the menu items act only then).
    bool gridFocused() const;
    // Whether the first activation, which reads the list, is still to come.
    bool activationPending() const { return !activated_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void wire();
    void scheduleActivation();
    void loadTypeNames();
    void updateNavigator();

    std::map<NavigatorButton, QToolButton*> navigator_;
    bool activated_ = false;
    bool activationScheduled_ = false;
};

} // namespace envio
