#pragma once

#include "ui/grid/FilterCustomDialog.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace envio {

// The "Custom filter" dialog of a filter cell's list. One instance serves the whole process.
class CustomFilterDialog : public QDialog {
    Q_OBJECT
public:
    static CustomFilterDialog& shared();
    static CustomFilterDialog* existing();

    // Shows the dialog modally for a column, filled from its parsed filter. On OK returns the filter text the
    // two condition rows make; nothing when the dialog is cancelled.
    std::optional<QString> ask(const ParsedFilter& current, FilterValueKind kind, QWidget* over);

    // The fields as they stand, and filling them.
    CustomFilterFields fields() const;
    void setFields(const CustomFilterFields& fields);
    FilterValueKind valueKind() const { return kind_; }

    QLabel* showRecordsWhere;
    QComboBox* firstOperator;
    QLineEdit* firstValue;
    QRadioButton* andChoice;
    QRadioButton* orChoice;
    QComboBox* secondOperator;
    QLineEdit* secondValue;
    QPushButton* okButton;
    QPushButton* cancelButton;

private:
    explicit CustomFilterDialog(QWidget* parent = nullptr);
    void suitValueBoxes();

    FilterValueKind kind_ = FilterValueKind::Text;
};

} // namespace envio
