#include "ui/Tfpendientespr.h"

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

Tfpendientespr::Tfpendientespr(Principal& principal, QWidget* parent) : QDialog(parent), pending(principal) {
    buildWindow();
    wire();
}

Tfpendientespr::~Tfpendientespr() {
    // The grid shows the window's staged dataset: it goes before the dataset does.
    const QObjectList children = this->children();
    for (QObject* child : children)
        if (child->isWidgetType())
            delete child;
}

QString Tfpendientespr::defaultSaveName() {
    return QStringLiteral("Pendientesreplica");
}

void Tfpendientespr::buildWindow() {
    setWindowTitle(QStringLiteral("Documentos pendientes por transmitir"));
    setWindowIcon(pictureIcon("icono"));
    resize(740, 374);

    Panel2 = new QFrame(this);
    Panel2->setFixedHeight(19);
    ckfiltro = new QCheckBox(QStringLiteral("Activar filtros"), Panel2);
    ckfiltro->setChecked(false);
    auto* panel2Layout = new QHBoxLayout(Panel2);
    panel2Layout->setContentsMargins(4, 0, 4, 0);
    panel2Layout->addWidget(ckfiltro);
    panel2Layout->addStretch(1);

    DBGridEh1 = new EventGrid(pending.CErroresenv, listColumns(), this);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBGridEh1->setContextMenuPolicy(Qt::CustomContextMenu);

    DBNavigator1 = new QFrame(this);
    DBNavigator1->setFixedHeight(18);
    auto* navigatorLayout = new QHBoxLayout(DBNavigator1);
    navigatorLayout->setContentsMargins(0, 0, 0, 0);
    navigatorLayout->setSpacing(0);
    const struct {
        NavigatorButton which;
        QIcon icon;
        const char* hint;
    } buttons[] = {
        {NavigatorButton::First, pictureIcon("nav_first"), "First record"},
        {NavigatorButton::Prior, pictureIcon("nav_prior"), "Prior record"},
        {NavigatorButton::Next, pictureIcon("nav_next"), "Next record"},
        {NavigatorButton::Last, pictureIcon("nav_last"), "Last record"},
        {NavigatorButton::Refresh, style()->standardIcon(QStyle::SP_BrowserReload), "Refresh data"},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(DBNavigator1);
        button->setIcon(b.icon);
        button->setIconSize(QSize(14, 14));
        button->setToolTip(QString::fromLatin1(b.hint));
        button->setAutoRaise(true); // flat
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(36, 18);
        navigatorLayout->addWidget(button);
        navigator_[b.which] = button;
    }
    navigatorLayout->addStretch(1);

    Panel1 = new QFrame(this);
    Panel1->setFixedHeight(33);
    Panel1->setFrameShape(QFrame::StyledPanel);
    PngSpeedButton2 = pictureButton(QStringLiteral("Borrar"), pictureIcon("nav_delete"), Panel1);
    PngSpeedButton1 = pictureButton(QStringLiteral("Cerrar"), pictureIcon("salir"), Panel1);
    auto* panel1Layout = new QHBoxLayout(Panel1);
    panel1Layout->setContentsMargins(2, 1, 2, 1);
    panel1Layout->addWidget(PngSpeedButton2);
    panel1Layout->addStretch(1);
    panel1Layout->addWidget(PngSpeedButton1);

    PopupMenu1 = new QMenu(this);
    ppmCopy = PopupMenu1->addAction(QStringLiteral("&Copiar"));
    ppmSelectAll = PopupMenu1->addAction(QStringLiteral("Se&lecccionar todo"));
    PopupMenu1->addSeparator();
    ppmSaveSelection = PopupMenu1->addAction(QStringLiteral("&Guardar selección"));

    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(Panel2);
    whole->addWidget(DBGridEh1, 1);
    whole->addWidget(DBNavigator1);
    whole->addWidget(Panel1);

    // The grid takes the focus first.
    setTabOrder(DBGridEh1, ckfiltro);
    DBGridEh1->setFocus(Qt::OtherFocusReason);
    updateNavigator();
}

void Tfpendientespr::wire() {
    connect(ckfiltro, &QCheckBox::toggled, this, [this] { guarded([this] { ckfiltroClick(); }); });
    connect(PngSpeedButton2, &QToolButton::clicked, this,
            [this] { guarded([this] { PngSpeedButton2Click(); }); });
    connect(PngSpeedButton1, &QToolButton::clicked, this,
            [this] { guarded([this] { PngSpeedButton1Click(); }); });
    connect(ppmCopy, &QAction::triggered, this, [this] { guarded([this] { ppmCopyClick(); }); });
    connect(ppmSelectAll, &QAction::triggered, this, [this] { guarded([this] { ppmSelectAllClick(); }); });
    connect(ppmSaveSelection, &QAction::triggered, this,
            [this] { guarded([this] { ppmSaveSelectionClick(); }); });
    for (const auto& [which, button] : navigator_) {
        const NavigatorButton pressed = which;
        connect(button, &QToolButton::clicked, this,
                [this, pressed] { guarded([&] { DBNavigator1Click(pressed); }); });
    }
    connect(DBGridEh1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(DBGridEh1->viewport()->mapToGlobal(at)); });
    connect(DBGridEh1, &EventGrid::currentRowChanged, this, [this] { updateNavigator(); });
}

QToolButton* Tfpendientespr::navigatorButton(NavigatorButton which) const {
    const auto it = navigator_.find(which);
    return it == navigator_.end() ? nullptr : it->second;
}

// ---- activation -----------------------------------------------------------------------------------------

void Tfpendientespr::scheduleActivation() {
    if (activated_ || activationScheduled_)
        return;
    activationScheduled_ = true;
    // Taken up once the window is on the screen, outside the event that announced it.
    QTimer::singleShot(0, this, [this] { guarded([this] { FormActivate(); }); });
}

void Tfpendientespr::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    scheduleActivation();
}

bool Tfpendientespr::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        scheduleActivation();
    return QDialog::event(event);
}

void Tfpendientespr::FormActivate() {
    if (activated_)
        return;
    activated_ = true;
    // The grid shows what the list holds, also when it could not be opened.
    struct Show {
        Tfpendientespr& window;
        ~Show() {
            window.DBGridEh1->reload();
            window.updateNavigator();
        }
    } show{*this};
    pending.open();
    loadTypeNames();
}

void Tfpendientespr::loadTypeNames() {
    StagedDataset& types = pending.CTipodoc;
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
    DBGridEh1->setFilterLookup(DBGridEh1->rows().columnOf("NomTipo"), std::move(names));
}

// ---- controls ---------------------------------------------------------------------------------------------

void Tfpendientespr::ckfiltroClick() {
    DBGridEh1->setFilterRowVisible(ckfiltro->isChecked());
}

bool Tfpendientespr::gridFocused() const {
    return focusWidget() == DBGridEh1;
}

void Tfpendientespr::ppmCopyClick() {
    if (gridFocused())
        DBGridEh1->copySelection();
}

void Tfpendientespr::ppmSelectAllClick() {
    if (gridFocused())
        DBGridEh1->selectAll();
}

void Tfpendientespr::ppmSaveSelectionClick() {
    DBGridEh1->saveSelection(defaultSaveName(), gridFocused());
}

void Tfpendientespr::PngSpeedButton2Click() {
    if (pending.deleteCurrent())
        DBGridEh1->reload();
}

void Tfpendientespr::PngSpeedButton1Click() {
    close();
}

void Tfpendientespr::DBNavigator1Click(NavigatorButton which) {
    StagedDataset& list = pending.CErroresenv;
    struct Follow {
        Tfpendientespr& window;
        bool reread;
        ~Follow() {
            if (reread)
                window.DBGridEh1->reload();
            else
                window.DBGridEh1->followDataset();
        }
    } follow{*this, which == NavigatorButton::Refresh};
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

void Tfpendientespr::updateNavigator() {
    const StagedDataset& list = pending.CErroresenv;
    const bool open = list.isOpen();
    const int rows = open ? list.recordCount() : 0;
    const int current = DBGridEh1->currentRow();
    navigator_[NavigatorButton::First]->setEnabled(open && current > 0);
    navigator_[NavigatorButton::Prior]->setEnabled(open && current > 0);
    navigator_[NavigatorButton::Next]->setEnabled(open && current >= 0 && current < rows - 1);
    navigator_[NavigatorButton::Last]->setEnabled(open && current >= 0 && current < rows - 1);
    navigator_[NavigatorButton::Refresh]->setEnabled(open);
}

void Tfpendientespr::keyPressEvent(QKeyEvent* event) {
    // Esc does not close this window; only "Cerrar" and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace envio
