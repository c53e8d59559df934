#pragma once
// A live grid over a table's records as its current order and filter show
// them: each cell reads the record, and an edited cell is written to the
// record and posted at once. A "Tagged" column reads and toggles the tag.

#include <QAbstractTableModel>

#include <functional>
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

    // Takes the records the table shows now.
    void refresh();
    uint32_t recnoAt(int row) const;
    int rowOf(uint32_t recno) const;
    // Moves a column (the street check puts STREET second).
    void moveColumn(const QString& field, int to);
    const std::vector<GridColumn>& columns() const { return columns_; }
    // Called with the engine's message when a write fails.
    std::function<void(const QString&)> onError;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Re-reads one record's row after a change made elsewhere.
    void rowChanged(int row);

private:
    xbase::Table& table_;
    std::vector<GridColumn> columns_;
    std::vector<uint32_t> recnos_;
};

} // namespace qb
