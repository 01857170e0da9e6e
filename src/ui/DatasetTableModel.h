#pragma once

#include "db/StagedDataset.h"

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace envio {

// One column of a grid: the field it shows and its title.
struct DatasetColumn {
    std::string field;
    QString title;
};

// The rows of a staged dataset as a table, in the dataset's current order, for any number of grids. The
// dataset's current row is the grids' current row; a row being inserted is shown at the place where it will
// go. Editing goes through the dataset: typing edits the current row, leaving a row posts it, and the
// navigator's operations act on the current row. Failures reach the application-wide failure handler.
class DatasetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetTableModel(StagedDataset& dataset, std::vector<DatasetColumn> columns, QObject* parent = nullptr);

    StagedDataset& dataset() { return dataset_; }
    const std::vector<DatasetColumn>& columns() const { return columns_; }

    // Asked before the rows are changed or the current row is moved; false keeps everything as it is.
    // `tellOperator` is false for a mere move of the current row by a click or a key in a grid, which is then
    // refused without a word.
    using Gate = std::function<bool(bool tellOperator)>;
    void setGate(Gate gate) { gate_ = std::move(gate); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The shown row of the dataset's current row; -1 when the dataset is closed or empty.
    int currentRow() const;
    // Makes a shown row the dataset's current row; an edited row left behind is posted first.
    void moveTo(int row);

    // The navigator's operations.
    void first();
    void prior();
    void next();
    void last();
    void insertRow();
    void deleteRow(); // after the confirmation "Delete record?"
    void cancelRow();

    // Shows the dataset anew: after it was opened, closed, applied or moved by somebody else.
    void reload();

signals:
    // The dataset's current row, as shown, after it may have changed.
    void currentRowChanged(int row);

private:
    bool inserting() const;
    int insertPosition() const;
    // The dataset row shown in a shown row; -1 for the row being inserted.
    int datasetRow(int row) const;
    const Value& shownValue(int row, int fieldIndex) const;
    int fieldIndex(int column) const;
    bool allowed(bool tellOperator) const;
    template <typename Operation> void act(Operation&& operation);

    StagedDataset& dataset_;
    std::vector<DatasetColumn> columns_;
    Gate gate_;
};

} // namespace envio
