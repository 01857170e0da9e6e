#pragma once

#include <QComboBox>
#include <QElapsedTimer>
#include <QSize>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class QStandardItemModel;
class QTableView;

namespace envio {

// The origin company selector: a drop-down list of the companies with the columns "Código" and "Nombre".
// Its key is a company code; the box shows the name of the company with that key. The list opens as soon as
// the operator types, and it can be resized, columns and all.
class CompanySelector : public QComboBox {
    Q_OBJECT
public:
    struct Company {
        QString code;
        QString name;
    };

    explicit CompanySelector(QWidget* parent = nullptr);

    // Replaces the companies offered; the box shows the company of the key it shows now, if still there.
    void setCompanies(const std::vector<Company>& companies);
    // Shows the company with this key (trailing blanks do not count), or nothing when none has it.
    void showKey(const std::optional<QString>& key);
    QTableView* listView() const { return list_; }

    void showPopup() override;

signals:
    // The operator chose a company.
    void keyChosen(const QString& code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString codeAt(int row) const;
    // Adds typed text to the search and makes the first company whose code, or else whose name, starts with
    // the whole search the current row of the list.
    void search(const QString& typed);

    QStandardItemModel* companies_;
    QTableView* list_;
    std::optional<QString> shownKey_;
    QSize popupSize_;
    QString typed_;
    QElapsedTimer lastTyped_;
};

} // namespace envio
