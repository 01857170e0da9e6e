#pragma once

#include "ui/grid/FindText.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace envio {

// A grid as the find dialog sees it: its cells (rows in shown order, visible columns in display order), the
// captions of those columns, and where it stands.
class FindTarget : public FindCells {
public:
    virtual QStringList columnCaptions() const = 0;
    // The focused column among the visible ones.
    virtual int focusedColumn() const = 0;
    virtual FindPosition currentPosition() const = 0;
    // Makes a found cell the current one: its row current, its column focused.
    virtual void moveTo(FindPosition cell) = 0;
};

// The "Find text" dialog. One instance serves the whole process: it is made on first use, keeps the texts
// searched before, and is shown modally over a grid by execFor.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    static FindDialog& shared();
    // The shared dialog if it has been made.
    static FindDialog* existing();

    // Shows the dialog modally over a grid, preset for it; returns when it is closed.
    void execFor(FindTarget& target, QWidget* over);
    // The grid the dialog is shown over, while it is shown.
    FindTarget* target() const { return target_; }

    // "&Find next": records the text, searches from the grid's current cell and moves the grid to the cell
    // found. With ctrlHeld the direction is reversed. False when nothing matched: the grid stays where it
    // was.
    bool findNext(bool ctrlHeld);

    QComboBox* findWhat;
    QComboBox* findIn;
    QComboBox* matchBox;
    QComboBox* searchBox;
    QCheckBox* matchCase;
    QCheckBox* matchFormat;
    QPushButton* findNextButton;
    QPushButton* closeButton;
    QLabel* findInTreeLabel; // "Find in Tree:", never shown over these grids

private:
    explicit FindDialog(QWidget* parent = nullptr);
    void showState();
    void readFields();

    FindText& logic_;
    FindTarget* target_ = nullptr;
    bool showing_ = false;
};

} // namespace envio
