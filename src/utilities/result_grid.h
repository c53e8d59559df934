#pragma once
// The live grid panel of the checks and of the state and zip reference:
// "Click on field to begin editing", the grid and first/prior/next/last
// buttons. A cell's editor holds no more than its field and what is typed
// reaches the table only when the row is saved; Undo and Cancel leave the
// table as it was. Every action names the row's record by its number.

#include "utilities/bulk_run.h"
#include "utilities/record_grid_model.h"

#include <QWidget>

#include <functional>
#include <initializer_list>
#include <optional>

class QLabel;
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
    // The record of the current row; 0 when there is none (or it is not saved yet).
    uint32_t currentRecno() const;
    void edit();     // opens the current cell's editor, ready for typing
    void save();     // stores the row's edits in the table
    void undo();     // closes the editor and forgets the row's edits
    void addRow();   // a new row to fill in, stored by save()
    bool editing() const { return model_->hasPending(); }
    // Before the grid goes: asks "Save changes?" for a row with edits and
    // saves or forgets them; false when the save failed and the grid stays.
    bool finishEditing();
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
    // The Tag All button: after the question, the Tagging window tags every
    // record shown, with its count and Cancel.
    void tagAll(AddressTable& addresses, const QString& question);

private:
    void currentRowChanged(int row);
    QWidget* openEditor() const;

    xbase::Table& table_;
    RecordGridModel* model_;
    QTableView* view_;
    QVBoxLayout* buttons_;
    bool returning_ = false;   // moving back to the row whose save failed
};

// A check's running display: the gauge in whole percent (left alone at 0 and
// 100, where it is shown and hidden) and the line that counts what was found,
// brought up to date at the window's breaks for the event loop.
class CheckProgress {
public:
    CheckProgress(QProgressBar* gauge, QLabel* count, std::function<QString(uint64_t)> countText, const bool& cancelled);
    // The gauge at 0 and the count of none.
    void begin();
    // Asked by the check after each record; false once the user cancelled.
    KeepGoing keepGoing();
    // Told by the check of each record or pair found.
    std::function<void(uint64_t)> onFound();
    // The gauge goes; the final count stays when given.
    void end(std::optional<uint64_t> found);

private:
    QProgressBar* gauge_;
    QLabel* count_;
    std::function<QString(uint64_t)> countText_;
    const bool& cancelled_;
    uint64_t found_ = 0;
};

} // namespace qb
