#pragma once
// What the two match windows share: the "Field Match" grid with one row per
// address field and the source feeding it, "&Select Field" (or a double click)
// with its pop-up of the sources the row may take, "&Clear Current",
// "Clear &All", "Ok", "Cancel" and "Help". Above the grid each window shows
// its source.

#include "transfer/field_match.h"

#include <QDialog>

class QGroupBox;
class QMenu;
class QPushButton;
class QTableWidget;

namespace qb {

class MatchWindow : public QDialog {
    Q_OBJECT
public:
    // The grid's second column says where the values come from.
    MatchWindow(const QString& caption, const FieldMatch& match, const QString& sourceFileName, int helpContext, QWidget* parent);

    const FieldMatch& match() const { return match_; }
    QTableWidget* matchGrid() const { return grid_; }

    // The pop-up of "&Select Field" for the current row: "(none)" and the
    // sources the row may take, the current one checked. Built here, shown by
    // the button; a test may trigger its actions.
    QMenu* sourceMenu();

protected:
    // Puts the source panel above the grid.
    void setSourcePanel(QWidget* panel);

private:
    void SelectFieldButtonClick();
    void refresh();

    FieldMatch match_;
    QTableWidget* grid_;
    QMenu* menu_ = nullptr;
    QWidget* sourcePanel_ = nullptr;
};

} // namespace qb
