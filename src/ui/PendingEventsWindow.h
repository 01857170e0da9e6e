#pragma once

#include "replication/PendingEvents.h"

#include <QDialog>

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
class PendingEventsWindow : public QDialog {
    Q_OBJECT
public:
    // The window's widgets; the window owns them.
    struct Controls {
        QFrame* filterBar;            // holds "Activar filtros"
        QCheckBox* filterRowBox;      // "Activar filtros": shows the grid's filter row
        EventGrid* eventsGrid;        // the pending events
        QFrame* eventsNavigator;      // first, prior, next, last, refresh
        QToolButton* firstButton;     // of the navigator
        QToolButton* priorButton;     // of the navigator
        QToolButton* nextButton;      // of the navigator
        QToolButton* lastButton;      // of the navigator
        QToolButton* refreshButton;   // reads the list again
        QFrame* buttonBar;            // "Borrar" and "Cerrar"
        QToolButton* deleteButton;    // "Borrar"
        QToolButton* closeButton;     // "Cerrar"
        QMenu* gridMenu;              // the grid's popup menu
        QAction* copyAction;          // "&Copiar"
        QAction* selectAllAction;     // "Se&lecccionar todo"
        QAction* saveSelectionAction; // "&Guardar selección"
    };

    PendingEventsWindow(ReplicationSession& session, QWidget* parent = nullptr);
    ~PendingEventsWindow() override;

    const Controls& controls() const { return controls_; }

    // The list, the type names and the delete, over the main window's queries.
    PendingEvents& pending() { return pending_; }

    // The file name the save dialog proposes.
    static QString defaultSaveName();

    // The operations behind the controls. Each raises its failure to the caller; the controls hand it to the
    // application-wide failure handler.
    void openList();           // the first activation: reads the list and the type names
    void showFilterRow();      // "Activar filtros": shows or hides the filter row as ticked
    void copySelection();      // "&Copiar"
    void selectAll();          // "Se&lecccionar todo"
    void saveSelection();      // "&Guardar selección"
    void deleteCurrentEvent(); // "Borrar"
    void closeWindow();        // "Cerrar"

    // Whether the grid is the window's focused control (the menu items act only then).
    bool gridFocused() const;
    // Whether the first activation, which reads the list, is still to come.
    bool activationPending() const { return !activated_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class NavigatorButton { First, Prior, Next, Last, Refresh };

    void buildWindow();
    void wire();
    void scheduleActivation();
    void loadTypeNames();
    void navigate(NavigatorButton which);
    void updateNavigator();

    Controls controls_{};
    PendingEvents pending_;
    bool activated_ = false;
    bool activationScheduled_ = false;
};

} // namespace envio
