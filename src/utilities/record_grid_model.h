#pragma once
// A live grid over a table's records as its current order and filter show
// them. Reading a row never moves the table: the record is read and the
// table's current record put back, so whatever acts on "the current record"
// meanwhile (a question box is open, the grid repaints) is not misled. An
// edited cell is held here, with the rest of its row's edits, until the row
// is saved; a row added is held here too, so Undo leaves the table as it was.

#include <QAbstractTableModel>

#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

namespace qb {

namespace xbase {
class Table;
}

struct GridColumn {
    QString title;
    QString field;                                   // empty for a computed column
    std::function<QString(xbase::Table&)> compute;   // read-only
};

class RecordGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RecordGridModel(xbase::Table& table, std::vector<GridColumn> columns, QObject* parent = nullptr);

    // Takes the records the table shows now; what was held unsaved goes.
    void refresh();
    // The record number of a row; 0 for a row added and not yet saved.
    uint32_t recnoAt(int row) const;
    int rowOf(uint32_t recno) const;
    // Moves a column (the street check puts STREET second).
    void moveColumn(const QString& field, int to);
    const std::vector<GridColumn>& columns() const { return columns_; }
    // The width of a column's field; 0 for a computed column.
    int fieldWidth(int column) const;

    // The row whose edits wait for Save, -1 when none does.
    int pendingRow() const { return pendingRow_; }
    bool hasPending() const { return pendingRow_ >= 0; }
    // A new, empty row at the end, held until it is saved; its row.
    int addRow();
    // Writes the waiting row's edits and posts them (a new row is appended,
    // unless nothing was typed in it). Returns the message for the user when
    // the row cannot be stored or the engine refused it, empty otherwise;
    // saved says which record was written (0 when none).
    QString savePending(uint32_t* saved = nullptr);
    // Forgets the waiting edits; the table never saw them.
    void dropPending();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Holds the value for the row's Save; refused for another row while one waits.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Reads one record's row again after a change made elsewhere.
    void rowChanged(int row);

private:
    const std::vector<QString>& rowValues(uint32_t recno) const;

    xbase::Table& table_;
    std::vector<GridColumn> columns_;
    std::vector<uint32_t> recnos_;
    mutable std::unordered_map<uint32_t, std::vector<QString>> cache_;
    int pendingRow_ = -1;
    std::map<int, QString> pending_;   // by column
};

} // namespace qb
