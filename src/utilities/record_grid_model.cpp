#include "utilities/record_grid_model.h"

#include "platform/xbase/table.h"
#include "utilities/bulk_run.h"

#include <algorithm>

namespace qb {

namespace {

// Rows read are kept until the grid is refreshed; a long result keeps only
// the last pages scrolled through.
constexpr size_t kCachedRows = 4096;

} // namespace

RecordGridModel::RecordGridModel(xbase::Table& table, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns))
{
    refresh();
}

void RecordGridModel::refresh()
{
    beginResetModel();
    pendingRow_ = -1;
    pending_.clear();
    cache_.clear();
    try {
        recnos_ = table_.visibleRecnos();
    } catch (const std::exception&) {
        recnos_.clear();
    }
    endResetModel();
}

uint32_t RecordGridModel::recnoAt(int row) const { return row >= 0 && size_t(row) < recnos_.size() ? recnos_[size_t(row)] : 0; }

int RecordGridModel::rowOf(uint32_t recno) const
{
    auto it = std::find(recnos_.begin(), recnos_.end(), recno);
    return recno == 0 || it == recnos_.end() ? -1 : int(it - recnos_.begin());
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
    cache_.clear();
    pending_.clear();
    pendingRow_ = -1;
    endResetModel();
}

int RecordGridModel::fieldWidth(int column) const
{
    if (column < 0 || size_t(column) >= columns_.size() || columns_[size_t(column)].compute)
        return 0;
    const int index = table_.fieldIndex(columns_[size_t(column)].field.toStdString());
    return index < 0 ? 0 : table_.field(index).length;
}

const std::vector<QString>& RecordGridModel::rowValues(uint32_t recno) const
{
    static const std::vector<QString> none;
    if (auto it = cache_.find(recno); it != cache_.end())
        return it->second;
    if (recno == 0 || table_.editing())
        return none;
    const uint32_t at = table_.recno();
    const bool atEnd = table_.eof();
    std::vector<QString> values;
    try {
        if (table_.go(recno)) {
            for (const GridColumn& c : columns_)
                values.push_back(c.compute ? c.compute(table_) : QString::fromStdString(table_.text(c.field.toStdString())));
        }
    } catch (const std::exception&) {
        values.clear();
    }
    try {
        table_.go(atEnd ? 0 : at);
    } catch (const std::exception&) {
    }
    if (values.empty())
        return none;
    if (cache_.size() >= kCachedRows)
        cache_.clear();
    return cache_[recno] = std::move(values);
}

int RecordGridModel::addRow()
{
    if (hasPending())
        return -1;
    const int row = int(recnos_.size());
    beginInsertRows({}, row, row);
    recnos_.push_back(0);
    pendingRow_ = row;
    endInsertRows();
    return row;
}

QString RecordGridModel::savePending(uint32_t* saved)
{
    if (saved)
        *saved = 0;
    if (!hasPending())
        return {};
    for (const auto& [column, value] : pending_)
        if (!storable(value))
            return unstorableMessage(value);
    const bool added = recnoAt(pendingRow_) == 0;
    const bool blank = std::all_of(pending_.begin(), pending_.end(), [](const auto& p) { return p.second.trimmed().isEmpty(); });
    if (added && blank) {
        // Nothing typed: no blank row goes into the table.
        dropPending();
        return {};
    }
    try {
        if (added)
            table_.appendBlank();
        else if (!table_.go(recnoAt(pendingRow_)))
            return QStringLiteral("The record is no longer there");
        table_.edit();
        for (const auto& [column, value] : pending_)
            table_.setText(columns_[size_t(column)].field.toStdString(), value.toStdString());
        table_.post();
    } catch (const std::exception& e) {
        try {
            if (table_.editing())
                table_.cancel();
        } catch (const std::exception&) {
        }
        return QString::fromStdString(e.what());
    }
    if (saved)
        *saved = table_.recno();
    const int row = pendingRow_;
    recnos_[size_t(row)] = table_.recno();
    pendingRow_ = -1;
    pending_.clear();
    cache_.erase(recnoAt(row));
    rowChanged(row);
    return {};
}

void RecordGridModel::dropPending()
{
    if (!hasPending())
        return;
    const int row = pendingRow_;
    pendingRow_ = -1;
    pending_.clear();
    if (recnoAt(row) == 0) {
        beginRemoveRows({}, row, row);
        recnos_.erase(recnos_.begin() + row);
        endRemoveRows();
    } else {
        rowChanged(row);
    }
}

int RecordGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(recnos_.size()); }

int RecordGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant RecordGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (index.row() == pendingRow_) {
        if (auto it = pending_.find(index.column()); it != pending_.end())
            return it->second;
    }
    const std::vector<QString>& values = rowValues(recnoAt(index.row()));
    return size_t(index.column()) < values.size() ? values[size_t(index.column())] : QString();
}

bool RecordGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || columns_[size_t(index.column())].compute)
        return false;
    if (hasPending() && pendingRow_ != index.row())
        return false;
    const QString text = value.toString();
    if (!hasPending() && data(index, Qt::EditRole).toString() == text)
        return true;   // the editor closed on what the record holds
    pendingRow_ = index.row();
    pending_[index.column()] = text;
    emit dataChanged(index, index);
    return true;
}

void RecordGridModel::rowChanged(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    cache_.erase(recnoAt(row));
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

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
