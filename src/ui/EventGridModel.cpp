#include "ui/EventGridModel.h"

#include "base/AnsiCodec.h"
#include "db/ValueConvert.h"

namespace envio {

EventGridModel::EventGridModel(StagedDataset& dataset, std::vector<EventGridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset), columns_(std::move(columns)) {
    bindFields();
}

void EventGridModel::bindFields() {
    fieldIndexes_.assign(columns_.size(), -1);
    keyIndexes_.assign(columns_.size(), -1);
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (const Field* f = dataset_.findField(columns_[c].field))
            fieldIndexes_[c] = f->index();
        if (!columns_[c].lookupKey.empty())
            if (const Field* k = dataset_.findField(columns_[c].lookupKey))
                keyIndexes_[c] = k->index();
    }
}

int EventGridModel::columnOf(const std::string& field) const {
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c].field == field)
            return static_cast<int>(c);
    return -1;
}

int EventGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataset_.isOpen())
        return 0;
    return dataset_.recordCount();
}

int EventGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

int EventGridModel::fieldIndex(int column) const {
    if (column < 0 || column >= static_cast<int>(fieldIndexes_.size()))
        return -1;
    const int index = fieldIndexes_[static_cast<std::size_t>(column)];
    return index < dataset_.fieldCount() ? index : -1;
}

const Field* EventGridModel::field(int column) const {
    const int index = fieldIndex(column);
    return index < 0 ? nullptr : &dataset_.field(index);
}

QString EventGridModel::title(int column) const {
    if (const Field* f = field(column))
        return fromAnsi(f->displayName());
    if (column < 0 || column >= static_cast<int>(columns_.size()))
        return {};
    return columns_[static_cast<std::size_t>(column)].title;
}

GridAlignment EventGridModel::alignment(int column) const {
    const Field* f = field(column);
    return f && f->kind() == Field::Kind::Data && isNumericType(f->type()) ? GridAlignment::Right
                                                                           : GridAlignment::Left;
}

const Value& EventGridModel::value(int row, int column) const {
    static const Value null;
    const int index = fieldIndex(column);
    return index < 0 ? null : dataset_.valueAt(row, index);
}

QString EventGridModel::textOf(const Value& value) {
    return value.isNull() ? QString() : fromAnsi(valueText(value));
}

QString EventGridModel::displayText(int row, int column) const {
    return textOf(value(row, column));
}

QStringList EventGridModel::keyValues(int row, int column) const {
    if (column < 0 || column >= static_cast<int>(keyIndexes_.size()))
        return {};
    const int key = keyIndexes_[static_cast<std::size_t>(column)];
    if (key < 0 || key >= dataset_.fieldCount())
        return {};
    const Value& v = dataset_.valueAt(row, key);
    return {v.isNull() ? QString() : fromAnsi(valueText(v))};
}

QVariant EventGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return static_cast<int>(
            (alignment(index.column()) == GridAlignment::Right ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole)
            return title(section);
        if (role == Qt::TextAlignmentRole)
            return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }
    // The row indicator marks the current row.
    if (role == Qt::DisplayRole)
        return section == currentRow() ? QStringLiteral("\u25B6") : QString();
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags EventGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

int EventGridModel::currentRow() const {
    if (!dataset_.isOpen() || dataset_.recordCount() == 0)
        return -1;
    return dataset_.recNo() - 1;
}

void EventGridModel::reload() {
    beginResetModel();
    bindFields();
    endResetModel();
}

void EventGridModel::currentRowMoved(int from, int to) {
    const int rows = rowCount();
    if (from >= 0 && from < rows)
        emit headerDataChanged(Qt::Vertical, from, from);
    if (to >= 0 && to < rows)
        emit headerDataChanged(Qt::Vertical, to, to);
}

} // namespace envio
