#pragma once

#include <QTableView>
#include <vector>

namespace envio {

class DatasetTableModel;

// A grid over a DatasetTableModel with a row indicator. Its current row follows the dataset's current row and
// moves it; the columns can be resized and moved. Ctrl+F opens the find dialog.
class DatasetGrid : public QTableView {
    Q_OBJECT
public:
    DatasetGrid(DatasetTableModel& model, const std::vector<int>& columnWidths, bool editable,
                QWidget* parent = nullptr);

    DatasetTableModel& datasetModel() { return model_; }

    // Ctrl+F: the "Find text" dialog over this grid's rows.
    void openFind();

signals:
    // Ctrl+F: the find dialog over this grid's rows.
    void findRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followDataset(int row);

    DatasetTableModel& model_;
    bool editable_;
    bool following_ = false;
    int keptColumn_ = -1; // the current cell's column before the last reset
};

} // namespace envio
