#include "core/description_list_model.h"

#include "platform/xbase/table.h"

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

} // namespace qb
