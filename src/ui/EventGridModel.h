#pragma once

#include "db/StagedDataset.h"
#include "ui/grid/GridSnapshot.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace envio {

// One column of a read-only event grid.
struct EventGridColumn {
    std::string field; // the field it shows; also the column's name for sorting and filtering
    QString title;     // shown until the dataset has its fields; the field's display name afterwards
    int width = 64;    // pixels
    // A looked-up column: the field of the same dataset whose value finds its text.
    std::string lookupKey;
};

// The rows of a staged dataset in its current order and filter, read-only, for one grid. Cells show the
// fields' display texts; the dataset's current row is the grid's current row.
class EventGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    EventGridModel(StagedDataset& dataset, std::vector<EventGridColumn> columns, QObject* parent = nullptr);

    StagedDataset& dataset() const { return dataset_; }
    const std::vector<EventGridColumn>& columns() const { return columns_; }
    const EventGridColumn& column(int column) const { return columns_.at(static_cast<std::size_t>(column)); }
    // The column showing a field; -1 when none does.
    int columnOf(const std::string& field) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The field behind a column; nullptr while the dataset has no such field.
    const Field* field(int column) const;
    QString title(int column) const;
    GridAlignment alignment(int column) const;

    // A cell: its value, its display text (empty for NULL) and, for a looked-up column, the texts of its key.
    const Value& value(int row, int column) const;
    QString displayText(int row, int column) const;
    QStringList keyValues(int row, int column) const;
    // The display text of a value: the field's text, empty for NULL.
    static QString textOf(const Value& value);

    // The dataset's current row as shown; -1 when the dataset is closed or shows no row.
    int currentRow() const;

    // Shows the dataset anew: after it was opened, closed, refreshed, reordered or filtered.
    void reload();
    // The row indicator moved from one row to another.
    void currentRowMoved(int from, int to);

private:
    int fieldIndex(int column) const;
    void bindFields();

    StagedDataset& dataset_;
    std::vector<EventGridColumn> columns_;
    std::vector<int> fieldIndexes_; // per column: the field's index, -1 when unbound
    std::vector<int> keyIndexes_;   // per column: the lookup key field's index, -1 when none
};

} // namespace envio
