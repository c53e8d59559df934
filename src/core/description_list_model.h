#pragma once
// The rows of a design catalogue (LABEL.DBF, LBLTPL.DBF, LETTER.DBF) that pass
// its query, in its order, as a one-column list titled "Description" (or as
// the caller names it). Only record
// numbers, descriptions and one key field are held: catalogues have a few
// hundred rows.

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class QTableView;
class QWidget;

namespace qb {

namespace xbase {
class Table;
}

class DescriptionListModel : public QAbstractTableModel {
public:
    // keyField: the column rowOf looks in ("DESCRIPT", "BINARY").
    DescriptionListModel(xbase::Table& table, const char* keyField, QString title = QStringLiteral("Description"))
        : table_(table), keyField_(keyField), title_(std::move(title))
    {
    }

    // Walks the table's view again; the table ends past its last row.
    void reload();
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    uint32_t recnoAt(int row) const;
    // The first row whose key equals key; -1 when none does.
    int rowOf(const QString& key, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;

private:
    struct Row {
        uint32_t recno;
        QString description, key;
    };
    xbase::Table& table_;
    const char* keyField_;
    QString title_;
    std::vector<Row> rows_;
};

// A read-only grid of whole rows over model, one selected at a time, as every
// catalogue list is shown.
QTableView* newCatalogueGrid(DescriptionListModel* model, const char* objectName, QWidget* parent);

// Makes row the grid's current row, or else the row of record recno, or else
// the first row, and moves table to its record; without rows the table goes
// to its first record. The row chosen, -1 for none.
int selectCatalogueRow(QTableView* grid, const DescriptionListModel& model, xbase::Table& table, int row,
                       uint32_t recno);

// Reads the catalogue's rows again and selects the row of selectFile, or else
// the row of the record that was current, as selectCatalogueRow does.
void reloadCatalogue(QTableView* grid, DescriptionListModel& model, xbase::Table& table, const QString& selectFile);

// Moves table to the record of the grid's current row. That record, 0 for none.
uint32_t followCatalogueRow(const QTableView* grid, const DescriptionListModel& model, xbase::Table& table);

} // namespace qb
