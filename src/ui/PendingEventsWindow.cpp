#include "ui/PendingEventsWindow.h"

#include "base/AnsiCodec.h"
#include "ui/Application.h"
#include "ui/EventGrid.h"
#include "ui/Pictures.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace envio {

namespace {

std::vector<EventGridColumn> listColumns() {
    return {
        {"NomTipo", QStringLiteral("Tipo doc"), 65, "RPEV_TIPO"},
        {"RPEV_CODIGO", QStringLiteral("Código"), 86, {}},
        {"RPEV_COMPANIA", QStringLiteral("Servidor"), 164, {}},
        {"RPEV_FECREG", QStringLiteral("Fecha"), 76, {}},
        {"RPEV_HORAREG", QStringLiteral("Hora"), 50, {}},
        {"RPEV_OPER", QStringLiteral("Op"), 18, {}},
        // The message takes what is left of the window's width.
        {"RPEV_ERROR", QStringLiteral("Mensaje de error"), 250, {}},
    };
}

QToolButton* pictureButton(const QString& text, const QIcon& icon, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(icon);
    // Picture and caption side by side within the 60 by 30 pixels of the design.
    button->setIconSize(QSize(12, 12));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setStyleSheet(QStringLiteral("QToolButton { padding: 1px; }"));
    button->setFixedSize(60, 30);
    return button;
}

} // namespace

PendingEventsWindow::PendingEventsWindow(ReplicationSession& session, QWidget* parent)
    : QDialog(parent), pending_(session) {
    buildWindow();
    wire();
}

PendingEventsWindow::~PendingEventsWindow() {
    // The grid shows the window's staged dataset: it goes before the dataset does.
    const QObjectList children = this->children();
    for (QObject* child : children)
        if (child->isWidgetType())
            delete child;
}

QString PendingEventsWindow::defaultSaveName() {
    return QStringLiteral("Pendientesreplica");
}

void PendingEventsWindow::buildWindow() {
    setWindowTitle(QStringLiteral("Documentos pendientes por transmitir"));
    setWindowIcon(pictureIcon("icono"));
    resize(740, 374);
    Controls& c = controls_;

    c.filterBar = new QFrame(this);
    c.filterBar->setObjectName(QStringLiteral("filterBar"));
    c.filterBar->setFixedHeight(19);
    c.filterRowBox = new QCheckBox(QStringLiteral("Activar filtros"), c.filterBar);
    c.filterRowBox->setObjectName(QStringLiteral("ckfiltro"));
    c.filterRowBox->setChecked(false);
    auto* filterBarLayout = new QHBoxLayout(c.filterBar);
    filterBarLayout->setContentsMargins(4, 0, 4, 0);
    filterBarLayout->addWidget(c.filterRowBox);
    filterBarLayout->addStretch(1);

    c.eventsGrid = new EventGrid(pending_.list(), listColumns(), this);
    // The name is also the title of an HTML export.
    c.eventsGrid->setObjectName(QStringLiteral("GridPendientes"));
    c.eventsGrid->setContextMenuPolicy(Qt::CustomContextMenu);

    c.eventsNavigator = new QFrame(this);
    c.eventsNavigator->setObjectName(QStringLiteral("eventsNavigator"));
    c.eventsNavigator->setFixedHeight(18);
    auto* navigatorLayout = new QHBoxLayout(c.eventsNavigator);
    navigatorLayout->setContentsMargins(0, 0, 0, 0);
    navigatorLayout->setSpacing(0);
    const struct {
        QToolButton** button;
        QIcon icon;
        const char* hint;
        const char* name;
    } buttons[] = {
        {&c.firstButton, pictureIcon("nav_first"), "First record", "firstButton"},
        {&c.priorButton, pictureIcon("nav_prior"), "Prior record", "priorButton"},
        {&c.nextButton, pictureIcon("nav_next"), "Next record", "nextButton"},
        {&c.lastButton, pictureIcon("nav_last"), "Last record", "lastButton"},
        {&c.refreshButton, style()->standardIcon(QStyle::SP_BrowserReload), "Refresh data", "refreshButton"},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(c.eventsNavigator);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setIcon(b.icon);
        button->setIconSize(QSize(14, 14));
        button->setToolTip(QString::fromLatin1(b.hint));
        button->setAutoRaise(true); // flat
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(36, 18);
        navigatorLayout->addWidget(button);
        *b.button = button;
    }
    navigatorLayout->addStretch(1);

    c.buttonBar = new QFrame(this);
    c.buttonBar->setObjectName(QStringLiteral("buttonBar"));
    c.buttonBar->setFixedHeight(33);
    c.buttonBar->setFrameShape(QFrame::StyledPanel);
    c.deleteButton = pictureButton(QStringLiteral("Borrar"), pictureIcon("nav_delete"), c.buttonBar);
    c.deleteButton->setObjectName(QStringLiteral("BotonBorrar"));
    c.closeButton = pictureButton(QStringLiteral("Cerrar"), pictureIcon("salir"), c.buttonBar);
    c.closeButton->setObjectName(QStringLiteral("BotonCerrar"));
    auto* buttonBarLayout = new QHBoxLayout(c.buttonBar);
    buttonBarLayout->setContentsMargins(2, 1, 2, 1);
    buttonBarLayout->addWidget(c.deleteButton);
    buttonBarLayout->addStretch(1);
    buttonBarLayout->addWidget(c.closeButton);

    c.gridMenu = new QMenu(this);
    c.gridMenu->setObjectName(QStringLiteral("gridMenu"));
    c.copyAction = c.gridMenu->addAction(QStringLiteral("&Copiar"));
    c.copyAction->setObjectName(QStringLiteral("ppmCopy"));
    c.selectAllAction = c.gridMenu->addAction(QStringLiteral("Se&lecccionar todo"));
    c.selectAllAction->setObjectName(QStringLiteral("ppmSelectAll"));
    c.gridMenu->addSeparator();
    c.saveSelectionAction = c.gridMenu->addAction(QStringLiteral("&Guardar selección"));
    c.saveSelectionAction->setObjectName(QStringLiteral("ppmSaveSelection"));

    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(c.filterBar);
    whole->addWidget(c.eventsGrid, 1);
    whole->addWidget(c.eventsNavigator);
    whole->addWidget(c.buttonBar);

    // The grid takes the focus first.
    setTabOrder(c.eventsGrid, c.filterRowBox);
    c.eventsGrid->setFocus(Qt::OtherFocusReason);
    updateNavigator();
}

void PendingEventsWindow::wire() {
    const Controls& c = controls_;
    connect(c.filterRowBox, &QCheckBox::toggled, this, [this] { guarded([this] { showFilterRow(); }); });
    connect(c.deleteButton, &QToolButton::clicked, this,
            [this] { guarded([this] { deleteCurrentEvent(); }); });
    connect(c.closeButton, &QToolButton::clicked, this, [this] { guarded([this] { closeWindow(); }); });
    connect(c.copyAction, &QAction::triggered, this, [this] { guarded([this] { copySelection(); }); });
    connect(c.selectAllAction, &QAction::triggered, this, [this] { guarded([this] { selectAll(); }); });
    connect(c.saveSelectionAction, &QAction::triggered, this,
            [this] { guarded([this] { saveSelection(); }); });
    const std::pair<QToolButton*, NavigatorButton> navigator[] = {
        {c.firstButton, NavigatorButton::First},     {c.priorButton, NavigatorButton::Prior},
        {c.nextButton, NavigatorButton::Next},       {c.lastButton, NavigatorButton::Last},
        {c.refreshButton, NavigatorButton::Refresh},
    };
    for (const auto& [button, which] : navigator) {
        const NavigatorButton pressed = which;
        connect(button, &QToolButton::clicked, this,
                [this, pressed] { guarded([&] { navigate(pressed); }); });
    }
    connect(c.eventsGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        controls_.gridMenu->popup(controls_.eventsGrid->viewport()->mapToGlobal(at));
    });
    connect(c.eventsGrid, &EventGrid::currentRowChanged, this, [this] { updateNavigator(); });
}

// ---- activation -----------------------------------------------------------------------------------------

void PendingEventsWindow::scheduleActivation() {
    if (activated_ || activationScheduled_)
        return;
    activationScheduled_ = true;
    // Taken up once the window is on the screen, outside the event that announced it.
    QTimer::singleShot(0, this, [this] { guarded([this] { openList(); }); });
}

void PendingEventsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    scheduleActivation();
}

bool PendingEventsWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        scheduleActivation();
    return QDialog::event(event);
}

void PendingEventsWindow::openList() {
    if (activated_)
        return;
    activated_ = true;
    // The grid shows what the list holds, also when it could not be opened.
    struct Show {
        PendingEventsWindow& window;
        ~Show() {
            window.controls_.eventsGrid->reload();
            window.updateNavigator();
        }
    } show{*this};
    pending_.open();
    loadTypeNames();
}

void PendingEventsWindow::loadTypeNames() {
    StagedDataset& types = pending_.typeNames();
    std::vector<FilterLookupEntry> names;
    const Field* code = types.isOpen() ? types.findField("TIDO_COD") : nullptr;
    const Field* name = types.isOpen() ? types.findField("TIDO_NOMCORTO") : nullptr;
    if (code && name) {
        for (int r = 0; r < types.recordCount(); ++r) {
            const Value& c = types.valueAt(r, code->index());
            const Value& n = types.valueAt(r, name->index());
            if (!c.isNull() && !n.isNull())
                names.push_back(FilterLookupEntry{c, fromAnsi(n.asString())});
        }
    }
    EventGrid* grid = controls_.eventsGrid;
    grid->setFilterLookup(grid->rows().columnOf("NomTipo"), std::move(names));
}

// ---- controls ---------------------------------------------------------------------------------------------

void PendingEventsWindow::showFilterRow() {
    controls_.eventsGrid->setFilterRowVisible(controls_.filterRowBox->isChecked());
}

bool PendingEventsWindow::gridFocused() const {
    return focusWidget() == controls_.eventsGrid;
}

void PendingEventsWindow::copySelection() {
    if (gridFocused())
        controls_.eventsGrid->copySelection();
}

void PendingEventsWindow::selectAll() {
    if (gridFocused())
        controls_.eventsGrid->selectAll();
}

void PendingEventsWindow::saveSelection() {
    controls_.eventsGrid->saveSelection(defaultSaveName(), gridFocused());
}

void PendingEventsWindow::deleteCurrentEvent() {
    if (pending_.deleteCurrent())
        controls_.eventsGrid->reload();
}

void PendingEventsWindow::closeWindow() {
    close();
}

void PendingEventsWindow::navigate(NavigatorButton which) {
    StagedDataset& list = pending_.list();
    struct Follow {
        EventGrid& grid;
        bool reread;
        ~Follow() {
            if (reread)
                grid.reload();
            else
                grid.followDataset();
        }
    } follow{*controls_.eventsGrid, which == NavigatorButton::Refresh};
    switch (which) {
    case NavigatorButton::First:
        list.first();
        break;
    case NavigatorButton::Prior:
        list.prior();
        break;
    case NavigatorButton::Next:
        list.next();
        break;
    case NavigatorButton::Last:
        list.last();
        break;
    case NavigatorButton::Refresh:
        list.refresh();
        break;
    }
}

void PendingEventsWindow::updateNavigator() {
    const Controls& c = controls_;
    const StagedDataset& list = pending_.list();
    const bool open = list.isOpen();
    const int rows = open ? list.recordCount() : 0;
    const int current = c.eventsGrid->currentRow();
    c.firstButton->setEnabled(open && current > 0);
    c.priorButton->setEnabled(open && current > 0);
    c.nextButton->setEnabled(open && current >= 0 && current < rows - 1);
    c.lastButton->setEnabled(open && current >= 0 && current < rows - 1);
    c.refreshButton->setEnabled(open);
}

void PendingEventsWindow::keyPressEvent(QKeyEvent* event) {
    // Esc does not close this window; only "Cerrar" and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace envio
