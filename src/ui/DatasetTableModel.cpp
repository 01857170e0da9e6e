#include "ui/DatasetTableModel.h"

#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "db/ValueConvert.h"
#include "ui/Application.h"

namespace envio {

DatasetTableModel::DatasetTableModel(StagedDataset& dataset, std::vector<DatasetColumn> columns,
                                     QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset), columns_(std::move(columns)) {}

bool DatasetTableModel::inserting() const {
    return dataset_.state() == DatasetState::Insert;
}

int DatasetTableModel::insertPosition() const {
    return dataset_.recordCount() == 0 ? 0 : dataset_.recNo() - 1;
}

int DatasetTableModel::datasetRow(int row) const {
    if (!inserting())
        return row;
    const int at = insertPosition();
    if (row == at)
        return -1;
    return row > at ? row - 1 : row;
}

int DatasetTableModel::currentRow() const {
    if (!dataset_.isOpen())
        return -1;
    if (inserting())
        return insertPosition();
    return dataset_.recordCount() == 0 ? -1 : dataset_.recNo() - 1;
}

int DatasetTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataset_.isOpen())
        return 0;
    return dataset_.recordCount() + (inserting() ? 1 : 0);
}

int DatasetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

int DatasetTableModel::fieldIndex(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size()) || !dataset_.isOpen())
        return -1;
    Field* field =
        const_cast<StagedDataset&>(dataset_).findField(columns_[static_cast<std::size_t>(column)].field);
    return field ? field->index() : -1;
}

const Value& DatasetTableModel::shownValue(int row, int fieldIndex) const {
    // The row being edited or inserted shows what has been typed so far.
    const int inDataset = datasetRow(row);
    const bool edited = inDataset < 0 || (dataset_.state() == DatasetState::Edit && row == currentRow());
    if (edited)
        return const_cast<StagedDataset&>(dataset_).field(fieldIndex).value();
    return dataset_.valueAt(inDataset, fieldIndex);
}

QVariant DatasetTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    // A grid may ask while a message box of a failed operation is shown, before the grids are told of it.
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int field = fieldIndex(index.column());
    if (field < 0)
        return {};
    const Value& value = shownValue(index.row(), field);
    return value.isNull() ? QString() : fromAnsi(valueText(value));
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= static_cast<int>(columns_.size()))
            return {};
        return columns_[static_cast<std::size_t>(section)].title;
    }
    // The row indicator: the current row, and whether it is being edited or inserted.
    if (section != currentRow())
        return QString();
    switch (dataset_.state()) {
    case DatasetState::Edit:
        return QStringLiteral("I");
    case DatasetState::Insert:
        return QStringLiteral("*");
    default:
        return QStringLiteral("\u25B6");
    }
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const int field = fieldIndex(index.column());
    if (field >= 0 && !const_cast<StagedDataset&>(dataset_).field(field).readOnly())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetTableModel::allowed(bool tellOperator) const {
    return !gate_ || gate_(tellOperator);
}

bool DatasetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !dataset_.isOpen())
        return false;
    // Typing goes into the current row only; the grid makes the row current before it lets the operator type.
    if (index.row() != currentRow() && !(index.row() == 0 && currentRow() < 0))
        return false;
    const int field = fieldIndex(index.column());
    if (field < 0 || !allowed(true))
        return false;
    const int before = rowCount();
    bool changed = false;
    guarded([&] {
        if (dataset_.state() == DatasetState::Browse)
            dataset_.edit(); // an empty dataset starts a new row
        const QString text = value.toString();
        Field& target = dataset_.field(field);
        // A cell emptied by the operator holds no value.
        if (text.isEmpty())
            target.clear();
        else
            target.setAsString(toAnsi(text));
        changed = true;
    });
    if (rowCount() != before) {
        // An empty list got its first row: the grids must learn of the row itself.
        beginResetModel();
        endResetModel();
        emit currentRowChanged(currentRow());
    } else {
        const int row = currentRow();
        if (row >= 0) {
            emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
            emit headerDataChanged(Qt::Vertical, row, row);
        }
    }
    return changed;
}

template <typename Operation> void DatasetTableModel::act(Operation&& operation) {
    if (!dataset_.isOpen()) {
        // The dataset's own failure for an action on a closed dataset.
        guarded(std::forward<Operation>(operation));
        return;
    }
    if (!allowed(true)) {
        emit currentRowChanged(currentRow());
        return;
    }
    guarded(std::forward<Operation>(operation));
    reload();
}

void DatasetTableModel::moveTo(int row) {
    if (!dataset_.isOpen() || row < 0 || row == currentRow() || row >= rowCount())
        return;
    if (!allowed(false)) {
        emit currentRowChanged(currentRow());
        return;
    }
    guarded([&] {
        if (dataset_.state() == DatasetState::Browse) {
            dataset_.setRecNo(row + 1);
            return;
        }
        // Leaving the edited row posts it (or drops it when nothing was typed); the rows after a posted new
        // row keep their places on the screen.
        const bool wasInserting = inserting();
        const int insertedAt = insertPosition();
        const int countBefore = dataset_.recordCount();
        dataset_.setRecNo(dataset_.recNo());
        int target = row;
        if (wasInserting && dataset_.recordCount() == countBefore && row > insertedAt)
            --target;
        dataset_.setRecNo(target + 1);
    });
    reload();
}

void DatasetTableModel::first() {
    act([this] { dataset_.first(); });
}

void DatasetTableModel::prior() {
    act([this] { dataset_.prior(); });
}

void DatasetTableModel::next() {
    act([this] { dataset_.next(); });
}

void DatasetTableModel::last() {
    act([this] { dataset_.last(); });
}

void DatasetTableModel::insertRow() {
    act([this] { dataset_.insert(); });
}

void DatasetTableModel::deleteRow() {
    act([this] {
        if (dataset_.isOpen() && dataset_.isEmpty())
            return;
        if (dialogs().confirm(QStringLiteral("Confirm"), QStringLiteral("Delete record?")))
            dataset_.remove();
    });
}

void DatasetTableModel::cancelRow() {
    act([this] { dataset_.cancel(); });
}

void DatasetTableModel::reload() {
    beginResetModel();
    endResetModel();
    emit currentRowChanged(currentRow());
}

} // namespace envio
