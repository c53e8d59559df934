#include "utilities/record_grid_model.h"

#include "platform/xbase/table.h"

#include <algorithm>

namespace qb {

RecordGridModel::RecordGridModel(xbase::Table& table, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns))
{
    refresh();
}

void RecordGridModel::refresh()
{
    beginResetModel();
    recnos_ = table_.visibleRecnos();
    endResetModel();
}

uint32_t RecordGridModel::recnoAt(int row) const { return row >= 0 && size_t(row) < recnos_.size() ? recnos_[size_t(row)] : 0; }

int RecordGridModel::rowOf(uint32_t recno) const
{
    auto it = std::find(recnos_.begin(), recnos_.end(), recno);
    return it == recnos_.end() ? -1 : int(it - recnos_.begin());
}

void RecordGridModel::moveColumn(const QString& field, int to)
{
    auto it = std::find_if(columns_.begin(), columns_.end(), [&](const GridColumn& c) { return c.field == field; });
    if (it == columns_.end())
        return;
    beginResetModel();
    GridColumn c = *it;
    columns_.erase(it);
    columns_.insert(columns_.begin() + std::clamp<ptrdiff_t>(to, 0, ptrdiff_t(columns_.size())), c);
    endResetModel();
}

int RecordGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(recnos_.size()); }

int RecordGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant RecordGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const GridColumn& c = columns_[size_t(index.column())];
    try {
        if (table_.editing() || !table_.go(recnoAt(index.row())))
            return {};
        if (c.compute)
            return c.compute(table_);
        return QString::fromStdString(table_.text(c.field.toStdString()));
    } catch (const std::exception&) {
        return {};
    }
}

bool RecordGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || columns_[size_t(index.column())].compute)
        return false;
    try {
        table_.go(recnoAt(index.row()));
        table_.edit();
        table_.setText(columns_[size_t(index.column())].field.toStdString(), value.toString().toStdString());
        table_.post();
    } catch (const std::exception& e) {
        try {
            if (table_.editing())
                table_.cancel();
        } catch (const std::exception&) {
        }
        if (onError)
            onError(QString::fromStdString(e.what()));
        return false;
    }
    rowChanged(index.row());
    return true;
}

void RecordGridModel::rowChanged(int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); }

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return columns_[size_t(section)].title;
}

Qt::ItemFlags RecordGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !columns_[size_t(index.column())].compute)
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace qb
