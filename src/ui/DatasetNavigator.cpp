#include "ui/DatasetNavigator.h"

#include "ui/DatasetTableModel.h"
#include "ui/Pictures.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace envio {

namespace {

struct ButtonLook {
    const char* picture;
    const char* hint;
};

ButtonLook lookOf(DatasetNavigator::Button b) {
    using B = DatasetNavigator::Button;
    switch (b) {
    case B::First:
        return {"nav_first", "First record"};
    case B::Prior:
        return {"nav_prior", "Prior record"};
    case B::Next:
        return {"nav_next", "Next record"};
    case B::Last:
        return {"nav_last", "Last record"};
    case B::Insert:
        return {"nav_insert", "Insert record"};
    case B::Delete:
        return {"nav_delete", "Delete record"};
    case B::Cancel:
        return {"nav_cancel", "Cancel edit"};
    }
    return {"", ""};
}

} // namespace

DatasetNavigator::DatasetNavigator(DatasetTableModel& model, std::initializer_list<Button> buttons,
                                   QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (Button b : buttons) {
        const ButtonLook look = lookOf(b);
        auto* button = new QToolButton(this);
        button->setIcon(pictureIcon(look.picture));
        button->setToolTip(QString::fromLatin1(look.hint));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        button->setMinimumSize(25, 25);
        layout->addWidget(button);
        buttons_[b] = button;
        connect(button, &QToolButton::clicked, this, [this, b] {
            switch (b) {
            case Button::First:
                model_.first();
                break;
            case Button::Prior:
                model_.prior();
                break;
            case Button::Next:
                model_.next();
                break;
            case Button::Last:
                model_.last();
                break;
            case Button::Insert:
                model_.insertRow();
                break;
            case Button::Delete:
                model_.deleteRow();
                break;
            case Button::Cancel:
                model_.cancelRow();
                break;
            }
        });
    }
    layout->addStretch(1);
    connect(&model_, &DatasetTableModel::currentRowChanged, this, &DatasetNavigator::updateButtons);
    connect(&model_, &QAbstractItemModel::dataChanged, this, &DatasetNavigator::updateButtons);
    updateButtons();
}

QToolButton* DatasetNavigator::button(Button which) const {
    const auto it = buttons_.find(which);
    return it == buttons_.end() ? nullptr : it->second;
}

void DatasetNavigator::updateButtons() {
    StagedDataset& ds = model_.dataset();
    const bool open = ds.isOpen();
    const bool editing = open && (ds.state() == DatasetState::Edit || ds.state() == DatasetState::Insert);
    const int rows = model_.rowCount();
    const int current = model_.currentRow();
    for (auto& [which, button] : buttons_) {
        bool enabled = open;
        switch (which) {
        case Button::First:
        case Button::Prior:
            enabled = open && current > 0;
            break;
        case Button::Next:
        case Button::Last:
            enabled = open && current >= 0 && current < rows - 1;
            break;
        case Button::Insert:
            enabled = open;
            break;
        case Button::Delete:
            enabled = open && rows > 0;
            break;
        case Button::Cancel:
            enabled = editing;
            break;
        }
        button->setEnabled(enabled);
    }
}

} // namespace envio
