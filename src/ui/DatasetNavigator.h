#pragma once

#include <QWidget>
#include <initializer_list>
#include <map>

class QToolButton;

namespace envio {

class DatasetTableModel;

// A record navigator: a row of picture buttons acting on the dataset's current row.
class DatasetNavigator : public QWidget {
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Cancel };

    DatasetNavigator(DatasetTableModel& model, std::initializer_list<Button> buttons,
                     QWidget* parent = nullptr);

    QToolButton* button(Button which) const;

private:
    void updateButtons();

    DatasetTableModel& model_;
    std::map<Button, QToolButton*> buttons_;
};

} // namespace envio
