#pragma once
// The browse grid's rows: the records the filter lets through, in the
// current order. Only their record numbers are held (four bytes a row);
// the values of a row are read when the grid asks for them, a few rows at a
// time, and kept in a small cache.

#include "core/address_table.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QStringList>

#include <vector>

namespace qb {

// The order of every record view field after the grid's columns were moved:
// the visible fields take the places visible fields held, in the grid's
// order; the hidden ones keep theirs.
QStringList fieldOrderAfterBrowse(const QStringList& allFields, const QStringList& visibleInGridOrder);

class BrowseModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // columns: the record view's visible fields in grid order.
    BrowseModel(AddressTable& table, std::vector<RecordViewField> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<RecordViewField>& columns() const { return columns_; }
    uint32_t recnoAt(int row) const;
    // The row of a record; -1 when the grid does not show it.
    int rowOf(uint32_t recno) const;

    // Walks the filtered view again (after a tag changed who passes the filter).
    void reload();
    // Forgets the values read for a row.
    void refreshRow(int row);

private:
    const QStringList& rowValues(int row) const;

    AddressTable& table_;
    std::vector<RecordViewField> columns_;
    std::vector<uint32_t> recnos_;
    mutable QCache<int, QStringList> cache_;
};

} // namespace qb
