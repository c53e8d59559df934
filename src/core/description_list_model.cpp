#include "core/description_list_model.h"

#include "platform/xbase/table.h"

#include <QHeaderView>
#include <QTableView>

namespace qb {

void DescriptionListModel::reload()
{
    beginResetModel();
    rows_.clear();
    for (bool more = table_.first(); more; more = table_.next())
        rows_.push_back({table_.recno(), QString::fromStdString(table_.text("DESCRIPT")),
                         QString::fromStdString(table_.text(keyField_))});
    endResetModel();
}

int DescriptionListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }
int DescriptionListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant DescriptionListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return rows_[size_t(index.row())].description;
}

QVariant DescriptionListModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return title_;
    return QAbstractTableModel::headerData(section, o, role);
}

uint32_t DescriptionListModel::recnoAt(int row) const
{
    return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)].recno : 0;
}

int DescriptionListModel::rowOf(const QString& key, Qt::CaseSensitivity cs) const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].key.compare(key, cs) == 0)
            return int(i);
    return -1;
}

QTableView* newCatalogueGrid(DescriptionListModel* model, const char* objectName, QWidget* parent)
{
    auto* grid = new QTableView(parent);
    grid->setObjectName(QLatin1String(objectName));
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->hide();
    return grid;
}

int selectCatalogueRow(QTableView* grid, const DescriptionListModel& model, xbase::Table& table, int row,
                       uint32_t recno)
{
    if (row < 0)
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.recnoAt(r) == recno)
                row = r;
    if (row < 0 && model.rowCount() > 0)
        row = 0;
    if (row < 0) {
        table.first();
        return -1;
    }
    grid->selectRow(row);
    grid->setCurrentIndex(model.index(row, 0));
    table.go(model.recnoAt(row));
    return row;
}

void reloadCatalogue(QTableView* grid, DescriptionListModel& model, xbase::Table& table, const QString& selectFile)
{
    const uint32_t current = table.eof() ? 0 : table.recno();
    model.reload();
    const int row = selectFile.isEmpty() ? -1 : model.rowOf(selectFile, Qt::CaseInsensitive);
    selectCatalogueRow(grid, model, table, row, current);
}

uint32_t followCatalogueRow(const QTableView* grid, const DescriptionListModel& model, xbase::Table& table)
{
    const uint32_t recno = model.recnoAt(grid->currentIndex().row());
    if (recno > 0)
        table.go(recno);
    return recno;
}

} // namespace qb
