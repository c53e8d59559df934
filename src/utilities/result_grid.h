#pragma once
// The live grid panel of the checks: "Click on field to begin editing", the
// grid and first/prior/next/last buttons, with editing that opens on a cell
// and is saved or undone by the window's buttons.

#include "utilities/bulk_run.h"
#include "utilities/record_grid_model.h"

#include <QWidget>

#include <functional>
#include <initializer_list>

class QProgressBar;
class QTableView;
class QVBoxLayout;

namespace qb {

class AddressTable;

class ResultGrid : public QWidget {
    Q_OBJECT
public:
    ResultGrid(xbase::Table& table, std::vector<GridColumn> columns, const QString& gridName, QWidget* parent = nullptr);

    RecordGridModel& model() { return *model_; }
    QTableView* view() const { return view_; }
    // Takes the records the table shows now and makes the first current.
    void refresh();
    // Makes the current row's record the table's current record; false when none.
    bool syncTable();
    void edit();     // opens the current cell's editor
    void save();     // writes what the editor holds
    void undo();     // closes the editor unwritten
    bool editing() const { return editorOpen_.isValid(); }
    struct Button {
        const char* name;
        const char* caption;
        std::function<void()> clicked;
    };
    // The buttons beside the grid, top to bottom.
    void addButtons(std::initializer_list<Button> buttons);
    // A double click in the "Tagged" column does what the Tag button does.
    void tagOnDoubleClick(AddressTable& addresses);
    // The Tag button: tags the current row's record or takes its tag off.
    void tagCurrent(AddressTable& addresses);
    // The Tag All button: after the question, tags every record shown and
    // says how far it got when the engine stopped it.
    void tagAll(AddressTable& addresses, const QString& question);

private:
    xbase::Table& table_;
    RecordGridModel* model_;
    QTableView* view_;
    QVBoxLayout* buttons_;
    QPersistentModelIndex editorOpen_;
};

// A check's progress: the gauge in whole percent (left alone at 0 and 100,
// where it is shown and hidden), the window kept alive (EventBreaks), and
// false once the user cancelled.
KeepGoing gaugeProgress(QProgressBar* gauge, const bool& cancelled);

} // namespace qb
